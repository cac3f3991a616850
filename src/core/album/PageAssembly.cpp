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

void AppendLine(std::string& page, std::string_view line) {
  page += line;
  page += "\r\n";
}

void AppendLines(std::string& page, const TextLines& lines) {
  for (const std::string& line : lines) AppendLine(page, line);
}
}  // namespace

void AssemblePage(AlbumBuildState& state, const AlbumEnvironment& env) {
  // The page is made as the bytes of its file, the fragments copied in
  // whole, and written at once: no list of its lines is made.
  std::size_t size = 0;
  for (const std::string& line : state.TemplateLines) {
    switch (MarkerOf(line)) {
      case Marker::Thumbnails:
        size += state.ThumbnailLines.Bytes().size();
        break;
      case Marker::Pictures:
        size += state.PictureLines.Bytes().size();
        break;
      case Marker::Footer:
        for (const std::string& footer : state.FooterLines) size += footer.size() + 2;
        break;
      case Marker::Email:  // its length is known once it is read
      case Marker::None:
        size += line.size() + 2;
        break;
    }
  }
  std::string page;
  page.reserve(size);
  for (const std::string& line : state.TemplateLines) {
    switch (MarkerOf(line)) {
      case Marker::Thumbnails:
        page += state.ThumbnailLines.Bytes();
        break;
      case Marker::Pictures:
        page += state.PictureLines.Bytes();
        break;
      case Marker::Footer:
        AppendLines(page, state.FooterLines);
        break;
      case Marker::Email:
        // Read at each marker, so the page has the file as it is now.
        if (IsRegularFile(ResolvePath(env.PictureDirectory, EmailFileName))) {
          AppendLines(page, ReadTextFile(env.PictureDirectory, EmailFileName));
          break;
        }
        AppendLine(page, line);
        break;
      case Marker::None:
        AppendLine(page, line);
        break;
    }
  }
  WriteAlbumFile(env, PageFileName(state.AlbumBaseName), page);
}
