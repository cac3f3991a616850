// The modal boxes through which commands talk to the user. The program
// shows them with QMessageBox; tests and the batch front-end use their own.
#pragma once

#include <string>

class Exception;

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // The plain box: caption "Ambrelin", no icon, one OK button.
  virtual void ShowPlainMessage(const std::string& text) = 0;
  // The information dialog: caption "Information", information icon, OK.
  virtual void ShowInformationDialog(const std::string& text) = 0;
  // The error box: caption "Ambrelin", stop icon, OK; the text is the
  // error's message with the period rule (ErrorBoxText).
  virtual void ShowErrorMessage(const Exception& error) = 0;
  // The question box: caption "Ambrelin", question icon, Yes and No, No the
  // default and the answer of Escape. True when the user answered Yes.
  // Where no one can be asked, the answer is the default, No.
  virtual bool AskQuestion(const std::string& text) {
    static_cast<void>(text);
    return false;
  }
};
