// The program's version record, compiled into the program, and the texts
// read from it at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The record's layout: a fixed part with the numeric versions and named
// string blocks ("040904E4" = U.S. English, code page 1252).
struct VersionRecord {
  struct StringBlock {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Strings;
  };
  std::uint32_t FileVersionMS = 0;
  std::uint32_t FileVersionLS = 0;
  std::uint32_t ProductVersionMS = 0;
  std::uint32_t ProductVersionLS = 0;
  std::uint32_t FlagsMask = 0;
  std::uint32_t Flags = 0;
  std::uint32_t FileOS = 0;
  std::uint32_t FileType = 0;
  std::uint32_t FileSubtype = 0;
  std::vector<StringBlock> StringBlocks;
  std::vector<std::pair<std::uint16_t, std::uint16_t>> Translations;
};

// The record carried by this program.
const VersionRecord& ProgramVersionRecord();

struct VersionInfo {
  std::string MajorVersion;
  std::string MinorVersion;
  std::string FileVersion;
  std::string ProductName;
  std::string CompanyName;
};

// Fills info from record. No record (nullptr) leaves every field empty; a
// string missing from block "040904E4" gives an empty field.
void ReadVersionInfo(VersionInfo& info, const VersionRecord* record);
