#include "core/album/AlbumBuild.h"
#include "core/folder/DescriptionFile.h"
#include "core/folder/Settings.h"

bool CreateAlbum(AlbumBuildState& state, AlbumInput& input, AlbumEnvironment& env) {
  ValidateAlbumInput(state, input, env);
  if (state.InputInvalid) return false;
  LoadDescriptions(env.Table, DescriptionFilePath(env.PictureDirectory));
  PrepareTemplate(state, input, env);
  BuildThumbnailFragment(state, input, env);
  BuildPictureFragment(state, input, env);
  BuildFooterFragment(state, env);
  AssemblePage(state, env);
  env.Messages.ShowPlainMessage("Ambrelin created!");
  if (env.FolderSettings)
    SaveAlbumOptions(*env.FolderSettings,
                     {input.Title, input.IndexName, input.IncludeFileNames, input.AllPictureKinds});
  return true;
}
