// The coverage table of docs/fitting.md: how often kesta-fit's 95 % bands
// hold the true curve (confidence band) and fresh observations (prediction
// band) for head and seepage, under AR(1) noise of three coefficients.
//   build/bench/kesta_band_coverage [FITS [MEMBERS]]
// 200 fits per coefficient by default; with MEMBERS, a second table for the
// ensemble route's bands of that many parameter sets per fit. The last
// column is the mean of the fits' AR(1) coefficients, against the phi of the
// noise put in.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

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
  const int members = argc > 2 ? std::atoi(argv[2]) : 0;
  if (fits < 2 || members < 0) {
    std::fprintf(stderr, "kesta_band_coverage: expected FITS of 2 or more and MEMBERS of 0 or more\n");
    return 2;
  }
  const double phis[] = {0.0, 0.5, 0.8};
  std::vector<kesta::fit_detail::testing::CoverageResult> results;
  std::vector<double> seconds;
  for (const double phi : phis) {
    const auto start = std::chrono::steady_clock::now();
    results.push_back(kesta::fit_detail::testing::band_coverage({phi, fits, 1, 0.95, members}));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    seconds.push_back(elapsed.count());
  }
  for (const bool ensemble : {false, true}) {
    if (ensemble && members == 0) break;
    std::printf("\n%s\n\n", ensemble ? "Ensemble bands" : "Linear (delta-method) bands");
    std::printf(
        "| phi | fits | head: confidence, pointwise | whole curve | prediction | seepage: confidence, "
        "pointwise | whole curve | prediction | s | mean phi estimate: head, seepage |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (std::size_t i = 0; i < results.size(); ++i) {
      const auto& r = results[i];
      std::printf("| %.1f | %d |", phis[i], fits - r.not_converged);
      print_series(ensemble ? r.ensemble_head : r.head);
      print_series(ensemble ? r.ensemble_seepage : r.seepage);
      std::printf(" %.0f | %.2f, %.2f |\n", seconds[i], r.head_phi, r.seepage_phi);
    }
  }
  return 0;
}
