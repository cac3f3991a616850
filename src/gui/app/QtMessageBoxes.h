#pragma once

#include <QMessageBox>
#include <memory>
#include <string>

#include "core/platform/Errors.h"
#include "core/shell/MessageBoxes.h"

class QWidget;

extern const char* const ApplicationTitle;

// MessageBoxes shown with QMessageBox: modal for the whole program, centred
// on the screen, the text word-wrapped in at most half the screen's width,
// one OK button that Enter and Escape press as well.
class QtMessageBoxes : public MessageBoxes {
 public:
  void ShowPlainMessage(const std::string& text) override;
  void ShowInformationDialog(const std::string& text) override;
  void ShowErrorMessage(const Exception& error) override;
  bool AskQuestion(const std::string& text) override;
};

// The boxes as they are shown, built but not yet shown (the tests look at
// them without running their modal loops).
std::unique_ptr<QMessageBox> MakePlainMessageBox(const std::string& text);
std::unique_ptr<QMessageBox> MakeInformationDialog(const std::string& text);
std::unique_ptr<QMessageBox> MakeErrorMessageBox(const Exception& error);
// Yes and No, No the default and Escape's answer.
std::unique_ptr<QMessageBox> MakeQuestionBox(const std::string& text);
