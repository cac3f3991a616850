#include "core/publish/PublishManifest.h"

#include <charconv>
#include <vector>

#include "core/platform/Text.h"

namespace {

constexpr std::string_view FirstLine = "ambrelin-publish 2";
constexpr std::string_view FirstLineWithoutPages = "ambrelin-publish 1";
constexpr std::string_view PageField = "page";
constexpr std::size_t FieldCount = 7;

std::string EncodeName(std::string_view name) {
  return PercentEncoded(name, [](unsigned char c) { return c < 32 || c == 127 || c == '%'; });
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A name of a file in the published folder itself: not empty, not "." or
// "..", without "/" or NUL. A manifest may lie in a shared or synced folder,
// so an entry naming anything else is left out: publishing never reads,
// writes or removes a file outside the folder because of it.
bool PlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

bool DecodeName(std::string_view text, std::string& name) {
  name.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      name += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
    if (high < 0 || low < 0) return false;
    name += static_cast<char>(high << 4 | low);
    i += 2;
  }
  return PlainFileName(name);
}

template <class Number>
bool ReadNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Split(std::string_view line, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = line.find(separator, start);
    parts.push_back(line.substr(start, at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

}  // namespace

PublishManifest ParsePublishManifest(std::string_view text) {
  PublishManifest manifest;
  std::vector<std::string_view> lines = Split(text, '\n');
  for (auto& line : lines)
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (lines.empty()) return manifest;
  if (lines[0] == FirstLine)
    manifest.Version = 2;
  else if (lines[0] == FirstLineWithoutPages)
    manifest.Version = 1;
  else
    return manifest;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string_view> fields = Split(lines[i], '\t');
    std::string page;
    if (fields.size() == 2 && fields[0] == PageField && DecodeName(fields[1], page))
      manifest.Pages.insert(std::move(page));
    if (fields.size() != FieldCount) continue;
    ManifestEntry entry;
    if (!DecodeName(fields[0], entry.Name) || !DecodeName(fields[1], entry.SourceName) ||
        !ReadNumber(fields[2], entry.SourceSize) || !ReadNumber(fields[3], entry.SourceModified) ||
        !ReadNumber(fields[4], entry.MaxSize) || !ReadNumber(fields[5], entry.RulesVersion) ||
        !ReadNumber(fields[6], entry.CopySize))
      continue;
    manifest.Copies[entry.Name] = std::move(entry);
  }
  return manifest;
}

std::string FormatPublishManifest(const PublishManifest& manifest) {
  std::string text(FirstLine);
  text += '\n';
  for (const auto& [name, e] : manifest.Copies) {
    text += EncodeName(e.Name) + '\t' + EncodeName(e.SourceName) + '\t' +
            std::to_string(e.SourceSize) + '\t' + std::to_string(e.SourceModified) + '\t' +
            std::to_string(e.MaxSize) + '\t' + std::to_string(e.RulesVersion) + '\t' +
            std::to_string(e.CopySize) + '\n';
  }
  for (const std::string& page : manifest.Pages)
    text += std::string(PageField) + '\t' + EncodeName(page) + '\n';
  return text;
}
