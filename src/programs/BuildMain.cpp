// ambrelin-build: the batch front-end. A command line that publishes is
// handed over to ambrelin-build-publish (beside this program in the build
// folder, in libexec/ambrelin when installed), which draws the copies.
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>

#include "core/cli/BuildCommand.h"
#include "programs/BuildProcess.h"

namespace {
std::string ProgramFolder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string folder(path, static_cast<std::size_t>(n));
  return folder.substr(0, folder.rfind('/'));
}

std::string PublisherPath() {
  const std::string folder = ProgramFolder();
  const std::string beside = folder + "/ambrelin-build-publish";  // in the build folder
  if (access(beside.c_str(), X_OK) == 0) return beside;
  return folder + "/../libexec/ambrelin/ambrelin-build-publish";
}
}  // namespace

int main(int argc, char** argv) {
  if (PublishRequested(std::vector<std::string>(argv + 1, argv + argc))) {
    const std::string publisher = PublisherPath();
    execv(publisher.c_str(), argv);
    std::cerr << "ambrelin-build: " << publisher << ": " << std::strerror(errno)
              << "; it publishes albums\n";
    return BuildFailed;
  }
  // The application object gives Qt the user's locale for the listing
  // order and the date and time formats.
  QCoreApplication app(argc, argv);
  return RunBuildProgram(argc, argv, nullptr);
}
