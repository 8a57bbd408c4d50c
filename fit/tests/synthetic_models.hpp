#pragma once
// Small closed-form models for the solver tests: each maps parameter sets
// (deck values) to the simulated value at every observation time.
#include <cmath>
#include <functional>
#include <vector>

#include "fit/estimation/batch_model.hpp"

namespace kesta::fit_detail::testing {

// value(t, parameters) for one time
using PointModel = std::function<double(double t, const std::vector<double>& p)>;

inline BatchModel batch_of(PointModel f, std::vector<double> times) {
  return [f = std::move(f), times = std::move(times)](const std::vector<std::vector<double>>& sets) {
    std::vector<std::vector<double>> out;
    for (const std::vector<double>& p : sets) {
      std::vector<double> v;
      for (double t : times) v.push_back(f(t, p));
      out.push_back(v);
    }
    return out;
  };
}

inline std::vector<double> even_times(int n, double last) {
  std::vector<double> t;
  for (int k = 1; k <= n; ++k) t.push_back(last * k / n);
  return t;
}

// A recession: amplitude p[0], time constant p[1], base level p[2].
inline double recession(double t, const std::vector<double>& p) { return p[0] * std::exp(-t / p[1]) + p[2]; }

// A diffusion-like rise that sees p[0] and p[1] only through their ratio,
// as heads see conductivity and storage only through the diffusivity.
inline double ratio_only(double t, const std::vector<double>& p) { return std::erfc(1.0 / std::sqrt(p[0] / p[1] * t)); }

}  // namespace kesta::fit_detail::testing
