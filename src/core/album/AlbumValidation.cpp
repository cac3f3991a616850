#include "core/album/AlbumBuild.h"
#include "core/platform/Text.h"

std::string IndexNameWithoutFolder(const std::string& indexName) {
  const auto cut = indexName.find_last_of("\\:/");
  return cut == std::string::npos ? indexName : indexName.substr(cut + 1);
}

void ValidateAlbumInput(AlbumBuildState& state, AlbumInput& input, AlbumEnvironment& env) {
  const QDateTime now = env.Clock();
  state.BuildDate = FormatBuildDate(now.date(), env.DateTime);
  state.BuildTime = FormatBuildTime(now.time(), env.DateTime);
  state.AlbumPictureCount = static_cast<int>(input.PictureFiles.size());
  state.InputInvalid = false;

  if (TrimControl(input.Title).empty()) {
    env.Messages.ShowInformationDialog("The web page title is missing!");
    state.InputInvalid = true;
  }

  const std::string name = IndexNameWithoutFolder(input.IndexName);
  if (TrimControl(name).empty()) {
    env.Messages.ShowInformationDialog("The index file name is missing!");
    state.InputInvalid = true;
    state.AlbumBaseName = name;
  } else if (const auto dot = name.find('.'); dot != std::string::npos) {
    state.AlbumBaseName = name.substr(0, dot);
    input.IndexName = state.AlbumBaseName;
  } else {
    state.AlbumBaseName = name;
  }

  if (!state.InputInvalid) BuildImageTable(env.Table, input.PictureFiles);
}
