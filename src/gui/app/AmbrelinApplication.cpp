#include "gui/app/AmbrelinApplication.h"

#include <QIcon>
#include <QtGlobal>

#include "core/shell/EventGuard.h"
#include "drawing/Artwork.h"
#include "gui/app/QtMessageBoxes.h"

namespace {
// Where no boxes are given: the error goes to the diagnostic output.
class DiagnosticMessages : public MessageBoxes {
 public:
  void ShowPlainMessage(const std::string& text) override { qWarning("%s", text.c_str()); }
  void ShowInformationDialog(const std::string& text) override { qWarning("%s", text.c_str()); }
  void ShowErrorMessage(const Exception& error) override {
    qWarning("%s: %s", error.ClassName().c_str(), ErrorLine(error).c_str());
  }
};
}  // namespace

AmbrelinApplication::AmbrelinApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The title names the program in the task list (the window class). It is
  // not set as the display name, which some platforms would append to every
  // window caption.
  setApplicationName(QString::fromLatin1(ApplicationTitle));
  setDesktopFileName(QStringLiteral("io.github.ambrelin.Ambrelin"));
  setWindowIcon(ApplicationIcon());
}

bool AmbrelinApplication::notify(QObject* receiver, QEvent* event) {
  DiagnosticMessages diagnostics;
  const EventGuard guard(ErrorBoxes ? *ErrorBoxes : diagnostics);
  bool handled = false;
  const bool completed = guard.Run([&] { handled = QApplication::notify(receiver, event); });
  return completed && handled;
}
