// A main window made for a test: its start directory is a fresh temporary
// folder, its message boxes are recorded, its screen is 96 pixels per inch,
// 24 bits deep, icons 32 x 32. The process's current directory is given
// back when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>

#include "gui/about/TAboutBox.h"
#include "gui/mainwindow/TfrmMain.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TestUtil.h"

// The absolute canonical path of an existing folder.
std::string RealFolderPath(const std::string& path);

// The process's current directory.
std::string ProcessDirectory();

// Gives the process its current directory back when it goes away.
class CurrentDirectoryKeeper {
 public:
  CurrentDirectoryKeeper();
  ~CurrentDirectoryKeeper();
  CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
  CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

 private:
  std::string Saved;
};

class MainWindowTest : public ::testing::Test {
 protected:
  // Creates the window (FormCreate runs) with the start folder Start.
  TfrmMain& Create(int pixelsPerInch = 96);

  // A control of the window by its name; fails the test when missing.
  template <class Control>
  Control* Find(const char* name) {
    Control* control = Window->findChild<Control*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  // Text of a widget's caption as 8-bit text.
  static std::string Text(const QString& text) { return text.toLocal8Bit().toStdString(); }

  std::string StartPath() const { return RealFolderPath(Start.Path()); }
  // Texts of the recorded error boxes.
  std::vector<std::string> ErrorTexts() const;

  TempDir Start;
  TempDir Other;
  RecordingMessageBoxes Messages;
  std::unique_ptr<MainState> State;
  std::unique_ptr<TfrmMain> Window;
  std::unique_ptr<TAboutBox> AboutBox;
  // Declared last, so the directory is given back before the folders go.
  CurrentDirectoryKeeper Keeper;

  void TearDown() override;
};
