// The meeting of the program's 8-bit texts (the locale's encoding, UTF-8
// here) and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

std::string ToLocal(const QString& text);
QString FromLocal(std::string_view text);

// A stored text (a description) for showing: UTF-8 where it is valid, and
// Windows-1252 for every other byte, as the earlier Windows program wrote
// it. Not for file names, whose bytes must come back unchanged.
QString FromStoredText(std::string_view text);
