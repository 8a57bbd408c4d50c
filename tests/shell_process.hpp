#pragma once
// A shell command started in the background, and its end awaited: for the
// tests that interrupt a program or run two at once.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace kesta::testing {

// The process running `/bin/sh -c command`, or -1.
inline pid_t start_shell(const std::string& command) {
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return -1;
  return pid;
}

// The exit status, or 128 plus the signal that ended the process.
inline int wait_for(pid_t pid) {
  int raw = 0;
  waitpid(pid, &raw, 0);
  return WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : WEXITSTATUS(raw);
}

}  // namespace kesta::testing
