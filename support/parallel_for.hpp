#pragma once
// Runs independent iterations on the processor's cores. The threads start for
// one loop and end with it, so no thread waits on a core, spinning, between
// loops or after the run's work is done. Each iteration writes only its own
// results, so the bits never depend on how many threads share the work.
#include <cstddef>
#include <functional>

namespace kesta {

// Below this many output steps, lags or report rows, more threads cost more
// than they save.
inline constexpr int kParallelFrom = 2048;

// The threads a loop may use: the `cores` this process may run on, or the
// number OMP_NUM_THREADS (`asked`, null when unset) gives, at most 256.
int thread_count(int cores, const char* asked);

// The threads of this process, read once from its CPU affinity and
// OMP_NUM_THREADS: like an OpenMP runtime, a run keeps the count it started with.
class ThreadContext {
 public:
  explicit ThreadContext(int workers) : workers_(workers < 1 ? 1 : workers) {}
  static const ThreadContext& of_process();
  int workers() const { return workers_; }

 private:
  int workers_;
};

inline int worker_count() { return ThreadContext::of_process().workers(); }

// Calls body(i) for i in [0, count), taking chunks of `chunk` iterations in turn
// from a shared counter; on one thread when count is below `parallel_from`, and
// on at most `most_threads` when other work holds the remaining cores.
void parallel_for(int count, int parallel_from, int chunk, const std::function<void(int)>& body, int most_threads = 0);

// Independent runs of the model, one iteration each, on every core, at most count.
void run_in_parallel(std::size_t count, const std::function<void(std::size_t)>& run);

}  // namespace kesta
