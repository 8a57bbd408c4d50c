#include "fit/estimation/step_choice.hpp"

#include <algorithm>
#include <cmath>

#include "fit/estimation/central_difference_cost.hpp"

namespace kesta::fit_detail {

namespace {

// Relative truncation error of a central difference per h², for responses as
// curved in the logarithm of a parameter as the half-space step response.
constexpr double kTruncation = 0.04;

}  // namespace

StepChoice choose_step(const std::vector<FreeParameter>& parameters, const std::vector<double>& internal,
                       const Observed& observed, const BatchModel& model) {
  const std::size_t p = parameters.size();
  const std::size_t n = observed.value.size();
  std::vector<std::vector<double>> sets;
  for (std::size_t i = 0; i < p; ++i) {
    for (const double k : {-2.0, -1.0, 0.0, 1.0, 2.0}) {
      std::vector<double> natural(p);
      for (std::size_t a = 0; a < p; ++a) {
        const double shift =
            a == i ? k * kNoiseProbe * (parameters[a].scale == Scale::Log ? 1.0 : std::max(std::abs(internal[a]), 1.0))
                   : 0.0;
        natural[a] = to_natural(parameters[a].scale, internal[a] + shift);
      }
      sets.push_back(std::move(natural));
    }
  }
  const std::vector<std::vector<double>> values = model(sets);
  StepChoice choice{kRelativeStep, 0.0};
  for (std::size_t i = 0; i < p; ++i) {
    const std::vector<double>* f[5];
    for (std::size_t k = 0; k < 5; ++k) {
      f[k] = &values[5 * i + k];
      if (f[k]->size() != n) return choice;
    }
    double fourth = 0.0, slope = 0.0;
    for (std::size_t r = 0; r < n; ++r) {
      const double w = observed.weight[r];
      const double d4 = w * ((*f[0])[r] - 4.0 * (*f[1])[r] + 6.0 * (*f[2])[r] - 4.0 * (*f[3])[r] + (*f[4])[r]);
      const double d1 = w * ((*f[4])[r] - (*f[0])[r]) / (4.0 * kNoiseProbe);
      fourth += d4 * d4;
      slope += d1 * d1;
    }
    // A parameter the records do not see tells nothing about the noise.
    if (slope > 0.0) choice.noise = std::max(choice.noise, std::sqrt(fourth / 70.0 / slope));
  }
  choice.relative_step = std::clamp(std::cbrt(choice.noise / (2.0 * kTruncation)), kSmallestStep, kLargestStep);
  // Noise measured on numbers that are no numbers says nothing.
  if (!std::isfinite(choice.relative_step)) choice.relative_step = kRelativeStep;
  return choice;
}

}  // namespace kesta::fit_detail
