#include "core/album/HtmlNames.h"

#include <charconv>
#include <cstdint>

#include "core/platform/StoredText.h"

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

char LowerChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Appends "&#N;" for the character outside ASCII at text[at]; at moves past it.
void AppendReference(std::string& out, std::string_view text, std::size_t& at) {
  char digits[16];
  const auto code = static_cast<std::uint32_t>(NextStoredCharacter(text, at));
  const auto end = std::to_chars(digits, digits + sizeof digits, code).ptr;
  out += "&#";
  out.append(digits, end);
  out += ';';
}
}  // namespace

void AppendPageUrlName(std::string& out, std::string_view fileName) {
  static const char hex[] = "0123456789ABCDEF";
  for (const char ch : fileName) {
    const auto c = static_cast<unsigned char>(LowerChar(ch));
    if (NeedsPercent(c)) {
      const char escaped[3] = {'%', hex[c >> 4], hex[c & 15]};
      out.append(escaped, 3);
    } else {
      out += static_cast<char>(c);
    }
  }
}

void AppendPageTextName(std::string& out, std::string_view fileName) {
  for (std::size_t i = 0; i < fileName.size();) {
    const char ch = fileName[i];
    if (static_cast<unsigned char>(ch) >= 0x80) {
      AppendReference(out, fileName, i);
      continue;
    }
    ++i;
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
        out += LowerChar(ch);
    }
  }
}

void AppendPageText(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    // Runs of ASCII go over as they are.
    std::size_t ascii = i;
    while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) ++ascii;
    out.append(text, i, ascii - i);
    i = ascii;
    if (i < text.size()) AppendReference(out, text, i);
  }
}

std::string PageUrlName(std::string_view fileName) {
  std::string out;
  out.reserve(fileName.size());
  AppendPageUrlName(out, fileName);
  return out;
}

std::string PageTextName(std::string_view fileName) {
  std::string out;
  out.reserve(fileName.size());
  AppendPageTextName(out, fileName);
  return out;
}

std::string PageText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendPageText(out, text);
  return out;
}
