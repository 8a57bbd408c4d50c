#pragma once
// How often the fitted model's 95 % bands hold the truth: records of head and
// seepage made from a known deck with AR(1) noise, fitted again and again
// with fresh noise; the confidence band against the true curve, the
// prediction band against a fresh record. Shared by the test's small run and
// bench/band_coverage's large one.
#include <vector>

namespace kesta::fit_detail::testing {

struct CoveragePlan {
  double phi = 0.0;  // AR(1) coefficient of the noise
  int fits = 200;
  unsigned seed = 1;  // of the first fit; fit i takes seed + i
  double level = 0.95;
  int ensemble = 0;  // members of the ensemble route for each fit; 0: the linear bands alone
};

// Counts for one series.
struct CoverageCount {
  long points = 0, conf_held = 0, pred_held = 0;  // pointwise, steps after the first
  long curves = 0, curves_held = 0;               // the whole confidence band holds the whole true curve
  std::vector<double> per_fit;                    // each fit's share of points its confidence band holds
};

struct CoverageResult {
  CoverageCount head, seepage;
  CoverageCount ensemble_head, ensemble_seepage;  // the ensemble's bands, when asked for
  int not_converged = 0;                          // fits left out
  double head_phi = 0.0, seepage_phi = 0.0;       // mean estimated AR(1) coefficient of each record
};

// The head at 50 m and the seepage of the flood deck (AK = 10, XAA = 30),
// both recorded at every output step with AR(1) noise of marginal spread
// 0.01 m and 0.005 (weights its inverse), AK and XAA fitted with the AR(1)
// noise model; fits spread over the cores.
CoverageResult band_coverage(const CoveragePlan& plan);

}  // namespace kesta::fit_detail::testing
