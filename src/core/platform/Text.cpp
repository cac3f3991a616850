#include "core/platform/Text.h"

#include "core/platform/StoredText.h"

namespace {
char UpperChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char LowerChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
}  // namespace

std::string UpperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperChar(c);
  return result;
}

std::string LowerAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = LowerChar(c);
  return result;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

std::string TrimControl(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) < 33) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) < 33) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string CutUtf8(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  // Step back over continuation bytes to the start of the character that
  // would be cut, and drop it whole. Bytes that are no valid UTF-8 (a
  // Windows-1252 text) are characters of their own and are cut anywhere.
  std::size_t start = maxBytes;
  while (start > 0 && maxBytes - start < 3 &&
         (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
    --start;
  const std::size_t length = Utf8SequenceLength(text, start);
  const std::size_t end = start < maxBytes && start + length > maxBytes ? start : maxBytes;
  return std::string(text.substr(0, end));
}

std::string PercentEncoded(std::string_view text, bool (*escaped)(unsigned char)) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (escaped(c)) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}
