// Fuzz target for the INI files: the input's first three lines are a
// section, a key and a value, the rest is the file's content. ReadString
// and WriteString run over it; neither may crash, a read never throws and a
// write to a writable file never fails. A write changes only its own line:
// the file's other lines stay, in order, with at most the section line and
// the entry added. Where section, key and value are plain enough to stand
// on their lines unchanged, reading the key back gives the value as the
// reading rules make it (blanks around it dropped, one pair of matching
// quotes removed, cut to 2047 bytes).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "core/folder/TIniFile.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Text.h"
#include "core/platform/TextFile.h"

namespace {
std::string_view NextLine(std::string_view& rest) {
  const auto end = rest.find('\n');
  const std::string_view line = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return line;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool PlainName(std::string_view s) {
  return !HasLineBreakOrNul(s) && (s.empty() || (!IsBlank(s.front()) && !IsBlank(s.back())));
}

// A key that reads back as itself from a "key=value" line: no "=", and not
// starting like a comment or a section line.
bool PlainKey(std::string_view s) {
  return PlainName(s) && s.find('=') == std::string_view::npos &&
         (s.empty() || (s.front() != ';' && s.front() != '['));
}

// What reading returns for a value written as given.
std::string ReadBack(std::string_view value) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return CutUtf8(value, TIniFile::MaxValueBytes);
}

// True when after equals before with exactly one line replaced by entry,
// or entry inserted somewhere, or the section line and entry appended.
bool OnlyTheEntryChanged(const TextLines& before, const TextLines& after,
                         const std::string& sectionLine, const std::string& entry) {
  if (after.size() == before.size()) {
    std::size_t differing = 0;
    for (std::size_t i = 0; i < after.size(); ++i)
      if (after[i] != before[i]) {
        if (after[i] != entry) return false;
        ++differing;
      }
    return differing <= 1;
  }
  if (after.size() == before.size() + 1) {
    for (std::size_t i = 0; i < after.size(); ++i) {
      if (after[i] != entry) continue;
      TextLines without = after;
      without.erase(without.begin() + static_cast<std::ptrdiff_t>(i));
      if (without == before) return true;
    }
    return false;
  }
  if (after.size() == before.size() + 2) {
    return TextLines(after.begin(), after.end() - 2) == before &&
           after[after.size() - 2] == sectionLine && after.back() == entry;
  }
  return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string section(NextLine(rest));
  const std::string key(NextLine(rest));
  const std::string value(NextLine(rest));
  const std::string path = WriteScratchFile("AmbrelinDir.INI", rest);

  const TIniFile ini(path);
  const std::string missing("\x01 no value \x01");
  ini.ReadString(section, key, missing);  // must neither crash nor throw

  try {
    ini.WriteString(section, key, value);
  } catch (const Exception& e) {
    PropertyBroken("a write to a writable file failed: " + e.Message());
  }

  std::string after;
  if (ReadWholeFile(path, after) != 0) PropertyBroken("the written file cannot be read");
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) return 0;

  const std::string entry = key + "=" + value;
  if (!OnlyTheEntryChanged(SplitTextLines(rest), SplitTextLines(after), "[" + section + "]", entry))
    PropertyBroken("the write changed other lines of the file");

  if (PlainName(section) && PlainKey(key)) {
    const std::string read = ini.ReadString(section, key, missing);
    if (read != ReadBack(value))
      PropertyBroken("wrote \"" + value + "\" but read back \"" + read + "\"");
  }
  return 0;
}
