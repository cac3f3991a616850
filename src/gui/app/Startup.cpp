#include "gui/app/Startup.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <climits>

#include "core/pictures/FileFormats.h"
#include "core/platform/LocaleFormats.h"
#include "core/shell/StartLocation.h"
#include "gui/about/TAboutBox.h"
#include "gui/app/AmbrelinApplication.h"
#include "gui/app/QtMessageBoxes.h"
#include "gui/app/ScreenInfo.h"
#include "gui/editor/TfrmPicDesc.h"
#include "gui/mainwindow/TfrmMain.h"

std::string StartDirectory() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return "/";
  return std::string(buffer);
}

StartLocation EnterStartLocation() {
  const auto local = [](const QString& path) { return QFile::encodeName(path).toStdString(); };
  StartEnvironment env;
  env.DesktopStart = qgetenv(DesktopStartVariable) == "1";
  env.CurrentDirectory = StartDirectory();
  if (env.DesktopStart) {
    env.ConfigHome = qgetenv("XDG_CONFIG_HOME").toStdString();
    env.Home = local(QDir::homePath());
    env.PicturesLocation =
        local(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
  }
  // Programs started from this one do not inherit the menu start.
  qunsetenv(DesktopStartVariable);
  StartLocation location = ChooseStartLocation(env);
  if (location.ProgramDirectory != env.CurrentDirectory &&
      ::chdir(location.ProgramDirectory.c_str()) != 0)
    return {env.CurrentDirectory, {}};
  return location;
}

int RunAmbrelin(int argc, char** argv) {
  AmbrelinApplication app(argc, argv);
  QtMessageBoxes messages;
  app.SetErrorBoxes(&messages);

  // Read once: the picture registry, the screen, the date and time settings.
  FileFormats();
  MainState state(messages);
  const StartLocation location = EnterStartLocation();
  state.ProgramDirectory = location.ProgramDirectory;
  state.FirstPictureDirectory = location.FirstPictureDirectory;
  state.Screen = ReadScreenMetrics();
  state.DateTime = DateTimeSettingsFromLocale(QLocale::system());

  // The main window first: its FormCreate runs now, before the other
  // windows exist, and reports its own errors. The About box belongs to it,
  // so closing the main window ends the program even while the box is open.
  TfrmMain frmMain(state);
  TAboutBox aboutBox(state.Screen, &frmMain);
  frmMain.SetAboutBox([&aboutBox](const std::string& text) { aboutBox.ShowModeless(text); });
  // The description editor last. Its state lives as long as the window, so
  // it is carried from one opening to the next; "Edit Descriptions" opens
  // it modally and returns when it is closed.
  PicDescState editorState;
  TfrmPicDesc frmPicDesc(editorState, state.Screen, messages, &frmMain);
  frmMain.SetDescriptionEditor([&frmPicDesc](MainState& main) { frmPicDesc.ShowModal(main); });

  frmMain.show();
  return app.exec();
}
