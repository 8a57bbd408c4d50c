// The ensemble's members simulated by the caller's own simulator: the same
// bands as the library's threads give, refused members left out and counted,
// and a simulator's failure ending the fit with its cause.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "fit/tests/fit_scenario.hpp"
#include "kesta/fit.hpp"
#include "kesta/kesta.hpp"

namespace kesta::fit_detail {
namespace {

using testing::file_text;
using testing::TempFolder;

constexpr int kMembers = 40;

FitSummary river_fit(const MemberSimulator& simulator) {
  const TempFolder folder;
  for (const std::string name : {"river.toml", "river.dat", "well-north.csv", "well-meadow.csv", "gauging.csv"})
    folder.write(name, file_text(std::string(KESTA_SOURCE_DIR) + "/examples/fit/" + name));
  FitOptions options;
  options.ensemble = kMembers;
  options.simulate_members = simulator;
  return fit(folder.path("river.toml"), options);
}

// Runs every deck here, then lets `spoil` change the Results of each member
// it picks (every `stride`-th), counting them.
MemberSimulator spoiling(int stride, const std::function<void(Results&)>& spoil, int& spoiled) {
  return [=, &spoiled](const std::vector<Deck>& decks, const SimulateOptions& options) {
    std::vector<Results> out;
    std::size_t per_member = 0;
    for (const Deck& d : decks) per_member += d.X == decks.front().X ? 1 : 0;
    per_member = decks.size() / per_member;
    for (std::size_t i = 0; i < decks.size(); ++i) {
      out.push_back(simulate(decks[i], options));
      // One run spoiled is the whole member refused: its last distance.
      if (stride > 0 && (i / per_member) % static_cast<std::size_t>(stride) == 0 && i % per_member == per_member - 1) {
        spoil(out.back());
        ++spoiled;
      }
    }
    return out;
  };
}

TEST(MemberSimulator, GivesTheLibrarysBandsLessTheMembersItRefuses) {
  const FitSummary local = river_fit({});
  ASSERT_TRUE(local.bands.ensemble.not_computed.empty()) << local.bands.ensemble.not_computed;
  ASSERT_EQ(local.bands.ensemble.used, kMembers);
  const struct {
    const char* name;
    int stride;
    std::function<void(Results&)> spoil;
  } cases[] = {
      {"every member run", 0, [](Results&) {}},
      {"empty results", 5, [](Results& r) { r = Results{}; }},
      {"a seepage series a step short", 4, [](Results& r) { r.seepage.pop_back(); }},
      {"a head series a step long", 7, [](Results& r) { r.head.push_back(0.0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int spoiled = 0;
    const FitSummary elsewhere = river_fit(spoiling(c.stride, c.spoil, spoiled));
    EXPECT_EQ(elsewhere.bands.ensemble.used, kMembers - spoiled);
    if (spoiled > 0) continue;
    for (std::size_t s = 0; s < local.bands.series.size(); ++s) {
      EXPECT_EQ(elsewhere.bands.series[s].ens_conf_lower, local.bands.series[s].ens_conf_lower);
      EXPECT_EQ(elsewhere.bands.series[s].ens_conf_upper, local.bands.series[s].ens_conf_upper);
      EXPECT_EQ(elsewhere.bands.series[s].ens_pred_upper, local.bands.series[s].ens_pred_upper);
    }
  }
}

TEST(MemberSimulator, AFailingSimulatorFailsTheFitWithItsCause) {
  const struct {
    const char* name;
    MemberSimulator simulator;
    const char* words;
  } cases[] = {
      {"throws",
       [](const std::vector<Deck>&, const SimulateOptions&) -> std::vector<Results> {
         throw std::runtime_error("the scheduler\nwent away");
       },
       "river.toml: the ensemble's members could not be simulated: the scheduler went away"},
      {"too few results",
       [](const std::vector<Deck>& decks, const SimulateOptions&) { return std::vector<Results>(decks.size() - 1); },
       "the simulator returned"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      river_fit(c.simulator);
      ADD_FAILURE() << "the fit went on";
    } catch (const FitComputationError& e) {
      EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace kesta::fit_detail
