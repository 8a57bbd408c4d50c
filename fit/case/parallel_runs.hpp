#pragma once
// Independent runs of the model spread over the processor's cores.
#include <cstddef>
#include <functional>

namespace kesta::fit_detail {

// Calls run(i) for every i in [0, count), on as many threads as there are
// cores (OMP_NUM_THREADS, when set, says how many), at most count. The threads start for this call and end with it, so
// none waits on a core between the solver's steps. run must write only its own
// results.
void run_in_parallel(std::size_t count, const std::function<void(std::size_t)>& run);

}  // namespace kesta::fit_detail
