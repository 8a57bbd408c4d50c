#pragma once
// The step of the central differences, chosen against the noise that the
// Laplace inversion's rounding puts into the simulated values.
#include <vector>

#include "fit/estimation/batch_model.hpp"

namespace kesta::fit_detail {

// The probe's spacing in solver coordinates: small enough that a smooth
// response's fourth difference vanishes (about 1e-12 of it), large enough to
// be far above a double's resolution.
inline constexpr double kNoiseProbe = 1e-3;
// The step stays within these bounds whatever the probe finds.
inline constexpr double kSmallestStep = 1e-3;
inline constexpr double kLargestStep = 0.1;

struct StepChoice {
  double relative_step = 0.0;
  double noise = 0.0;  // the largest relative noise found along any parameter
};

// Probes the model at x ± kNoiseProbe and x ± 2·kNoiseProbe along each
// parameter (solver coordinates) and takes the noise as the RMS fourth
// difference over sqrt(70), relative to the RMS derivative. The central
// difference then errs by about noise / h (rounding) plus c·h² (truncation;
// c = 0.04 measured on the closed-form half-space case), least at
// h = cbrt(noise / 2c). One step for all parameters, so that parameters seen
// only together keep exactly parallel columns. Without a usable probe:
// kRelativeStep.
StepChoice choose_step(const std::vector<FreeParameter>& parameters, const std::vector<double>& internal,
                       const Observed& observed, const BatchModel& model);

}  // namespace kesta::fit_detail
