#include "fit/case/parallel_runs.hpp"

#include <sched.h>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

namespace kesta::fit_detail {

namespace {

// The cores this process may run on, or the number OMP_NUM_THREADS gives, as
// the library counts them.
std::size_t core_count() {
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  int cores = sched_getaffinity(0, sizeof cpus, &cpus) == 0 ? CPU_COUNT(&cpus) : 1;
  if (const char* asked = std::getenv("OMP_NUM_THREADS")) {
    const int n = std::atoi(asked);
    if (n >= 1) cores = std::min(n, 256);
  }
  return static_cast<std::size_t>(std::max(cores, 1));
}

}  // namespace

void run_in_parallel(std::size_t count, const std::function<void(std::size_t)>& run) {
  const std::size_t workers = std::min(core_count(), count);
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1)) run(i);
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < workers; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the others share the work
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace kesta::fit_detail
