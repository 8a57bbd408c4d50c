#include "fit/case/parallel_runs.hpp"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace kesta::fit {

void run_in_parallel(std::size_t count, const std::function<void(std::size_t)>& run) {
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t workers = std::min(cores, count);
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

}  // namespace kesta::fit
