// The interrupt guard's watcher thread lives exactly as long as the guard: a
// watcher left behind would wake on a later signal and touch a guard that is
// gone. Each case runs in a child process, whose threads are its own.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "io/interrupts.hpp"

namespace kesta {
namespace {

int threads_of_this_process() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
  return n;
}

// The child's threads before, during and after a guard, as its exit status
// (one digit each: 100·before + 10·during + after).
int guarded_thread_counts() {
  const pid_t pid = fork();
  if (pid == 0) {
    const int before = threads_of_this_process();
    int during = 0;
    {
      PendingFiles pending;
      const InterruptGuard guard(pending);
      during = threads_of_this_process();
    }
    const int after = threads_of_this_process();
    _exit((100 * before + 10 * during + after) % 256);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InterruptGuard, ItsWatcherLivesAsLongAsTheGuard) {
  // One thread, two while guarded, one again.
  EXPECT_EQ(guarded_thread_counts(), (100 * 1 + 10 * 2 + 1) % 256);
}

}  // namespace
}  // namespace kesta
