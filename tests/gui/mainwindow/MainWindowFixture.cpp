#include "MainWindowFixture.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

std::string RealFolderPath(const std::string& path) {
  char buffer[PATH_MAX];
  if (::realpath(path.c_str(), buffer) == nullptr) return path;
  return buffer;
}

std::string ProcessDirectory() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return std::string();
  return buffer;
}

CurrentDirectoryKeeper::CurrentDirectoryKeeper() : Saved(ProcessDirectory()) {}

CurrentDirectoryKeeper::~CurrentDirectoryKeeper() {
  if (!Saved.empty() && ::chdir(Saved.c_str()) == 0) return;
  [[maybe_unused]] const int toRoot = ::chdir("/");
}

TfrmMain& MainWindowTest::Create(int pixelsPerInch) {
  State = std::make_unique<MainState>(Messages);
  State->ProgramDirectory = StartPath();
  State->Screen = ScreenMetrics{pixelsPerInch, 24, 32, 32};
  Window = std::make_unique<TfrmMain>(*State);
  AboutBox = std::make_unique<TAboutBox>(State->Screen, Window.get());
  Window->SetAboutBox([this](const std::string& text) { AboutBox->ShowModeless(text); });
  return *Window;
}

std::vector<std::string> MainWindowTest::ErrorTexts() const {
  std::vector<std::string> texts;
  for (const RecordingMessageBoxes::Box& box : Messages.Boxes)
    if (box.Kind == RecordingMessageBoxes::Box::Error) texts.push_back(box.Text);
  return texts;
}

void MainWindowTest::TearDown() {
  AboutBox.reset();
  Window.reset();
}
