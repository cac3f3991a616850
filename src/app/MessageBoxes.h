// The modal boxes through which commands talk to the user. The program
// shows them with QMessageBox; tests and the batch front-end use their own.
#pragma once

#include <string>

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // The plain box: caption "Ambrelin", no icon, one OK button.
  virtual void ShowPlainMessage(const std::string& text) = 0;
  // The information dialog: caption "Information", information icon, OK.
  virtual void ShowInformationDialog(const std::string& text) = 0;
};
