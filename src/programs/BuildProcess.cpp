#include "programs/BuildProcess.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>

#include "core/cli/BuildCommand.h"

namespace {
// Set by Ctrl+C while a publish runs; the publish then stops before its
// next picture and leaves the published folder as it was. A second Ctrl+C
// ends the process at once.
std::atomic<bool> Interrupted{false};

void OnInterrupt(int) {
  Interrupted = true;
}

void CatchInterrupts(bool on) {
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = on ? OnInterrupt : SIG_DFL;
  action.sa_flags = on ? SA_RESETHAND : 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}
}  // namespace

int RunBuildProgram(int argc, char** argv, const WebCopyMaker& convert) {
  std::vector<std::string> args(argv + 1, argv + argc);
  CommandProcess process;
  process.ProgressOnTerminal = isatty(STDERR_FILENO) != 0;
  process.CatchInterrupts = CatchInterrupts;
  process.Interrupted = &Interrupted;
  process.Convert = convert;
  return RunBuildCommand(args, std::cout, std::cerr, process);
}
