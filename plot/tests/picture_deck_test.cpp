#include "plot/picture_deck.hpp"

#include <gtest/gtest.h>

#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

// The change from line k−1 to line k acts as a step at TINIT + (k−2)·DELT
// (model/superposition.cpp; tests/golden_checks_test.cpp judges the goldens
// against exactly this superposition of steps).
TEST(StressSteps, EachLineHoldsOverTheStepBeforeItsRow) {
  const Staircase s = stress_steps({0.0, 0.5, 2.0}, 10.0, 0.25);
  EXPECT_EQ(s.t, (std::vector<double>{9.75, 10.0, 10.0, 10.25, 10.25, 10.5}));
  EXPECT_EQ(s.v, (std::vector<double>{0.0, 0.0, 0.5, 0.5, 2.0, 2.0}));
}

TEST(DeckMismatch, SaysWhatDiffers) {
  const PlotSeries series = parse_plot_file(testing::plot_file_text(testing::ramp_rows(10)));  // T 0..9
  auto deck = [](int NT, double TINIT, double DELT) {
    PictureDeck d;
    d.NT = NT;
    d.TINIT = TINIT;
    d.DELT = DELT;
    return d;
  };
  EXPECT_EQ(deck_mismatch(deck(10, 0.0, 1.0), series), "");
  EXPECT_EQ(deck_mismatch(deck(11, 0.0, 1.0), series), "the deck has 11 time steps (NT), the plot file 10");
  EXPECT_EQ(deck_mismatch(deck(10, 1.0, 1.0), series),
            "the deck's time steps run from TINIT = 1 to 10, the plot file's from 0 to 9");
  EXPECT_EQ(deck_mismatch(deck(-3, 0.0, 1.0), parse_plot_file(testing::plot_file_text({}))), "");
}

}  // namespace
}  // namespace kesta::plot
