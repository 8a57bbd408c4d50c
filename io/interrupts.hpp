#pragma once
// An interrupted run (SIGINT, SIGTERM, SIGHUP) removes the files it was writing
// beside its outputs, then ends by the same signal, so the outputs hold their
// former contents and the caller still sees how the run ended. SIGPIPE is
// ignored: a console that went away never stops the run.
#include <pthread.h>

#include "io/pending_files.hpp"

namespace kesta {

class InterruptGuard {
 public:
  // Must be made before any other thread starts, so that every thread of the
  // run leaves these signals to the guard's own thread.
  explicit InterruptGuard(PendingFiles& pending);
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  static void* watch(void* guard);

  PendingFiles& pending_;
  pthread_t thread_{};
  bool running_ = false;
  bool ending_ = false;  // set under the pending files' lock when the run ends normally
};

}  // namespace kesta
