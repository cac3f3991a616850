// A picture folder for benchmarks: many camera-like JPEGs (2 megapixels,
// quality 90, six in ten with a 30-50 KB EXIF block), a few bitmaps, and a
// description file with one record per picture. The EXIF blocks carry an
// orientation: 1 for the landscape pictures, 6 for the portrait ones, which
// are stored sideways as phones store them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/pictures/PictureKind.h"

struct BenchFolderOptions {
  int JpegCount = 10000;
  int BitmapCount = 20;
  // Camera-style names in capitals ("IMG_00001.JPG"); false: lower case.
  bool UpperCaseNames = true;
  const char* JpegPrefix = "IMG";  // the JPEGs' names: prefix, "_", number, ".JPG"
  // Hard links to a handful of files instead of copies: no disk space, but
  // every name shares one of a few inodes.
  bool HardLinks = false;
};

struct BenchPicture {
  std::string Name;  // as on disk
  PictureKind Kind;
  int Width;  // as shown, turned upright
  int Height;
  int StoredWidth;  // as the frame header gives it
  std::uint64_t Bytes;
  bool HasExif;
};

struct BenchFolder {
  std::string Path;
  std::vector<BenchPicture> Pictures;  // in name order
};

// Fills folder (created when missing) with the pictures and "!.KVD". Only a
// handful of images are encoded; they are written under many names, so a
// folder of 10,000 pictures takes seconds.
BenchFolder MakeBenchFolder(const std::string& folder, const BenchFolderOptions& options);

// A new empty folder under the system's temporary folder.
std::string MakeTempBenchFolder();

// Removes the folder and everything in it.
void RemoveBenchFolder(const std::string& folder);

// The description file record: byte 0 the name's length, bytes 1-255 the
// name, byte 256 the description's length, bytes 257-511 the description,
// byte 512 the hidden flag (0).
std::string DescriptionRecord(const std::string& name, const std::string& description);

// A shell command run to its end: wall time, processor time of it and all
// its descendants, the largest peak memory among them and the exit status
// (-1 when it did not exit).
struct ShellRun {
  double Seconds = 0;
  double CpuSeconds = 0;
  long PeakKilobytes = 0;
  int Status = 0;
};
// Runs command with /bin/sh; a status other than 0 is reported on stderr.
ShellRun RunShell(const std::string& command);
