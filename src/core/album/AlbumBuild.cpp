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
  if (env.KeptFiles) return true;  // the folder is left as it was
  if (env.AnnounceCreated) env.Messages.ShowPlainMessage("Ambrelin created!");
  if (env.FolderSettings)
    SaveAlbumOptions(*env.FolderSettings,
                     {input.Title, input.IndexName, input.IncludeFileNames, input.AllPictureKinds});
  return true;
}

void WriteAlbumFile(const AlbumEnvironment& env, const std::string& name, std::string_view bytes) {
  if (env.KeptFiles)
    (*env.KeptFiles)[name] = std::string(bytes);
  else
    WriteTextBytes(env.PictureDirectory, name, bytes);
}

void WriteAlbumFile(const AlbumEnvironment& env, const std::string& name, const TextLines& lines) {
  WriteAlbumFile(env, name, JoinTextLines(lines));
}
