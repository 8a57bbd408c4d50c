#pragma once
// Decks filled in-process, the way the deck reader leaves them, and the steps
// the driver runs before the superposition.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"
#include "model/dimensionless.hpp"
#include "model/inversion.hpp"
#include "model/superposition.hpp"

namespace kesta::testing {

// The worked example deck: unit stage rise beside a confined, semi-infinite
// aquifer, XZERO = AK = AS = AB = 1, well at X = 2, NS = 10, NT = 4.
inline void fill_worked_example(Deck& state) {
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
  state.TIME = {0.0, 1.0, 2.0, 3.0};
  state.STAGE = {0.0, 1.0, 1.0, 1.0};
  state.RECH.assign(4, 0.0);
}

// Reproducible irregular numbers in [-1, 1).
struct Noise {
  std::uint64_t s;
  double next() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(s >> 11) * (2.0 / 9007199254740992.0) - 1.0;
  }
};

// A configuration and size of a field deck.
struct FieldDeck {
  int IAQ, IXL, IXA, ISTRESS, NT, NS;
};

// A stream and aquifer in field units with an irregular stage and recharge record.
inline void fill_deck(Deck& state, const FieldDeck& d) {
  state.ISTRESS = d.ISTRESS;
  state.IAQ = d.IAQ;
  state.IXL = d.IXL;
  state.IXA = d.IXA;
  state.DELT = 0.25;
  state.XZERO = 20.0;
  state.XLL = 800.0;
  state.XAA = 3.0;
  state.XSTREAM = 1500.0;
  state.AK = 15.0;
  state.AS = 2e-4;
  state.AB = 10.0;
  state.AKT = 0.02;
  state.AST = 1e-4;
  state.ABT = 5.0;
  state.ASYT = 0.15;
  state.X = 90.0;
  state.HINIT = 101.5;
  state.TINIT = 3.0;
  state.NS = d.NS;
  state.NT = d.NT;
  const auto n = static_cast<std::size_t>(d.NT);
  state.TIME.assign(n, 0.0);
  state.STAGE.assign(n, 0.0);
  state.RECH.assign(n, 0.0);
  Noise noise{static_cast<std::uint64_t>(d.NT * 131 + d.IAQ * 17 + d.ISTRESS)};
  for (std::size_t k = 0; k < n; ++k) {
    state.STAGE[k] = 100.0 + noise.next();
    state.RECH[k] = 0.01 * noise.next();
  }
}

// A deck with its derived parameters and inversion, as the driver prepares them,
// and the results of its superposition.
struct ModelRun {
  Deck deck;
  Derived derived;
  Inversion inversion;
  Results results;
};

inline ModelRun prepare_model(const Deck& deck) { return ModelRun{deck, derive(deck), prepare_inversion(deck.NS), {}}; }

inline ModelRun run_model(const Deck& deck) {
  ModelRun run = prepare_model(deck);
  run.results = superpose(run.deck, run.derived, run.inversion);
  return run;
}

// Every byte of a file, carriage returns included.
inline std::string file_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file name in the temporary folder that no other test process uses.
inline std::filesystem::path temp_path(const std::string& stem) {
  return std::filesystem::temp_directory_path() / ("kesta_" + stem + "_" + std::to_string(::getpid()) + ".txt");
}

}  // namespace kesta::testing
