// A description editor made for a test: a fresh picture folder, the main
// window's state for it (image table built from the given names, the
// folder's descriptions loaded), recorded message boxes, a screen of 96
// pixels per inch, 24 bits deep, icons 32 x 32. The window is shown without
// being modal, so the test drives its handlers directly.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/editor/PicDescState.h"
#include "core/folder/MainState.h"
#include "gui/editor/TImage.h"
#include "gui/editor/TMemo.h"
#include "gui/editor/TfrmPicDesc.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TestUtil.h"

// Records the boxes and lets a test look at the world at the moment a box
// is shown.
class WatchingMessageBoxes : public RecordingMessageBoxes {
 public:
  std::function<void(const std::string&)> OnBox;

  void ShowPlainMessage(const std::string& text) override {
    RecordingMessageBoxes::ShowPlainMessage(text);
    if (OnBox) OnBox(text);
  }
  void ShowInformationDialog(const std::string& text) override {
    RecordingMessageBoxes::ShowInformationDialog(text);
    if (OnBox) OnBox(text);
  }
  void ShowErrorMessage(const Exception& error) override {
    RecordingMessageBoxes::ShowErrorMessage(error);
    if (OnBox) OnBox(Boxes.back().Text);
  }
};

// The description record of a picture, as the description file holds it.
std::string DescriptionRecord(const std::string& name, const std::string& description);

// One record of a description file's bytes: name and description.
struct StoredRecord {
  std::string Name;
  std::string Description;
  bool operator==(const StoredRecord&) const = default;
};
std::vector<StoredRecord> StoredRecords(const std::string& fileBytes);

// A small valid picture of the kind that name's extension gives (a JPEG
// for any other extension).
std::string PictureBytesFor(const std::string& name);

// Names picture01.jpg ... pictureNN.jpg (two digits, so they sort as listed).
std::vector<std::string> NumberedNames(int count);

class PicDescTest : public ::testing::Test {
 protected:
  // Writes a small JPEG for every name that has no file yet.
  void WritePictures(const std::vector<std::string>& names);

  // Makes the main window's state for the folder with the pictures names
  // (in this order) and the editor window; nothing is shown yet.
  TfrmPicDesc& Create(const std::vector<std::string>& names, int pixelsPerInch = 96);

  // Create, then show the window (FormShow runs).
  TfrmPicDesc& Open(const std::vector<std::string>& names);

  // A control of the window by its name; fails the test when missing.
  template <class Control>
  Control* Find(const char* name) {
    Control* control = Window->findChild<Control*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  static std::string Text(const QString& text) { return text.toLocal8Bit().toStdString(); }
  std::string LabelText(const char* name) { return Text(Find<QLabel>(name)->text()); }
  std::string FileNameBox() { return Text(Find<QLineEdit>("txtFileName")->text()); }
  TMemo* Memo() { return Find<TMemo>("memDesc"); }
  TImage* Image() { return Find<TImage>("img1"); }
  // "N of M" as the counters show it.
  std::string Counters() { return LabelText("lblPicNo") + " of " + LabelText("lblPicTot"); }

  // What the user does: types into the memo (a change of the memo that
  // its change handler sees), types a name and leaves the box.
  void TypeDescription(const std::string& text);
  void TypeFileName(const std::string& name);

  std::vector<RecordingMessageBoxes::Box> TakeBoxes();
  std::string DescriptionFileBytes() const { return Folder.Read("!.KVD"); }

  void TearDown() override;

  TempDir Folder;
  WatchingMessageBoxes Messages;
  std::unique_ptr<MainState> Main;
  PicDescState PicDesc;
  std::unique_ptr<TfrmPicDesc> Window;
};

using Box = RecordingMessageBoxes::Box;

// Boxes as gtest prints them in a failure.
static inline void PrintTo(const RecordingMessageBoxes::Box& box, std::ostream* out) {
  static const char* const kinds[] = {"Plain", "Information", "Error"};
  *out << kinds[box.Kind] << " \"" << box.Text << "\"";
}
