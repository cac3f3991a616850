#include <algorithm>

#include "core/album/AlbumBuild.h"
#include "core/album/HtmlNames.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Text.h"

DisplaySize FitDisplaySize(int width, int height) {
  // 64-bit products: a very tall picture must not overflow H x 768. A side
  // that the rounding down would take from a positive length to 0 stays 1
  // pixel, so a picture of 65500 x 1 is still shown (a 0 x 0 picture stays
  // 0 x 0).
  const auto scaled = [](std::int64_t length, std::int64_t bound, std::int64_t other) {
    const std::int64_t result = length * bound / other;
    return length > 0 ? std::max<std::int64_t>(1, result) : result;
  };
  std::int64_t w = width, h = height;
  while (w > 768 || h > 400) {
    if (w > 768) {
      h = scaled(h, 768, w);
      w = 768;
    } else {
      w = scaled(w, 400, h);
      h = 400;
    }
  }
  return {static_cast<int>(w), static_cast<int>(h)};
}

void BuildPictureFragment(AlbumBuildState& state, const AlbumInput& input, AlbumEnvironment& env) {
  JoinedLines lines;
  const std::size_t count = std::max(state.AlbumPictureCount, 0);
  // Room for the lines as they come out for names and descriptions that
  // need no encoding: the fixed text of a picture, the name three times and
  // the description.
  std::size_t textBytes = 0;
  for (std::size_t i = 0; i < std::min(count, env.Table.Entries.size()); ++i)
    textBytes +=
        3 * env.Table.Entries[i].NameView().size() + env.Table.Entries[i].DescriptionView().size();
  lines.reserve(4 + 7 * count, 80 + 180 * count + textBytes);

  lines.push_back("<!-- Pictures start here -->");
  lines.push_back("<Font size=3>");
  std::string url, text;  // one picture at a time, each made once
  int n = state.AlbumPictureCount;
  for (std::size_t i = 0; n > 0; ++i, --n) {
    const PictureEntry& entry = env.Table.Entries[i];
    const std::string name = entry.NameText();
    url.clear();
    AppendPageUrlName(url, name);
    lines.Add({"<A Name=AMB", Decimal(n), "></A>"});
    // The listed name opens the file at once; looking up the lower-cased name
    // ignoring case would read the whole folder for every picture. A picture
    // that has gone is still reported by its lower-cased name. Every error
    // names the picture's path as on disk (the box's second line), made
    // only then.
    try {
      ProbePicture(env.Probe, env.PictureDirectory, name, env.Screen, input.AllPictureKinds);
    } catch (const EFOpenError&) {
      EFOpenError gone(LowerAscii(name));
      gone.SetPath(JoinPath(env.PictureDirectory, name));
      throw gone;
    } catch (Exception& e) {
      if (e.Path().empty()) e.SetPath(JoinPath(env.PictureDirectory, name));
      throw;
    }
    if (input.IncludeFileNames) {
      text.clear();
      AppendPageTextName(text, name);
      lines.Add({"<Center><H3>", text, "</H3></Center>"});
    }
    lines.Add({"<A HRef=", url, ">"});
    const DisplaySize size = FitDisplaySize(env.Probe.ProbeWidth, env.Probe.ProbeHeight);
    if (env.Probe.Landscape)
      lines.Add({"  <Center><IMG src=", url, " Width=", Decimal(size.Width),
                 " Height=", Decimal(size.Height), "></Center></A>"});
    else
      lines.Add({"<IMG align=left src=", url, " Width=", Decimal(size.Width),
                 " Height=", Decimal(size.Height), "></A>"});
    // Written whole, whatever the description's length: a line cut at 255
    // bytes would drop the closing "</Center>" and centre the rest of the
    // page. Characters outside ASCII become references, so an ASCII line is
    // written byte for byte.
    text.clear();
    AppendPageText(text, entry.DescriptionView());
    lines.Add({"<Center>", text, "</Center>"});
    if (!env.Probe.Landscape) lines.push_back("<BR Clear = Left>");
    lines.push_back("<HR>");
  }
  lines.push_back("</TABLE>");
  lines.push_back("</P>");
  // Kept only once every picture was measured, so a failure leaves the
  // previous file and no half-built lines.
  state.PictureLines = std::move(lines);
  WriteAlbumFile(env, PictureFileName, state.PictureLines.Bytes());
}
