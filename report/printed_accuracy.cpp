#include "report/printed_accuracy.hpp"

#include <algorithm>
#include <cmath>

namespace kesta {
namespace {

ColumnCheck check_column(const std::vector<double>& printed, const std::vector<double>& error, int digits) {
  ColumnCheck c;
  for (std::size_t k = 1; k < printed.size(); ++k) {
    const double size = std::fabs(error[k]);
    const double half = half_unit(printed[k], digits);
    c.worst = std::max(c.worst, size / half);
    if (!(size > half)) continue;
    ++c.off;
    const int step = static_cast<int>(k);
    if (std::fabs(printed[k] - error[k]) < size) {
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

// The values an order with the given error prints, from the exact values.
std::vector<double> printed_by(const std::vector<double>& printed, const std::vector<double>& error,
                               const std::vector<double>& other_error) {
  std::vector<double> values(printed.size());
  for (std::size_t k = 0; k < printed.size(); ++k) values[k] = (printed[k] - error[k]) + other_error[k];
  return values;
}

}  // namespace

double half_unit(double value, int digits) {
  const double size = std::fabs(value);
  if (size == 0.0 || !std::isfinite(size)) return 0.5 * std::pow(10.0, -digits);
  int e = static_cast<int>(std::floor(std::log10(size))) + 1;
  // log10 may land a hair off at a power of ten, and rounding may carry over.
  if (size < std::pow(10.0, e - 1)) --e;
  if (size >= std::pow(10.0, e) * (1.0 - 0.5 * std::pow(10.0, -digits))) ++e;
  return 0.5 * std::pow(10.0, e - digits);
}

PrintedAccuracy check_printed(const Results& results, const InversionError& error) {
  PrintedAccuracy a;
  a.NS = error.NS;
  a.steps = results.head.empty() ? 0 : static_cast<int>(results.head.size()) - 1;
  a.head = check_column(results.head, error.head, HEAD_DIGITS);
  a.seepage = check_column(results.seepage, error.seepage, SEEPAGE_DIGITS);
  return a;
}

std::vector<int> searched_orders() {
  std::vector<int> orders;
  // An odd order's last weight is zero: it gives the next lower even order's bits.
  for (int NS = NS_SEARCH_FIRST; NS <= NS_SEARCH_LAST; NS += 2) orders.push_back(NS);
  return orders;
}

NsAdvice advise_ns(const CheckedSimulation& simulation, const InversionError& error) {
  const Results& results = simulation.results();
  NsAdvice best;
  double best_worst = 0.0;
  for (std::size_t m = 0; m < simulation.searched().size(); ++m) {
    const InversionError candidate = simulation.searched_error(m);
    Results values;
    values.head = printed_by(results.head, error.head, candidate.head);
    values.seepage = printed_by(results.seepage, error.seepage, candidate.seepage);
    const PrintedAccuracy a = check_printed(values, candidate);
    const int off = a.head.off + a.seepage.off;
    const double worst = std::max(a.head.worst, a.seepage.worst);
    if (best.NS == 0 || off < best.values_off || (off == best.values_off && worst < best_worst)) {
      best = {candidate.NS, off};
      best_worst = worst;
    }
  }
  return best;
}

}  // namespace kesta
