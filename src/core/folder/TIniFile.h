// A settings file in the INI format: "[Section]" lines, each followed by
// "Key=Value" lines. The object holds nothing but the file's full path;
// every read and write goes to the file on disk at that moment, so a file
// edited by hand while the program runs is seen at the next read.
#pragma once

#include <cstddef>
#include <string>

class TIniFile {
 public:
  // The longest value a read returns, in bytes (a buffer of 2048 with its
  // terminating zero in the system the file format comes from).
  static constexpr std::size_t MaxValueBytes = 2047;

  TIniFile() = default;
  // Binding touches no file: a file appears only when a value is written.
  explicit TIniFile(std::string fileName) : Path(std::move(fileName)) {}

  // Re-binds the object to another file; nothing is read or written.
  void Bind(std::string fileName) { Path = std::move(fileName); }

  // The file's full path as bound. The file actually used is the entry of
  // that folder whose name equals the bound name ignoring ASCII letter case
  // (the exact name when it exists), so "ambrelin.ini" written by hand is
  // the one read and replaced.
  const std::string& FileName() const { return Path; }

  // The value of key in section. Never fails: a missing or unreadable file,
  // a missing section or a missing key gives defaultValue; a key present
  // with an empty value gives "". Section and key names are matched
  // ignoring ASCII letter case; blanks (spaces, tabs) around the key and
  // the value are dropped; a value enclosed in a matching pair of double or
  // single quotation marks loses them; at most MaxValueBytes bytes are
  // returned, never splitting a UTF-8 character.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;

  // Stores key=value in section. The file is created when missing, the
  // section appended at the end of the file when missing; an existing key's
  // line is replaced where it stands, a new key goes after the last
  // non-blank line of its section. A line break in the value (CR LF, CR or
  // LF) is written as a blank. Every other line keeps its bytes; lines
  // are written ending in CR LF. The file is replaced safely (temporary
  // file, then rename). A refused write raises EIniFileException naming
  // FileName().
  void WriteString(const std::string& section, const std::string& key,
                   const std::string& value) const;

 private:
  std::string ResolvedPath() const;

  std::string Path;
};
