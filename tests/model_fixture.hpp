#pragma once
// Model states filled in-process, the way the input phase will leave them, and
// the steps the driver runs before the superposition.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "driver/driver.hpp"
#include "driver/model_state.hpp"
#include "model/dimensionless.hpp"
#include "model/stehfest.hpp"

namespace kesta::testing {

// The worked example deck: unit stage rise beside a confined, semi-infinite
// aquifer, XZERO = AK = AS = AB = 1, well at X = 2, NS = 10, NT = 4.
inline void fill_worked_example(ModelState& state) {
  state.ISTRESS = 0;
  state.DELT = 1.0;
  state.IXL = 0;
  state.IAQ = 0;
  state.IXA = 0;
  state.XZERO = 1.0;
  state.XSTREAM = 1.0;
  state.AK = 1.0;
  state.AS = 1.0;
  state.AB = 1.0;
  state.X = 2.0;
  state.HINIT = 0.0;
  state.TINIT = 0.0;
  state.NS = 10;
  state.NT = 4;
  state.size_series(state.NT);
  const double stage[] = {0.0, 1.0, 1.0, 1.0};
  for (int k = 1; k <= 4; ++k) {
    state.TIME[k] = k - 1.0;
    state.STAGE[k] = stage[k - 1];
  }
}

// Parameters, EXPMAX, weights and LN2, in the driver's order.
inline TimeScales prepare_model(ModelState& state) {
  const TimeScales scales = dimensionless_parameters(state);
  state.EXPMAX = EXPMAX_VALUE;
  stehfest_weights(state.NS, state.V);
  state.LN2 = LN2_VALUE;
  return scales;
}

// Every byte of a file, carriage returns included.
inline std::string file_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file name in the temporary folder that no other test process uses.
inline std::filesystem::path temp_path(const std::string& stem) {
  return std::filesystem::temp_directory_path() /
         ("kesta_" + stem + "_" + std::to_string(::getpid()) + ".txt");
}

}  // namespace kesta::testing
