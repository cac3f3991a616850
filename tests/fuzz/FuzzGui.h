// The GUI application that the drawing targets need: fonts and painting
// need one. One for the whole run, on the platform that needs no display.
#pragma once

#include <QGuiApplication>

#include <cstdlib>

namespace fuzzgui {
// Qt's warnings about damaged data (libpng's, the image readers') would fill
// the log and slow the fuzzing down; a fatal message still aborts.
inline void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
}  // namespace fuzzgui

inline void StartOffscreenGuiApplication() {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(fuzzgui::Quiet);
  static int argc = 1;
  static char name[] = "ambrelin-fuzz";
  static char* argv[] = {name, nullptr};
  // Never destroyed: it lives as long as the process.
  static QGuiApplication* application = new QGuiApplication(argc, argv);
  (void)application;
}
