#pragma once
// What the solver sees of a model: the simulated value of every observation,
// for several parameter sets at once so that the model can spread them over
// the processor's cores.
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "fit/estimation/scale.hpp"

namespace kesta::fit_detail {

// Each parameter set holds deck values (not solver coordinates), one per free
// parameter. The answer has one vector per set, in the same order; an empty
// vector for a set the model cannot compute.
using BatchModel = std::function<std::vector<std::vector<double>>(const std::vector<std::vector<double>>& sets)>;

struct FreeParameter {
  std::string name;
  Scale scale = Scale::Linear;
  double initial = 0.0;
  double min = -std::numeric_limits<double>::infinity();  // no bound
  double max = std::numeric_limits<double>::infinity();
};

struct Observed {
  std::vector<double> value;
  std::vector<double> weight;  // residual = weight * (simulated - observed); 0: not counted
  // Per observation set, the indices of its counted observations in time
  // order: the neighbours whose errors an AR(1) noise model correlates.
  std::vector<std::vector<std::size_t>> sets;
  // Where each observation was read ("well.csv:14"), for messages; may be
  // empty, then an observation is named by its number.
  std::vector<std::string> where;

  std::size_t counted() const {
    std::size_t n = 0;
    for (const auto& s : sets) n += s.size();
    return sets.empty() ? value.size() : n;
  }

  std::string name(std::size_t k) const { return k < where.size() ? where[k] : "observation " + std::to_string(k + 1); }
};

}  // namespace kesta::fit_detail
