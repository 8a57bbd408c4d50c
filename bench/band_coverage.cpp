// The coverage table of docs/fitting.md: how often kesta-fit's 95 % bands
// hold the true curve (confidence band) and fresh observations (prediction
// band) for head and seepage, under AR(1) noise of three coefficients.
//   build/bench/kesta_band_coverage [FITS]     (200 fits per coefficient)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "fit/tests/band_coverage.hpp"

namespace {

using kesta::fit_detail::testing::CoverageCount;

double share(long part, long whole) { return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0; }

// The pointwise share with two standard errors from the spread of the fits'
// own shares (the points of one curve are not independent).
void print_series(const CoverageCount& c) {
  double mean = 0.0;
  for (const double x : c.per_fit) mean += x;
  const auto n = static_cast<double>(c.per_fit.size());
  mean /= n;
  double squares = 0.0;
  for (const double x : c.per_fit) squares += (x - mean) * (x - mean);
  const double two_se = 2.0 * std::sqrt(squares / (n - 1.0) / n);
  std::printf(" %5.1f ± %.1f %% | %5.1f %% | %5.1f %% |", 100.0 * share(c.conf_held, c.points), 100.0 * two_se,
              100.0 * share(c.curves_held, c.curves), 100.0 * share(c.pred_held, c.points));
}

}  // namespace

int main(int argc, char** argv) {
  const int fits = argc > 1 ? std::atoi(argv[1]) : 200;
  if (fits < 2) {
    std::fprintf(stderr, "kesta_band_coverage: expected a number of fits of 2 or more\n");
    return 2;
  }
  std::printf(
      "| phi | fits | head: confidence, pointwise | whole curve | prediction | seepage: confidence, "
      "pointwise | whole curve | prediction | s |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");
  for (const double phi : {0.0, 0.5, 0.8}) {
    const auto start = std::chrono::steady_clock::now();
    const auto r = kesta::fit_detail::testing::band_coverage({phi, fits, 1, 0.95});
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("| %.1f | %d |", phi, fits - r.not_converged);
    print_series(r.head);
    print_series(r.seepage);
    std::printf(" %.0f |\n", elapsed.count());
    std::fflush(stdout);
  }
  return 0;
}
