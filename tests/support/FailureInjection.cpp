#include "support/FailureInjection.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "core/platform/Errors.h"

ChildOutcome RunWithFileSizeLimit(std::size_t limitBytes, const std::function<void()>& action) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {false, "", "", true};
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipeFds[0]);
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
    rlimit limit{limitBytes, limitBytes};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string report = "ok";
    try {
      action();
    } catch (const Exception& e) {
      report = "E" + e.ClassName() + "\n" + e.Message();
    }
    if (write(pipeFds[1], report.data(), report.size()) < 0) _exit(2);
    _exit(0);
  }
  close(pipeFds[1]);
  std::string report;
  char buffer[512];
  ssize_t n;
  while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) report.append(buffer, n);
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ChildOutcome outcome;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || report.empty()) {
    outcome.Crashed = true;
    return outcome;
  }
  if (report[0] == 'E') {
    const auto newline = report.find('\n');
    outcome.Threw = true;
    outcome.ClassName = report.substr(1, newline - 1);
    outcome.Message = report.substr(newline + 1);
  }
  return outcome;
}
