// ambrelin-build: builds the album of each folder named on the command line
// exactly as the main window's "&Create Album" does.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/cli/PublishCommand.h"

// Exit statuses.
inline constexpr int BuildSucceeded = 0;
inline constexpr int BuildFailed = 1;
inline constexpr int InputRefused = 2;

// True when the arguments are a command line that publishes (one that
// parses, with --publish, and asks for no --help or --version).
bool PublishRequested(const std::vector<std::string>& args);

// Runs the command with its arguments (without the program name); messages
// go to out and err. Returns the exit status.
int RunBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CommandProcess& process = CommandProcess());
