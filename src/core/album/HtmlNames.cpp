#include "core/album/HtmlNames.h"

#include <cstdint>

#include "core/platform/StoredText.h"
#include "core/platform/Text.h"

namespace {
bool NeedsPercent(unsigned char c) {
  if (c < 33 || c >= 127) return true;
  switch (c) {
    case '"':
    case '\'':
    case '<':
    case '>':
    case '=':
    case '`':
    case '#':
    case '%':
    case '?':
    case '&':
    // A ":" would make "note:1.jpg" a URL of the scheme "note", and a
    // browser reads "\" in a file or http URL as "/".
    case ':':
    case '\\':
      return true;
    default:
      return false;
  }
}
}  // namespace

std::string PageUrlName(std::string_view fileName) {
  return PercentEncoded(LowerAscii(fileName), NeedsPercent);
}

std::string PageTextName(std::string_view fileName) {
  std::string out;
  out.reserve(fileName.size());
  for (const char ch : LowerAscii(fileName)) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += ch;
    }
  }
  return PageText(out);
}

std::string PageText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char32_t c : DecodeStoredText(text)) {
    if (c < 0x80)
      out += static_cast<char>(c);
    else
      out += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
  }
  return out;
}
