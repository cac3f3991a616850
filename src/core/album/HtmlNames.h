// Texts as they stand in the page: picture file names lower-cased and made
// safe for an unquoted URL attribute or for visible text, and the user's
// texts with every character outside ASCII written as a character reference,
// so the page reads the same whatever charset a server or browser assumes.
#pragma once

#include <charconv>
#include <string>
#include <string_view>

// Lower-cases ASCII letters and percent-encodes every byte that would end
// an unquoted attribute value or change the URL's meaning (blank, quotes,
// < > = ` # % ? & : \, control characters and bytes of 128 and above).
std::string PageUrlName(std::string_view fileName);

// Lower-cases ASCII letters, writes & < > as character references and every
// character outside ASCII as PageText does.
std::string PageTextName(std::string_view fileName);

// A user's text (title, description) for the page: ASCII bytes unchanged, so
// the HTML the user wrote stays HTML; every character outside ASCII as a
// decimal reference "&#N;", read as UTF-8 where the bytes are valid UTF-8
// and as Windows-1252 byte by byte where they are not ("Caf&#233;" from
// "Caf\xC3\xA9" and from "Caf\xE9").
std::string PageText(std::string_view text);

// The same three appended to out, each in one pass over its text.
void AppendPageUrlName(std::string& out, std::string_view fileName);
void AppendPageTextName(std::string& out, std::string_view fileName);
void AppendPageText(std::string& out, std::string_view text);

// A number as the page writes it, in decimal without leading zeros, held
// in the object itself (a piece of a line, without a string of its own).
class Decimal {
 public:
  explicit Decimal(long long number)
      : Length(std::to_chars(Digits, Digits + sizeof Digits, number).ptr - Digits) {}
  operator std::string_view() const { return {Digits, static_cast<std::size_t>(Length)}; }

 private:
  char Digits[24];
  std::ptrdiff_t Length;
};
