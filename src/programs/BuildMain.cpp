// ambrelin-build: the batch front-end.
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
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

int main(int argc, char** argv) {
  // The application object gives Qt the user's locale for the listing
  // order and the date and time formats.
  QCoreApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  CommandProcess process;
  process.ProgressOnTerminal = isatty(STDERR_FILENO) != 0;
  process.CatchInterrupts = CatchInterrupts;
  process.Interrupted = &Interrupted;
  return RunBuildCommand(args, std::cout, std::cerr, process);
}
