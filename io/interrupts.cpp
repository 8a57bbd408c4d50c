#include "io/interrupts.hpp"

#include <csignal>

namespace kesta {
namespace {

sigset_t interrupt_signals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

InterruptGuard::InterruptGuard(PendingFiles& pending) : pending_(pending) {
  // SIGPIPE always has a handler slot: the call cannot fail for it.
  (void)std::signal(SIGPIPE, SIG_IGN);
  const sigset_t set = interrupt_signals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  running_ = pthread_create(&thread_, nullptr, &InterruptGuard::watch, this) == 0;
}

InterruptGuard::~InterruptGuard() {
  if (!running_) return;
  {
    auto lock = pending_.lock();
    ending_ = true;
  }
  // Wakes the watcher, which sees that the run is ending and returns.
  // The watcher waits for exactly this signal, blocked in every thread: it ends
  // no thread, it only wakes the sigwait.
  pthread_kill(thread_, SIGTERM);  // NOLINT(bugprone-bad-signal-to-kill-thread)
  pthread_join(thread_, nullptr);
}

void* InterruptGuard::watch(void* self) {
  auto& guard = *static_cast<InterruptGuard*>(self);
  const sigset_t set = interrupt_signals();
  int signal = 0;
  if (sigwait(&set, &signal) != 0) return nullptr;
  auto lock = guard.pending_.lock();
  if (guard.ending_) return nullptr;
  guard.pending_.remove_all();
  // End by the signal itself, with its default action, from this thread.
  (void)std::signal(signal, SIG_DFL);  // a signal that sigwait returned has a slot
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal);
  pthread_sigmask(SIG_UNBLOCK, &just_this, nullptr);
  (void)raise(signal);
  return nullptr;  // not reached: the default action ends the process
}

}  // namespace kesta
