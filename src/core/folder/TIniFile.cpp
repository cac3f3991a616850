#include "core/folder/TIniFile.h"

#include <cerrno>
#include <optional>
#include <string_view>

#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SafeFile.h"
#include "core/platform/Text.h"
#include "core/platform/TextFile.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The name of a section line ("[" name "]", blanks allowed around the line
// and inside the brackets), or nothing for any other line. A missing "]"
// still opens a section named by the rest of the line, as the profile
// functions of the system the format comes from read it.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view text = TrimBlanks(line);
  if (text.empty() || text.front() != '[') return std::nullopt;
  std::string_view inner = text.substr(1);
  const auto close = inner.rfind(']');
  if (close != std::string_view::npos) inner = inner.substr(0, close);
  return TrimBlanks(inner);
}

// A key line: the key before the first "=" and the raw value after it.
// Comment lines (first non-blank ";") and lines without "=" hold no key.
struct KeyLine {
  std::string_view Key;
  std::string_view Value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  const std::string_view text = TrimBlanks(line);
  if (text.empty() || text.front() == ';') return std::nullopt;
  const auto equals = text.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return KeyLine{TrimBlanks(text.substr(0, equals)), TrimBlanks(text.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Where a section lies in the file's lines: its header line and the index
// one past its last line (the next section line or the end).
struct SectionSpan {
  std::size_t Header;
  std::size_t End;
};

// The first section named `section`; a later section of the same name is
// never consulted, neither for reading nor for writing.
std::optional<SectionSpan> FindSection(const TextLines& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i]);
    if (!name || !EqualIgnoringAsciiCase(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end])) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

// The first line of the span that holds key, or span.End.
std::size_t FindKey(const TextLines& lines, const SectionSpan& span, std::string_view key) {
  for (std::size_t i = span.Header + 1; i < span.End; ++i) {
    const auto entry = ParseKeyLine(lines[i]);
    if (entry && EqualIgnoringAsciiCase(entry->Key, key)) return i;
  }
  return span.End;
}

}  // namespace

std::string TIniFile::ResolvedPath() const {
  return ResolvePath(std::string(), Path);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  if (Path.empty()) return defaultValue;
  std::string content;
  if (ReadWholeFile(ResolvedPath(), content) != 0) return defaultValue;
  const TextLines lines = SplitTextLines(content);
  const auto span = FindSection(lines, section);
  if (!span) return defaultValue;
  const std::size_t at = FindKey(lines, *span, key);
  if (at == span->End) return defaultValue;
  return CutUtf8(Unquote(ParseKeyLine(lines[at])->Value), MaxValueBytes);
}

namespace {
// The value with each line break (CR LF, CR or LF) replaced by a blank, so
// that a value can never end its line and start a section or key of its own.
std::string OneLine(const std::string& value) {
  std::string line;
  line.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') continue;
    line += (value[i] == '\r' || value[i] == '\n') ? ' ' : value[i];
  }
  return line;
}
}  // namespace

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) const {
  const std::string target = ResolvedPath();
  std::string content;
  const int readError = ReadWholeFile(target, content);
  // A file that exists but cannot be read is not replaced: its other
  // entries would be lost.
  if (readError != 0 && readError != ENOENT) throw EIniFileException(Path);

  TextLines lines = SplitTextLines(content);
  std::string entry = key + "=" + OneLine(value);
  const auto span = FindSection(lines, section);
  if (!span) {
    lines.push_back("[" + section + "]");
    lines.push_back(std::move(entry));
  } else if (const std::size_t at = FindKey(lines, *span, key); at != span->End) {
    lines[at] = std::move(entry);
  } else {
    // After the section's last non-blank line, so blank lines that part it
    // from the next section stay between them.
    std::size_t insertAt = span->End;
    while (insertAt > span->Header + 1 && TrimBlanks(lines[insertAt - 1]).empty()) --insertAt;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(entry));
  }
  if (WriteFileSafely(target, JoinTextLines(lines))) throw EIniFileException(Path);
}
