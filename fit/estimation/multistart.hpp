#pragma once
// Several starting points spread over the bounds, each solved to its own
// minimum; the distinct minima found, best first.
#include <cstddef>
#include <functional>
#include <vector>

#include "fit/estimation/least_squares.hpp"

namespace kesta::fit_detail {

// The seed of the Latin hypercube: the same starts on every run.
inline constexpr unsigned kStartsSeed = 1;
// Two minima are the same when every solver coordinate agrees within this,
// relative to max(1, |x|): the solver stops within about 1e-8 of a minimum.
inline constexpr double kSameMinimum = 1e-4;

// Calls run(i) for every i below count, spread over the cores.
using RunParallel = std::function<void(std::size_t count, const std::function<void(std::size_t)>& run)>;

// count starting points in deck values: the first is the parameters' initial
// values, the others a Latin hypercube over the bounds in solver coordinates
// (every parameter needs finite bounds), one stratum per start.
std::vector<std::vector<double>> latin_hypercube_starts(const std::vector<FreeParameter>& parameters, int count,
                                                        unsigned seed);

// Solves from every start (independent residuals) and groups the ends into
// distinct minima, the lowest sum of squares first. Starts whose model
// cannot be computed are left out.
std::vector<Minimum> find_minima(const std::vector<FreeParameter>& parameters,
                                 const std::vector<std::vector<double>>& starts, const Observed& observed,
                                 const BatchModel& model, int max_iterations, const RunParallel& parallel);

}  // namespace kesta::fit_detail
