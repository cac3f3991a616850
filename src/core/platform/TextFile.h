// Text files: 8-bit lines, each written with CR LF after it; reading splits
// at CR LF, a lone CR or a lone LF and stops at the first NUL byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

using TextLines = std::vector<std::string>;

TextLines SplitTextLines(std::string_view text);
std::string JoinTextLines(const TextLines& lines);

// Reads the file name (looked up ignoring letter case) in dir. A file that
// cannot be opened raises EFOpenError naming the file as passed.
TextLines ReadTextFile(const std::string& dir, const std::string& name);

// Writes lines to name in dir (an existing file differing only in letter
// case is the one replaced). The old file is fully replaced or left as it
// was. Failures raise EFCreateError naming the file as passed, or
// EWriteError when the writing itself failed.
void WriteTextFile(const std::string& dir, const std::string& name, const TextLines& lines);
