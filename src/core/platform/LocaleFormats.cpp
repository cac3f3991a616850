#include "core/platform/LocaleFormats.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <cstdlib>

DateTimeSettings UnitedStatesDateTimeSettings() {
  DateTimeSettings s;
  s.ShortDateFormat = "m/d/yyyy";
  s.DateSeparator = "/";
  s.LeadingZeroHours = false;
  s.TwelveHour = true;
  s.DesignatorFirst = false;
  s.TimeSeparator = ":";
  s.AmText = "AM";
  s.PmText = "PM";
  return s;
}

namespace {
bool IsPatternLetter(QChar c) {
  return c.isLetter();
}

// Maps a Qt date pattern to the tokens d, dd, m, mm, yy, yyyy; the first
// separator becomes the date separator and is written as "/".
void ReadDatePattern(const QString& pattern, DateTimeSettings& s) {
  std::string format;
  std::string separator;
  for (qsizetype i = 0; i < pattern.size();) {
    const QChar c = pattern[i];
    qsizetype run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    if (c == QLatin1Char('\'')) {  // quoted literal text is kept as it is
      const qsizetype end = pattern.indexOf(QLatin1Char('\''), i + 1);
      const qsizetype stop = end < 0 ? pattern.size() : end + 1;
      format += pattern.mid(i + 1, stop - i - 2).toStdString();
      i = stop;
      continue;
    }
    if (c == QLatin1Char('d')) {
      if (run <= 2) format += run == 1 ? "d" : "dd";  // day names have no token
    } else if (c == QLatin1Char('M')) {
      format += run == 1 ? "m" : "mm";
    } else if (c == QLatin1Char('y')) {
      format += "yyyy";
    } else if (!IsPatternLetter(c)) {
      const std::string text = QString(run, c).toStdString();
      if (separator.empty() && c != QLatin1Char(' ')) separator = text;
      format += text == separator ? "/" : text;
    }
    i += run;
  }
  // Trim separators left behind by dropped tokens.
  while (!format.empty() && (format.back() == ' ' || format.back() == ',')) format.pop_back();
  s.ShortDateFormat = format;
  s.DateSeparator = separator.empty() ? "/" : separator;
}

void ReadTimePattern(const QString& pattern, DateTimeSettings& s) {
  const qsizetype hour = pattern.indexOf(QRegularExpression(QStringLiteral("[hH]")));
  const qsizetype designator = pattern.indexOf(QRegularExpression(QStringLiteral("[aA]")));
  s.TwelveHour = designator >= 0 && hour >= 0 && pattern[hour] == QLatin1Char('h');
  s.DesignatorFirst = s.TwelveHour && designator < hour;
  s.LeadingZeroHours = hour >= 0 && hour + 1 < pattern.size() && pattern[hour + 1] == pattern[hour];
  s.TimeSeparator = ":";
  if (hour >= 0) {
    qsizetype after = hour;
    while (after < pattern.size() && pattern[after] == pattern[hour]) ++after;
    if (after < pattern.size() && !pattern[after].isLetter())
      s.TimeSeparator = QString(pattern[after]).toStdString();
  }
}
}  // namespace

DateTimeSettings DateTimeSettingsFromLocale(const QLocale& locale) {
  // The C locale (no regional settings chosen) reads as the common English
  // settings rather than Qt's technical formats.
  if (locale.language() == QLocale::C) return UnitedStatesDateTimeSettings();
  DateTimeSettings s;
  ReadDatePattern(locale.dateFormat(QLocale::ShortFormat), s);
  ReadTimePattern(locale.timeFormat(QLocale::LongFormat), s);
  s.AmText = locale.amText().toStdString();
  s.PmText = locale.pmText().toStdString();
  if (s.AmText.empty()) s.AmText = "am";
  if (s.PmText.empty()) s.PmText = "pm";
  return s;
}

std::string FormatBuildDate(const QDate& date, const DateTimeSettings& settings) {
  const std::string format = settings.ShortDateFormat.empty() ? "m/d/yy" : settings.ShortDateFormat;
  std::string out;
  auto twoDigits = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  for (std::size_t i = 0; i < format.size();) {
    std::size_t run = 1;
    while (i + run < format.size() && format[i + run] == format[i]) ++run;
    const char c = format[i];
    if (c == 'd') {
      out += run == 1 ? std::to_string(date.day()) : twoDigits(date.day());
    } else if (c == 'm') {
      out += run == 1 ? std::to_string(date.month()) : twoDigits(date.month());
    } else if (c == 'y') {
      out += run <= 2 ? twoDigits(date.year() % 100) : std::to_string(date.year());
    } else if (c == '/') {
      for (std::size_t k = 0; k < run; ++k) out += settings.DateSeparator;
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

std::string FormatBuildTime(const QTime& time, const DateTimeSettings& settings) {
  int hour = time.hour();
  if (settings.TwelveHour) {
    hour %= 12;
    if (hour == 0) hour = 12;
  }
  auto twoDigits = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  std::string text = settings.LeadingZeroHours ? twoDigits(hour) : std::to_string(hour);
  text += settings.TimeSeparator + twoDigits(time.minute()) + settings.TimeSeparator +
          twoDigits(time.second());
  if (settings.TwelveHour) {
    const std::string& designator = time.hour() < 12 ? settings.AmText : settings.PmText;
    text = settings.DesignatorFirst ? designator + " " + text : text + " " + designator;
  }
  return text;
}

QDateTime BuildInstant() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (end && *end == '\0') return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
  }
  return QDateTime::currentDateTime();
}
