#include <gtest/gtest.h>

#include "core/platform/LocaleFormats.h"

TEST(LocaleFormatsTest, UnitedStatesBuildDateAndTime) {
  const DateTimeSettings us = UnitedStatesDateTimeSettings();
  EXPECT_EQ(FormatBuildDate(QDate(2026, 12, 7), us), "12/7/2026");
  EXPECT_EQ(FormatBuildTime(QTime(15, 7, 9), us), "3:07:09 PM");
  EXPECT_EQ(FormatBuildTime(QTime(0, 5, 0), us), "12:05:00 AM");
  EXPECT_EQ(FormatBuildTime(QTime(12, 0, 1), us), "12:00:01 PM");
}

TEST(LocaleFormatsTest, SettingsReadFromLocales) {
  const DateTimeSettings us =
      DateTimeSettingsFromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(FormatBuildDate(QDate(2026, 12, 7), us), "12/7/2026");
  EXPECT_EQ(FormatBuildTime(QTime(15, 7, 9), us), "3:07:09 PM");
  const DateTimeSettings de =
      DateTimeSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(FormatBuildDate(QDate(2026, 12, 7), de), "07.12.2026");
  EXPECT_EQ(FormatBuildTime(QTime(15, 7, 9), de), "15:07:09");
  const DateTimeSettings c = DateTimeSettingsFromLocale(QLocale::c());
  EXPECT_EQ(FormatBuildDate(QDate(2026, 12, 7), c), "12/7/2026");
  EXPECT_EQ(FormatBuildTime(QTime(15, 7, 9), c), "3:07:09 PM");
}

TEST(LocaleFormatsTest, DefaultsAndDesignatorFirst) {
  DateTimeSettings s;  // no short date format: m/d/yy with the separator
  s.DateSeparator = "-";
  EXPECT_EQ(FormatBuildDate(QDate(2026, 1, 5), s), "1-5-26");
  s.TwelveHour = true;
  s.DesignatorFirst = true;
  s.LeadingZeroHours = true;
  s.AmText = "vm";
  EXPECT_EQ(FormatBuildTime(QTime(9, 7, 9), s), "vm 09:07:09");
}

TEST(LocaleFormatsTest, SourceDateEpochFixesTheInstantInUtc) {
  setenv("SOURCE_DATE_EPOCH", "1796656029", 1);  // 2026-12-07 15:07:09 UTC
  const QDateTime instant = BuildInstant();
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(instant.date(), QDate(2026, 12, 7));
  EXPECT_EQ(instant.time(), QTime(15, 7, 9));
}
