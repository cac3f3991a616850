// Message boxes for tests: every box is recorded instead of shown.
#pragma once

#include <string>
#include <vector>

#include "core/platform/Errors.h"
#include "core/shell/MessageBoxes.h"

class RecordingMessageBoxes : public MessageBoxes {
 public:
  struct Box {
    enum Kind { Plain, Information, Error, Question } Kind;
    std::string Text;
    bool operator==(const Box&) const = default;
  };
  std::vector<Box> Boxes;
  // The answer every question box gets.
  bool QuestionAnswer = false;

  void ShowPlainMessage(const std::string& text) override { Boxes.push_back({Box::Plain, text}); }
  void ShowInformationDialog(const std::string& text) override {
    Boxes.push_back({Box::Information, text});
  }
  // Records the error box's text, the message with the period rule.
  void ShowErrorMessage(const Exception& error) override {
    Boxes.push_back({Box::Error, ErrorBoxText(error)});
  }
  bool AskQuestion(const std::string& text) override {
    Boxes.push_back({Box::Question, text});
    return QuestionAnswer;
  }
};
