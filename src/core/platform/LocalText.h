// The meeting of the program's 8-bit texts (the locale's encoding, UTF-8
// here) and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

std::string ToLocal(const QString& text);
QString FromLocal(std::string_view text);
