// kesta-fit's solver and covariance on records of any numbers: huge, tiny,
// subnormal, infinite, NaN. The input layer refuses such values; this is the
// guard behind it, for values that reach the solver some other way (a deck's
// own extreme values, a model that fails). A small synthetic fit, a recession
// a exp(-t / tau) + b, starts from a clean record; each 9 bytes of the input
// overwrite one number of it (the first byte picks which: an observed value,
// a weight, or a parameter's initial value) with the 8 bytes after it taken as
// a double. Every run ends in one of two ways:
//  - a fit whose covariances, standard errors and correlations are finite or
//    missing, never NaN or infinite;
//  - a ComputationFailure naming an observation or saying what failed.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fit/estimation/estimates.hpp"
#include "fit/estimation/identifiability.hpp"
#include "fit/estimation/least_squares.hpp"
#include "fit/estimation/residual_diagnostics.hpp"
#include "fit/tests/synthetic_models.hpp"

namespace {

using namespace kesta::fit_detail;
using kesta::Estimate;
using kesta::Scale;

void require(bool holds) {
  if (!holds) std::abort();
}

constexpr int kObservations = 12;
constexpr double kTruth[] = {2.0, 3.0, 0.5};  // a, tau, b

void check(const std::vector<FreeParameter>& parameters, const LeastSquaresFit& fit) {
  require(fit.covariance.size() == 0 || fit.covariance.allFinite());
  require(fit.plain_covariance.size() == 0 || fit.plain_covariance.allFinite());
  for (const Estimate& e : parameter_estimates(parameters, fit)) {
    if (e.std_error) require(std::isfinite(*e.std_error) || e.unbounded);
    if (e.ci95) require(!std::isnan(e.ci95->first) && !std::isnan(e.ci95->second));
  }
  for (const auto& row : correlation_matrix(fit))
    for (const auto& r : row)
      if (r) require(std::abs(*r) <= 1.0 + 1e-9);
  (void)identifiability_findings(parameters, fit, "More data");
  (void)diagnose_residuals(fit.residual);
  for (const double z : standardized_residuals(fit.residual)) require(!std::isnan(z));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<double> times = testing::even_times(kObservations, 12.0);
  Observed observed;
  std::vector<std::size_t> order;
  for (int k = 0; k < kObservations; ++k) {
    const double t = times[static_cast<std::size_t>(k)];
    observed.value.push_back(kTruth[0] * std::exp(-t / kTruth[1]) + kTruth[2] + (k % 2 ? 0.01 : -0.01));
    observed.weight.push_back(100.0);
    observed.where.push_back("well.csv:" + std::to_string(k + 2));
    order.push_back(static_cast<std::size_t>(k));
  }
  observed.sets = {order};
  std::vector<FreeParameter> parameters = {
      {"a", Scale::Linear, 1.0}, {"tau", Scale::Log, 1.0}, {"b", Scale::Linear, 0.0}};
  bool ar1 = false;
  for (std::size_t at = 0; at + 9 <= size; at += 9) {
    double v = 0.0;
    std::memcpy(&v, data + at + 1, sizeof v);
    const unsigned slot = data[at] % (2 * kObservations + 4);
    if (slot < kObservations)
      observed.value[slot] = v;
    else if (slot < 2 * kObservations)
      observed.weight[slot - kObservations] = v;
    else if (slot < 2 * kObservations + 3)
      parameters[slot - 2 * kObservations].initial = v;
    else
      ar1 = !ar1;
  }
  const BatchModel model =
      testing::batch_of([](double t, const std::vector<double>& p) { return testing::recession(t, p); }, times);
  try {
    check(parameters, fit_least_squares(parameters, observed, model, {20, nullptr, ar1}));
  } catch (const ComputationFailure& e) {
    require(std::string(e.what()).find("cannot be computed") != std::string::npos);
  }
  return 0;
}
