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

// The process running `/bin/sh -c command`, or -1. The interrupting signals
// take their default action in it, whatever this process does with them: a
// test run under nohup would otherwise hand SIGHUP on ignored, and a test of
// what SIGHUP does would see nothing.
inline pid_t start_shell(const std::string& command) {
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return -1;
  sigset_t defaults, none;
  sigemptyset(&defaults);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, signal);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, "/bin/sh", nullptr, &attributes, const_cast<char**>(argv), environ);
  posix_spawnattr_destroy(&attributes);
  return failed != 0 ? -1 : pid;
}

// The exit status, or 128 plus the signal that ended the process.
inline int wait_for(pid_t pid) {
  int raw = 0;
  waitpid(pid, &raw, 0);
  return WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : WEXITSTATUS(raw);
}

}  // namespace kesta::testing
