#include "core/album/AlbumBuild.h"
#include "core/album/HtmlNames.h"

void BuildThumbnailFragment(AlbumBuildState& state, const AlbumInput& input,
                            const AlbumEnvironment& env) {
  TextLines& lines = state.ThumbnailLines;
  lines.clear();
  lines.push_back("<!-- Thumbnails start here -->");
  lines.push_back("<Table Border=2 Align=Center>");
  const int columns = input.IncludeFileNames ? 4 : 8;
  int n = state.AlbumPictureCount;
  std::size_t i = 0;
  while (n > 0) {
    lines.push_back("  <TR>");
    for (int column = 0; column < columns; ++column, --n) {
      if (n <= 0) continue;
      const std::string name = env.Table.Entries[i++].NameText();
      lines.push_back("    <TD Align=Center>");
      lines.push_back("      <A HRef=#AMB" + std::to_string(n) + ">");
      lines.push_back("        <IMG width=75 align=left  src=" + PageUrlName(name) +
                      " Border=0></A>");
      lines.push_back("      <BR><Small>" + (input.IncludeFileNames ? PageTextName(name) : "") +
                      "</small>");
      lines.push_back("    </TD>");
    }
  }
  lines.push_back("</TABLE>");
  lines.push_back("</P>");
  WriteAlbumFile(env, ThumbnailFileName, lines);
}
