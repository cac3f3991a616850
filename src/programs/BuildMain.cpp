// ambrelin-build: the batch front-end.
#include <QCoreApplication>
#include <iostream>

#include "core/cli/BuildCommand.h"

int main(int argc, char** argv) {
  // The application object gives Qt the user's locale for the listing
  // order and the date and time formats.
  QCoreApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunBuildCommand(args, std::cout, std::cerr);
}
