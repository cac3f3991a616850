#include "core/shell/StartLocation.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/platform/FileSystem.h"

StartLocation ChooseStartLocation(const StartEnvironment& env) {
  StartLocation terminal{env.CurrentDirectory, {}};
  if (!env.DesktopStart) return terminal;

  const bool absoluteConfigHome = !env.ConfigHome.empty() && env.ConfigHome[0] == '/';
  const std::string configHome =
      absoluteConfigHome ? env.ConfigHome : JoinPath(env.Home, ".config");
  const std::string settingsFolder = JoinPath(configHome, "ambrelin");
  std::error_code error;
  std::filesystem::create_directories(settingsFolder, error);
  char resolved[PATH_MAX];
  if (error || !IsDirectory(settingsFolder) || !realpath(settingsFolder.c_str(), resolved))
    return terminal;

  StartLocation menu;
  menu.ProgramDirectory = resolved;
  menu.FirstPictureDirectory = IsDirectory(env.PicturesLocation) ? env.PicturesLocation : env.Home;
  return menu;
}
