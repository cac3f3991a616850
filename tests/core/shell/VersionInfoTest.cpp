#include <gtest/gtest.h>

#include "core/shell/VersionInfo.h"

TEST(VersionInfoTest, ProgramRecord) {
  VersionInfo info;
  ReadVersionInfo(info, &ProgramVersionRecord());
  EXPECT_EQ(info.MajorVersion, "3");
  EXPECT_EQ(info.MinorVersion, "1");
  EXPECT_EQ(info.FileVersion, "3.1.0.2");
  EXPECT_EQ(info.ProductName, "Ambrelin");
  EXPECT_EQ(info.CompanyName, "Orvane Software");
  EXPECT_EQ(ProgramVersionRecord().FileVersionLS, 2u);
  EXPECT_EQ(ProgramVersionRecord().Translations.at(0),
            (std::pair<std::uint16_t, std::uint16_t>{0x0409, 0x04E4}));
}

TEST(VersionInfoTest, NoRecordLeavesEveryFieldEmpty) {
  VersionInfo info;
  ReadVersionInfo(info, nullptr);
  EXPECT_EQ(info.MajorVersion + info.MinorVersion + info.FileVersion + info.ProductName +
                info.CompanyName,
            "");
}

TEST(VersionInfoTest, OtherNumbersAndOtherBlock) {
  VersionRecord record;
  record.FileVersionMS = (10u << 16) | 20u;
  record.FileVersionLS = (300u << 16) | 4000u;
  record.StringBlocks.push_back({"040904E4", {{"FileVersion", "9.9"}, {"ProductName", "X"}}});
  VersionInfo info;
  ReadVersionInfo(info, &record);
  EXPECT_EQ(info.MajorVersion, "10");
  EXPECT_EQ(info.MinorVersion, "20");
  EXPECT_EQ(info.FileVersion, "9.9");  // read separately from the numbers
  EXPECT_EQ(info.CompanyName, "");     // missing string

  record.FileVersionMS = 0xFFFFFFFFu;
  record.StringBlocks = {{"040704B0", {{"FileVersion", "1.0"}, {"ProductName", "Y"}}}};
  VersionInfo other;
  ReadVersionInfo(other, &record);
  EXPECT_EQ(other.MajorVersion, "65535");
  EXPECT_EQ(other.MinorVersion, "65535");
  EXPECT_EQ(other.FileVersion, "");  // strings under another block are not read
  EXPECT_EQ(other.ProductName, "");
}
