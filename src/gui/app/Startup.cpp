#include "gui/app/Startup.h"

#include <unistd.h>

#include <climits>

#include "core/pictures/FileFormats.h"
#include "core/platform/LocaleFormats.h"
#include "gui/About/TAboutBox.h"
#include "gui/Main/TfrmMain.h"
#include "gui/PicDesc/TfrmPicDesc.h"
#include "gui/app/AmbrelinApplication.h"
#include "gui/app/QtMessageBoxes.h"
#include "gui/app/ScreenInfo.h"

std::string StartDirectory() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return "/";
  return std::string(buffer);
}

int RunAmbrelin(int argc, char** argv) {
  AmbrelinApplication app(argc, argv);
  QtMessageBoxes messages;
  app.SetErrorBoxes(&messages);

  // Read once: the picture registry, the screen, the date and time settings.
  FileFormats();
  MainState state(messages);
  state.ProgramDirectory = StartDirectory();
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
