#include "model/printed_accuracy.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace kesta {
namespace {

// value(k) is the value printed at step k, error[k] its error.
template <typename Value>
ColumnCheck check_column(std::size_t steps, Value value, const std::vector<double>& error, int digits) {
  ColumnCheck c;
  for (std::size_t k = 1; k < steps; ++k) {
    const double printed = value(k);
    const double size = std::fabs(error[k]);
    const double half = half_unit(printed, digits);
    c.worst = std::max(c.worst, size / half);
    if (!(size > half)) continue;
    ++c.off;
    const int step = static_cast<int>(k);
    if (std::fabs(printed - error[k]) < size) {
      ++c.noise;
      if (c.first_noise < 0) c.first_noise = step;
      c.last_noise = step;
      c.floor = std::max(c.floor, size);
    } else {
      if (c.first_off < 0) c.first_off = step;
      c.last_off = step;
      if (size > c.largest) {
        c.largest = size;
        c.largest_units = size / (2.0 * half);
      }
    }
  }
  return c;
}

ColumnCheck check_column(const std::vector<double>& printed, const std::vector<double>& error, int digits) {
  return check_column(
      printed.size(), [&](std::size_t k) { return printed[k]; }, error, digits);
}

// The column another order prints: the exact values (those printed less their
// error) plus that order's error, taken step by step rather than stored.
ColumnCheck check_other_order(const std::vector<double>& printed, const std::vector<double>& error,
                              const std::vector<double>& other_error, int digits) {
  return check_column(
      printed.size(), [&](std::size_t k) { return (printed[k] - error[k]) + other_error[k]; }, other_error, digits);
}

// 10^k as std::pow gives it, from a table: the check asks for several per
// printed value and searched order, and pow itself costs more than the rest.
double power_of_ten(int k) {
  constexpr int kReach = 400;  // beyond any exponent a double has
  static const std::array<double, 2 * kReach + 1> table = [] {
    std::array<double, 2 * kReach + 1> t{};
    for (std::size_t at = 0; at < t.size(); ++at) t[at] = std::pow(10.0, static_cast<int>(at) - kReach);
    return t;
  }();
  if (k < -kReach || k > kReach) return std::pow(10.0, k);
  const int at = k + kReach;
  return table[static_cast<std::size_t>(at)];
}

}  // namespace

double half_unit(double value, int digits) {
  const double size = std::fabs(value);
  if (size == 0.0 || !std::isfinite(size)) return 0.5 * power_of_ten(-digits);
  // The decade from the binary exponent, put right by the table:
  // 10^(e-1) <= size < 10^e. Cheaper than log10, and exact at the powers of
  // ten, where log10 may land a hair off.
  // size < 2^binary; 78913 / 2^18 is log10 2 to six digits, enough for a
  // first guess that the loops below put right.
  const int binary = static_cast<int>(std::bit_cast<std::uint64_t>(size) >> 52) - 1022;
  int e = (binary * 78913 >> 18) + 1;
  while (size < power_of_ten(e - 1)) --e;
  while (size >= power_of_ten(e)) ++e;
  // Rounding to the printed digits may carry into the next decade.
  if (size >= power_of_ten(e) * (1.0 - 0.5 * power_of_ten(-digits))) ++e;
  return 0.5 * power_of_ten(e - digits);
}

PrintedAccuracy check_printed(const Results& results, const InversionError& error) {
  PrintedAccuracy a;
  a.NS = error.NS;
  a.steps = results.head.empty() ? 0 : static_cast<int>(results.head.size()) - 1;
  a.head = check_column(results.head, error.head, kHeadDigits);
  a.seepage = check_column(results.seepage, error.seepage, kSeepageDigits);
  return a;
}

std::vector<int> searched_orders() {
  std::vector<int> orders;
  // An odd order's last weight is zero: it gives the next lower even order's bits.
  for (int NS = NS_SEARCH_FIRST; NS <= NS_SEARCH_LAST; NS += 2) orders.push_back(NS);
  return orders;
}

NsAdvice advise_ns(CheckedSimulation& simulation, const InversionError& error, PairConvolution::Workspace& work) {
  const Results& results = simulation.results();
  NsAdvice best;
  double best_worst = 0.0;
  InversionError candidate;
  for (std::size_t m = 0; m < simulation.searched().size(); ++m) {
    simulation.take_searched_error(m, work, candidate);
    const ColumnCheck head = check_other_order(results.head, error.head, candidate.head, kHeadDigits);
    const ColumnCheck seepage = check_other_order(results.seepage, error.seepage, candidate.seepage, kSeepageDigits);
    const int off = head.off + seepage.off;
    const double worst = std::max(head.worst, seepage.worst);
    if (best.NS == 0 || off < best.values_off || (off == best.values_off && worst < best_worst)) {
      best = {candidate.NS, off};
      best_worst = worst;
    }
  }
  return best;
}

}  // namespace kesta
