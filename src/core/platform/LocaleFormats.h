// The build date and time texts, in the user's short date and long time
// formats. The settings are an explicit value so they can be tested
// without an installed locale.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <string>

struct DateTimeSettings {
  // Tokens d, dd, m, mm, yy, yyyy; "/" stands for DateSeparator. Empty:
  // "m/d/yy".
  std::string ShortDateFormat;
  std::string DateSeparator = "/";
  bool LeadingZeroHours = false;
  bool TwelveHour = false;
  bool DesignatorFirst = false;
  std::string TimeSeparator = ":";
  std::string AmText = "am";
  std::string PmText = "pm";
};

// The common United States settings: 12/7/2026 and 3:07:09 PM.
DateTimeSettings UnitedStatesDateTimeSettings();

// Reads the settings from a locale's short date and time patterns; a
// two-digit year is widened to four digits. The C locale gives the United
// States settings.
DateTimeSettings DateTimeSettingsFromLocale(const QLocale& locale);

std::string FormatBuildDate(const QDate& date, const DateTimeSettings& settings);
std::string FormatBuildTime(const QTime& time, const DateTimeSettings& settings);

// The moment of a build: SOURCE_DATE_EPOCH in UTC when it is set (so pages
// can be reproduced byte for byte), else the local date and time now.
QDateTime BuildInstant();
