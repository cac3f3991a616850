#include <algorithm>

#include "core/album/AlbumBuild.h"
#include "core/album/HtmlNames.h"

void BuildThumbnailFragment(AlbumBuildState& state, const AlbumInput& input,
                            const AlbumEnvironment& env) {
  JoinedLines& lines = state.ThumbnailLines;
  lines.clear();
  const int columns = input.IncludeFileNames ? 4 : 8;
  const std::size_t count = std::max(state.AlbumPictureCount, 0);
  // Room for the lines as they come out for names that need no encoding:
  // the fixed text of a cell, its number and the name twice.
  std::size_t nameBytes = 0;
  for (std::size_t i = 0; i < std::min(count, env.Table.Entries.size()); ++i)
    nameBytes += env.Table.Entries[i].NameView().size();
  const std::size_t rows = (count + columns - 1) / columns;
  lines.reserve(4 + rows + 5 * count, 80 + 8 * rows + 150 * count + 2 * nameBytes);

  lines.push_back("<!-- Thumbnails start here -->");
  lines.push_back("<Table Border=2 Align=Center>");
  std::string url, text;  // one name at a time, each made once
  int n = state.AlbumPictureCount;
  std::size_t i = 0;
  while (n > 0) {
    lines.push_back("  <TR>");
    for (int column = 0; column < columns; ++column, --n) {
      if (n <= 0) continue;
      const std::string_view name = env.Table.Entries[i++].NameView();
      url.clear();
      AppendPageUrlName(url, name);
      text.clear();
      if (input.IncludeFileNames) AppendPageTextName(text, name);
      lines.push_back("    <TD Align=Center>");
      lines.Add({"      <A HRef=#AMB", Decimal(n), ">"});
      lines.Add({"        <IMG width=75 align=left  src=", url, " Border=0></A>"});
      lines.Add({"      <BR><Small>", text, "</small>"});
      lines.push_back("    </TD>");
    }
  }
  lines.push_back("</TABLE>");
  lines.push_back("</P>");
  WriteAlbumFile(env, ThumbnailFileName, lines.Bytes());
}
