#include <gtest/gtest.h>

#include "support/AlbumTestSupport.h"

namespace {
const TextLines Thumbs = {"T1", "T2"};
const TextLines Pics = {"P1"};

AlbumFixture& Prepared(AlbumFixture& f, TextLines templateLines) {
  f.State.TemplateLines = std::move(templateLines);
  f.State.ThumbnailLines = Thumbs;
  f.State.PictureLines = Pics;
  f.State.BuildDate = "12/7/2026";
  f.State.BuildTime = "3:07:09 PM";
  f.State.AlbumBaseName = "Index";
  BuildFooterFragment(f.State, f.Env);
  return f;
}
}  // namespace

TEST(PageAssemblyTest, FooterLine) {
  AlbumFixture f;
  Prepared(f, {});
  const TextLines footer = {
      "<Font size=1>",
      "Page created using Ambrelin by Orvane, vers 3.1, on 12/7/2026 at 3:07:09 PM.<BR>",
      "</Font>"};
  EXPECT_EQ(f.State.FooterLines, footer);
  EXPECT_EQ(f.Dir.Read("DLM.INC"), CrLf(footer));
}

TEST(PageAssemblyTest, MarkerVariants) {
  struct Case {
    std::string line;
    TextLines result;
  } cases[] = {
      {"<!--INC tn.inc -->", Thumbs},
      {"<!--inc TN.INC -->", {"<!--inc TN.INC -->"}},
      {"<!--INC  TN.INC -->", {"<!--INC  TN.INC -->"}},
      {"<!--INC TN.INC-->", {"<!--INC TN.INC-->"}},
      {"  <!--INC TN.INC -->", {"  <!--INC TN.INC -->"}},
      {"<!--INC TN.INC --> and more", Thumbs},
      {"<!--INC Other.INC -->", {"<!--INC Other.INC -->"}},
      {"<!--INC Pics.INC -->", Pics},
      {"<!--INC pics.inc -->x", Pics},
      {"<!--INC Email.INC -->", {"<!--INC Email.INC -->"}},  // no Email.Inc in the folder
      {"<!--INC DLM.INC -->",
       {"<Font size=1>",
        "Page created using Ambrelin by Orvane, vers 3.1, on 12/7/2026 "
        "at 3:07:09 PM.<BR>",
        "</Font>"}},
      {"<!--INC TN.INC", {"<!--INC TN.INC"}},
  };
  for (const auto& c : cases) {
    AlbumFixture f;
    f.Dir.Write("Other.INC", "other\r\n");
    AssemblePage(Prepared(f, {"top", c.line, "end"}).State, f.Env);
    TextLines expected = {"top"};
    expected.insert(expected.end(), c.result.begin(), c.result.end());
    expected.push_back("end");
    EXPECT_EQ(f.Dir.Read("index.html"), CrLf(expected)) << c.line;
  }
}

TEST(PageAssemblyTest, EmailFileFoundIgnoringCaseAndReadAtEachMarker) {
  AlbumFixture f;
  f.Dir.Write("EMAIL.INC", "mail me\nhere");
  AssemblePage(
      Prepared(f, {"<!--INC Email.INC -->", "<!--INC TN.INC -->", "<!--INC EMAIL.INC -->"}).State,
      f.Env);
  EXPECT_EQ(f.Dir.Read("index.html"), CrLf({"mail me", "here", "T1", "T2", "mail me", "here"}));
}

TEST(PageAssemblyTest, FragmentAppearsAsOftenAsItsMarker) {
  AlbumFixture f;
  AssemblePage(Prepared(f, {"<!--INC TN.INC -->", "mid", "<!--INC TN.INC -->"}).State, f.Env);
  EXPECT_EQ(f.Dir.Read("index.html"), CrLf({"T1", "T2", "mid", "T1", "T2"}));
}

TEST(PageAssemblyTest, EmptyEmailFileRemovesTheMarker) {
  AlbumFixture f;
  f.Dir.Write("Email.Inc", "");
  AssemblePage(Prepared(f, {"a", "<!--INC Email.INC -->", "b"}).State, f.Env);
  EXPECT_EQ(f.Dir.Read("index.html"), CrLf({"a", "b"}));
}

TEST(PageAssemblyTest, PageNameIsLowerCasedAndEmptyTemplateGivesEmptyPage) {
  AlbumFixture f;
  AssemblePage(Prepared(f, {}).State, f.Env);
  EXPECT_TRUE(f.Dir.Exists("index.html"));
  EXPECT_EQ(f.Dir.Read("index.html"), "");
}
