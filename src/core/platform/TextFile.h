// Text files: 8-bit lines, each written with CR LF after it; reading splits
// at CR LF, a lone CR or a lone LF and stops at the first NUL byte.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

using TextLines = std::vector<std::string>;

// Lines kept as the bytes of their text file, each followed by CR LF, one
// after the other, with where each line starts. A long list of lines is so
// built without a string per line, written as it is and copied whole into
// another text. Made from and turned into TextLines where a list of strings
// is wanted, and equal to the TextLines it holds.
class JoinedLines {
 public:
  JoinedLines() = default;
  // Both implicit: a list of lines either way.
  JoinedLines(const TextLines& lines);
  operator TextLines() const;

  // Adds one line: the pieces one after the other.
  void Add(std::initializer_list<std::string_view> pieces);
  void push_back(std::string_view line) { Add({line}); }
  // Room for lines lines of bytes bytes in all, their CR LF included.
  void reserve(std::size_t lines, std::size_t bytes);
  void clear();

  std::size_t size() const { return Starts.size(); }
  bool empty() const { return Starts.empty(); }
  // A copy of line i, without its CR LF.
  std::string operator[](std::size_t i) const;
  // The lines as their text file holds them.
  std::string_view Bytes() const { return Text; }

  bool operator==(const JoinedLines&) const = default;

 private:
  std::string Text;
  std::vector<std::uint32_t> Starts;  // a text file's lines stay below 4 GB
};
bool operator==(const JoinedLines& joined, const TextLines& lines);
std::ostream& operator<<(std::ostream& out, const JoinedLines& lines);

TextLines SplitTextLines(std::string_view text);
std::string JoinTextLines(const TextLines& lines);

// Reads the file name (looked up ignoring letter case) in dir. A file that
// cannot be opened raises EFOpenError naming the file as passed.
TextLines ReadTextFile(const std::string& dir, const std::string& name);

// Writes lines to name in dir (an existing file differing only in letter
// case is the one replaced). The old file is fully replaced or left as it
// was. Failures raise EFCreateError naming the file as passed, or
// EWriteError when the writing itself failed.
void WriteTextFile(const std::string& dir, const std::string& name, const TextLines& lines);

// The same for lines already joined into a text file's bytes.
void WriteTextBytes(const std::string& dir, const std::string& name, std::string_view bytes);
