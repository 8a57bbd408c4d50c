#pragma once
// Runs independent iterations on the processor's cores. The threads start for
// one loop and end with it, so no thread waits on a core, spinning, between
// loops or after the run's work is done. Each iteration writes only its own
// results, so the bits never depend on how many threads share the work.
#include <functional>

namespace kesta {

// How many threads a loop may use: the cores this process may run on, or the
// number OMP_NUM_THREADS gives.
int worker_count();

// Calls body(i) for i in [0, count), taking chunks of `chunk` iterations in turn
// from a shared counter; on one thread when count is below `parallel_from`, and
// on at most `most_threads` when other work holds the remaining cores.
void parallel_for(int count, int parallel_from, int chunk, const std::function<void(int)>& body, int most_threads = 0);

}  // namespace kesta
