#pragma once

#include "app/MessageBoxes.h"
#include "platform/Errors.h"

class QWidget;

extern const char* const ApplicationTitle;

// MessageBoxes shown with QMessageBox.
class QtMessageBoxes : public MessageBoxes {
 public:
  void ShowPlainMessage(const std::string& text) override;
  void ShowInformationDialog(const std::string& text) override;
};

// The application's error box: caption "Ambrelin", stop icon, the message
// with the period rule.
void ShowErrorMessage(const Exception& error);
