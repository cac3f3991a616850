// 8-bit text helpers. Texts are byte strings in the locale's encoding
// (UTF-8 here); case mapping touches the ASCII letters only.
#pragma once

#include <string>
#include <string_view>

std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// text with every byte for which escaped(byte) holds written as "%XX"
// (upper-case hexadecimal digits).
std::string PercentEncoded(std::string_view text, bool (*escaped)(unsigned char));

// Removes every character whose code is below 33 from both ends.
std::string TrimControl(std::string_view text);

// The first at most maxBytes bytes of text, shortened further so that a
// multi-byte UTF-8 character is never cut in two. Bytes that are not valid
// UTF-8 count as characters of one byte each.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);
