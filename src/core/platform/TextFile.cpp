#include "core/platform/TextFile.h"

#include <ostream>
#include <stdexcept>

#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SafeFile.h"

JoinedLines::JoinedLines(const TextLines& lines) {
  std::size_t bytes = 0;
  for (const auto& line : lines) bytes += line.size() + 2;
  reserve(lines.size(), bytes);
  for (const auto& line : lines) push_back(line);
}

JoinedLines::operator TextLines() const {
  TextLines lines;
  lines.reserve(size());
  for (std::size_t i = 0; i < size(); ++i) lines.push_back((*this)[i]);
  return lines;
}

void JoinedLines::Add(std::initializer_list<std::string_view> pieces) {
  if (Text.size() > UINT32_MAX) throw std::length_error("text file of 4 GB or more");
  Starts.push_back(static_cast<std::uint32_t>(Text.size()));
  for (const std::string_view piece : pieces) Text += piece;
  Text += "\r\n";
}

void JoinedLines::reserve(std::size_t lines, std::size_t bytes) {
  Starts.reserve(lines);
  Text.reserve(bytes);
}

void JoinedLines::clear() {
  Starts.clear();
  Text.clear();
}

std::string JoinedLines::operator[](std::size_t i) const {
  const std::size_t end = i + 1 < Starts.size() ? Starts[i + 1] : Text.size();
  return Text.substr(Starts[i], end - 2 - Starts[i]);
}

bool operator==(const JoinedLines& joined, const TextLines& lines) {
  if (joined.size() != lines.size()) return false;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (joined[i] != lines[i]) return false;
  return true;
}

std::ostream& operator<<(std::ostream& out, const JoinedLines& lines) {
  out << '{';
  for (std::size_t i = 0; i < lines.size(); ++i) out << (i ? ", \"" : "\"") << lines[i] << '"';
  return out << '}';
}

TextLines SplitTextLines(std::string_view text) {
  const auto nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  TextLines lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinTextLines(const TextLines& lines) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

TextLines ReadTextFile(const std::string& dir, const std::string& name) {
  std::string content;
  if (ReadWholeFile(ResolvePath(dir, name), content) != 0) throw EFOpenError(name);
  return SplitTextLines(content);
}

void WriteTextFile(const std::string& dir, const std::string& name, const TextLines& lines) {
  WriteTextBytes(dir, name, JoinTextLines(lines));
}

void WriteTextBytes(const std::string& dir, const std::string& name, std::string_view bytes) {
  const WriteFailure failure = WriteFileSafely(ResolvePath(dir, name), bytes);
  if (failure.Stage == WriteFailure::Create) throw EFCreateError(name);
  if (failure.Stage == WriteFailure::Write) throw EWriteError();
}
