#include "support/AlbumTestSupport.h"

QDateTime TestBuildInstant() {
  return QDateTime(QDate(2026, 12, 7), QTime(15, 7, 9));
}

AlbumFixture::AlbumFixture() : Env(Dir.Path(), Table, Version, Messages) {
  ReadVersionInfo(Version, &ProgramVersionRecord());
  Env.Clock = TestBuildInstant;
  Env.DateTime = UnitedStatesDateTimeSettings();
  Input.Title = "Holiday";
  Input.IndexName = "album.html";
  Input.IncludeFileNames = true;
}

void AlbumFixture::UseTable(const std::vector<std::string>& names) {
  Input.PictureFiles = names;
  BuildImageTable(Table, names);
  State.AlbumPictureCount = static_cast<int>(names.size());
}

std::string Indented(int blanks, const std::string& text) {
  return std::string(blanks, ' ') + text;
}
