// The application object: the program's title and icon, and the last net for
// errors that a handler let escape.
#pragma once

#include <QApplication>

class MessageBoxes;

class AmbrelinApplication : public QApplication {
 public:
  // Sets the application's name ("Ambrelin", the ApplicationTitle), its
  // desktop entry and its window icon. Command-line arguments are not read
  // by the program; Qt's own (-platform, ...) still apply.
  AmbrelinApplication(int& argc, char** argv);

  // The boxes the last net shows errors with; nullptr: errors are only
  // written to the diagnostic output.
  void SetErrorBoxes(MessageBoxes* messages) { ErrorBoxes = messages; }

  // Every handler catches its own errors (EventGuard). Should one escape all
  // the same, it is shown here and the event counts as not handled.
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  MessageBoxes* ErrorBoxes = nullptr;
};
