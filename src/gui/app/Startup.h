// Start-up of the program: the application object with its title, the
// screen values, the windows in their order, the event loop.
#pragma once

#include <string>

#include "core/shell/StartLocation.h"

// The process's current directory; "/" when the system cannot tell it.
std::string StartDirectory();

// The start location for this process (see ChooseStartLocation), made the
// current directory.
StartLocation EnterStartLocation();

// Runs the program until its main window is closed; returns the exit code.
// The arguments go to Qt only; the program reads none.
int RunAmbrelin(int argc, char** argv);
