#include "core/album/AlbumBuild.h"
#include "core/album/HtmlNames.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Text.h"

std::string PageFileName(const std::string& albumBaseName) {
  return LowerAscii(albumBaseName + ".html");
}

void BuildFooterFragment(AlbumBuildState& state, const AlbumEnvironment& env) {
  // The locale's date and time may hold letters outside ASCII (the
  // designators of some languages): written as references like every text.
  state.FooterLines = {
      "<Font size=1>",
      "Page created using Ambrelin by Orvane, vers " + env.Version.MajorVersion + "." +
          env.Version.MinorVersion + ", on " + PageText(state.BuildDate) + " at " +
          PageText(state.BuildTime) + ".<BR>",
      "</Font>",
  };
  WriteAlbumFile(env, FooterFileName, state.FooterLines);
}

namespace {
enum class Marker { None, Thumbnails, Pictures, Email, Footer };

// A marker line starts with "<!--INC " exactly; the fragment name that
// follows is compared ignoring letter case, and the rest of the line is
// dropped with it.
Marker MarkerOf(const std::string& line) {
  if (line.compare(0, 8, "<!--INC ") != 0) return Marker::None;
  const std::string rest = UpperAscii(std::string_view(line).substr(8));
  auto startsWith = [&rest](std::string_view key) { return rest.compare(0, key.size(), key) == 0; };
  if (startsWith("TN.INC -->")) return Marker::Thumbnails;
  if (startsWith("PICS.INC -->")) return Marker::Pictures;
  if (startsWith("EMAIL.INC -->")) return Marker::Email;
  if (startsWith("DLM.INC -->")) return Marker::Footer;
  return Marker::None;
}

void Append(TextLines& to, const TextLines& from) {
  to.insert(to.end(), from.begin(), from.end());
}
}  // namespace

void AssemblePage(AlbumBuildState& state, const AlbumEnvironment& env) {
  TextLines page;
  for (const std::string& line : state.TemplateLines) {
    switch (MarkerOf(line)) {
      case Marker::Thumbnails:
        Append(page, state.ThumbnailLines);
        break;
      case Marker::Pictures:
        Append(page, state.PictureLines);
        break;
      case Marker::Footer:
        Append(page, state.FooterLines);
        break;
      case Marker::Email:
        // Read at each marker, so the page has the file as it is now.
        if (IsRegularFile(ResolvePath(env.PictureDirectory, EmailFileName))) {
          Append(page, ReadTextFile(env.PictureDirectory, EmailFileName));
          break;
        }
        page.push_back(line);
        break;
      case Marker::None:
        page.push_back(line);
        break;
    }
  }
  WriteAlbumFile(env, PageFileName(state.AlbumBaseName), page);
}
