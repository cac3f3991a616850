// ambrelin-build-publish: ambrelin-build with the drawing of web copies,
// started by ambrelin-build for a command line that publishes. It takes
// the same arguments and never needs a display.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "drawing/WebCopies.h"
#include "programs/BuildProcess.h"

// Qt's own notes (such as a missing runtime folder) mean nothing to a
// batch user; its critical and fatal messages still reach stderr.
static void DropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

int main(int argc, char** argv) {
  qInstallMessageHandler(DropQtNotes);
  // Metafile texts need Qt Gui's fonts; no window is ever shown.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  return RunBuildProgram(argc, argv, MakeDrawnWebCopy);
}
