// Where the program starts. Started from a terminal it keeps its settings
// file "Ambrelin.INI" in the current directory, as it always has. Started
// from the desktop menu (the desktop entry sets AMBRELIN_DESKTOP_START=1)
// the current directory is the home folder, so the settings go to the
// user's configuration folder instead, and the first start shows the
// pictures folder rather than that configuration folder.
#pragma once

#include <string>

// The variable the desktop entry sets; the value "1" marks a menu start.
inline constexpr char DesktopStartVariable[] = "AMBRELIN_DESKTOP_START";

// What start-up knows about its surroundings, as read from the environment.
struct StartEnvironment {
  bool DesktopStart = false;     // AMBRELIN_DESKTOP_START is "1"
  std::string CurrentDirectory;  // the directory current at start
  std::string ConfigHome;        // $XDG_CONFIG_HOME, empty when unset
  std::string Home;              // the home folder
  std::string PicturesLocation;  // the user's pictures folder, existing or not
};

struct StartLocation {
  std::string ProgramDirectory;       // holds "Ambrelin.INI"; the program runs there
  std::string FirstPictureDirectory;  // shown while no folder is stored; empty: ProgramDirectory
};

// A terminal start: the current directory, nothing else. A menu start:
// ConfigHome + "/ambrelin" ($XDG_CONFIG_HOME is used only when absolute,
// else Home + "/.config"), created when missing and given in canonical form,
// with the pictures folder (Home when that is not a folder) shown first.
// When the configuration folder cannot be created the start is a terminal
// start.
StartLocation ChooseStartLocation(const StartEnvironment& env);
