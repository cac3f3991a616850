// Texts as they are stored in this program's files and in those of the
// earlier Windows program: UTF-8 where the bytes are valid UTF-8, and
// Windows-1252, byte by byte, where they are not (descriptions, titles and
// templates written on Windows).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The Unicode code point of a Windows-1252 byte. The five codes the code
// page leaves undefined (81, 8D, 8F, 90, 9D) stay their C1 control codes,
// as browsers decode them; every other byte of 80-FF is Latin-1 except the
// 27 characters of 80-9F.
char32_t Windows1252CodePoint(unsigned char byte);

// The length (2 to 4) of the valid UTF-8 sequence of a character outside
// ASCII that starts at text[at], or 0 when the bytes there are no such
// sequence (a stray or overlong form, a surrogate, beyond U+10FFFF, cut off).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// The character of a stored text that starts at text[at] (at < size), as
// DecodeStoredText reads it; at moves past it.
char32_t NextStoredCharacter(std::string_view text, std::size_t& at);

// The characters of a stored text: each valid UTF-8 sequence is one code
// point, every other byte one Windows-1252 character.
std::u32string DecodeStoredText(std::string_view text);
