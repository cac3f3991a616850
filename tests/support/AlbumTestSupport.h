// A picture folder with everything a build needs, for the album tests.
#pragma once

#include "core/album/AlbumBuild.h"
#include "core/folder/ImageTable.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TestUtil.h"

// 15:07:09 on 7 December 2026, the moment of every test build.
QDateTime TestBuildInstant();

struct AlbumFixture {
  TempDir Dir;
  ImageTable Table;
  VersionInfo Version;
  RecordingMessageBoxes Messages;
  AlbumEnvironment Env;
  AlbumBuildState State;
  AlbumInput Input;

  AlbumFixture();
  // Fills the image table and the build's picture count as a valid build would.
  void UseTable(const std::vector<std::string>& names);
};

// "  <TR>" from (2, "<TR>"): the tables give blanks and text apart.
std::string Indented(int blanks, const std::string& text);
