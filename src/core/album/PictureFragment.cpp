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
  TextLines lines;
  lines.push_back("<!-- Pictures start here -->");
  lines.push_back("<Font size=3>");
  int n = state.AlbumPictureCount;
  for (std::size_t i = 0; n > 0; ++i, --n) {
    const PictureEntry& entry = env.Table.Entries[i];
    const std::string name = entry.NameText();
    const std::string url = PageUrlName(name);
    lines.push_back("<A Name=AMB" + std::to_string(n) + "></A>");
    // The listed name opens the file at once; looking up the lower-cased name
    // ignoring case would read the whole folder for every picture. A picture
    // that has gone is still reported by its lower-cased name. Every error
    // names the picture's path as on disk (the box's second line).
    NamingPath(JoinPath(env.PictureDirectory, name), [&] {
      try {
        ProbePicture(env.Probe, env.PictureDirectory, name, env.Screen, input.AllPictureKinds);
      } catch (const EFOpenError&) {
        throw EFOpenError(LowerAscii(name));
      }
    });
    if (input.IncludeFileNames)
      lines.push_back("<Center><H3>" + PageTextName(name) + "</H3></Center>");
    lines.push_back("<A HRef=" + url + ">");
    const DisplaySize size = FitDisplaySize(env.Probe.ProbeWidth, env.Probe.ProbeHeight);
    const std::string dimensions =
        " Width=" + std::to_string(size.Width) + " Height=" + std::to_string(size.Height);
    if (env.Probe.Landscape)
      lines.push_back("  <Center><IMG src=" + url + dimensions + "></Center></A>");
    else
      lines.push_back("<IMG align=left src=" + url + dimensions + "></A>");
    // Written whole, whatever the description's length: a line cut at 255
    // bytes would drop the closing "</Center>" and centre the rest of the
    // page. Characters outside ASCII become references, so an ASCII line is
    // written byte for byte.
    lines.push_back(PageText("<Center>" + entry.DescriptionText() + "</Center>"));
    if (!env.Probe.Landscape) lines.push_back("<BR Clear = Left>");
    lines.push_back("<HR>");
  }
  lines.push_back("</TABLE>");
  lines.push_back("</P>");
  // Kept only once every picture was measured, so a failure leaves the
  // previous file and no half-built lines.
  state.PictureLines = std::move(lines);
  WriteTextFile(env.PictureDirectory, PictureFileName, state.PictureLines);
}
