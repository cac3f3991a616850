#include "core/album/AlbumBuild.h"
#include "core/platform/Text.h"

std::string IndexNameWithoutFolder(const std::string& indexName) {
  const auto cut = indexName.find_last_of("\\:/");
  return cut == std::string::npos ? indexName : indexName.substr(cut + 1);
}

std::string AlbumBaseNameOf(const std::string& indexName) {
  const std::string name = IndexNameWithoutFolder(indexName);
  return name.substr(0, name.find('.'));
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

  // A name that is blank once trimmed holds no ".": its base name is itself.
  const std::string name = IndexNameWithoutFolder(input.IndexName);
  state.AlbumBaseName = AlbumBaseNameOf(input.IndexName);
  if (TrimControl(name).empty()) {
    env.Messages.ShowInformationDialog("The index file name is missing!");
    state.InputInvalid = true;
  } else if (name.find('.') != std::string::npos) {
    input.IndexName = state.AlbumBaseName;
  }

  if (!state.InputInvalid) BuildImageTable(env.Table, input.PictureFiles);
}
