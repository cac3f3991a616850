#include "PicDescFixture.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "core/folder/DescriptionFile.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Text.h"
#include "support/PictureFixtures.h"

std::string DescriptionRecord(const std::string& name, const std::string& description) {
  PictureEntry entry;
  entry.SetName(name);
  entry.SetDescription(description);
  return std::string(reinterpret_cast<const char*>(&entry), sizeof entry);
}

std::vector<StoredRecord> StoredRecords(const std::string& fileBytes) {
  std::vector<StoredRecord> records;
  for (std::size_t at = 0; at + PictureEntry::RecordSize <= fileBytes.size();
       at += PictureEntry::RecordSize) {
    PictureEntry entry;
    std::memcpy(&entry, fileBytes.data() + at, PictureEntry::RecordSize);
    records.push_back({entry.NameText(), entry.DescriptionText()});
  }
  return records;
}

std::vector<std::string> NumberedNames(int count) {
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "picture%02d.jpg", i);
    names.push_back(name);
  }
  return names;
}

std::string PictureBytesFor(const std::string& name) {
  const std::string extension = LowerAscii(FileNameOf(name).substr(name.rfind('.') + 1));
  if (extension == "bmp") return MakeBmp(8, 6);
  if (extension == "ico") return MakeIcon();
  if (extension == "emf") return MakeEmf();
  if (extension == "wmf") return MakePlaceableWmf(0, 0, 1000, 500, 1000);
  static const std::string jpeg = MakeJpeg(8, 6);
  return jpeg;
}

void PicDescTest::WritePictures(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    if (!Folder.Exists(name)) Folder.Write(name, PictureBytesFor(name));
}

TfrmPicDesc& PicDescTest::Create(const std::vector<std::string>& names, int pixelsPerInch) {
  Main = std::make_unique<MainState>(Messages);
  Main->Screen = ScreenMetrics{pixelsPerInch, 24, 32, 32};
  Main->PictureDirectory = Folder.Path();
  Main->DescriptionFile = DescriptionFilePath(Folder.Path());
  BuildImageTable(Main->Table, names);
  LoadDescriptions(Main->Table, Main->DescriptionFile);
  Window = std::make_unique<TfrmPicDesc>(PicDesc, Main->Screen, Messages);
  Window->Bind(*Main);
  return *Window;
}

TfrmPicDesc& PicDescTest::Open(const std::vector<std::string>& names) {
  WritePictures(names);
  Create(names);
  Window->show();
  return *Window;
}

void PicDescTest::TypeDescription(const std::string& text) {
  Memo()->setPlainText(QString::fromLocal8Bit(text));
}

void PicDescTest::TypeFileName(const std::string& name) {
  Find<QLineEdit>("txtFileName")->setText(QString::fromLocal8Bit(name));
  Window->txtFileNameExit();
}

std::vector<RecordingMessageBoxes::Box> PicDescTest::TakeBoxes() {
  std::vector<RecordingMessageBoxes::Box> boxes = std::move(Messages.Boxes);
  Messages.Boxes.clear();
  return boxes;
}

void PicDescTest::TearDown() {
  Window.reset();
}
