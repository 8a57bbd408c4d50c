#pragma once
// What the solver sees of a model: the simulated value of every observation,
// for several parameter sets at once so that the model can spread them over
// the processor's cores.
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "fit/estimation/scale.hpp"

namespace kesta::fit {

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
  std::vector<double> weight;  // residual = weight * (simulated - observed)
};

}  // namespace kesta::fit
