#include "support/parallel_for.hpp"

#include <sched.h>
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

namespace kesta {

int thread_count(int cores, const char* asked) {
  // OMP_NUM_THREADS, as scripts have long set it, chooses the count outright.
  if (asked != nullptr) {
    const int n = std::atoi(asked);
    if (n >= 1) cores = std::min(n, 256);
  }
  return std::max(cores, 1);
}

const ThreadContext& ThreadContext::of_process() {
  static const ThreadContext context = [] {
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    const int cores = sched_getaffinity(0, sizeof cpus, &cpus) == 0 ? CPU_COUNT(&cpus) : 1;
    return ThreadContext(thread_count(cores, std::getenv("OMP_NUM_THREADS")));
  }();
  return context;
}

void parallel_for(int count, int parallel_from, int chunk, const std::function<void(int)>& body, int most_threads) {
  chunk = std::max(chunk, 1);
  int workers = count >= parallel_from ? std::min(worker_count(), (count + chunk - 1) / chunk) : 1;
  if (most_threads >= 1) workers = std::min(workers, most_threads);
  std::atomic<int> next{0};
  auto work = [&] {
    for (int first = next.fetch_add(chunk); first < count; first = next.fetch_add(chunk))
      for (int i = first, end = std::min(first + chunk, count); i < end; ++i) body(i);
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < workers; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the others share the work
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
}

void run_in_parallel(std::size_t count, const std::function<void(std::size_t)>& run) {
  const int runs = static_cast<int>(std::min<std::size_t>(count, INT_MAX));
  parallel_for(runs, 1, 1, [&](int i) { run(static_cast<std::size_t>(i)); });
}

}  // namespace kesta
