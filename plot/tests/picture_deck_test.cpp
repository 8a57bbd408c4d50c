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
  // T 0..9, H 0..9, totals twice the per-length values (XSTREAM = 1).
  const PlotSeries series = parse_plot_file(testing::plot_file_text(testing::ramp_rows(10)));
  const std::vector<double> heads = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  auto deck = [&](int NT, double TINIT, double DELT, double XSTREAM = 1.0, std::vector<double> h = {}) {
    PictureDeck d;
    d.NT = NT;
    d.TINIT = TINIT;
    d.DELT = DELT;
    d.XSTREAM = XSTREAM;
    d.heads = std::move(h);
    return d;
  };
  auto heads_with = [&](std::size_t row, double value) {
    std::vector<double> h = heads;
    h[row] = value;
    return h;
  };
  EXPECT_EQ(deck_mismatch(deck(10, 0.0, 1.0), series), "");
  EXPECT_EQ(deck_mismatch(deck(11, 0.0, 1.0), series), "the deck has 11 time steps (NT), the plot file 10");
  EXPECT_EQ(deck_mismatch(deck(10, 1.0, 1.0), series),
            "the deck's time steps run from TINIT = 1 to 10, the plot file's from 0 to 9");
  EXPECT_EQ(deck_mismatch(deck(-3, 0.0, 1.0), parse_plot_file(testing::plot_file_text({}))), "");
  // The factor read back is good to about 1e-3.
  EXPECT_EQ(deck_mismatch(deck(10, 0.0, 1.0, 1.002), series), "");
  EXPECT_EQ(deck_mismatch(deck(10, 0.0, 1.0, 1.004), series),
            "the deck has XSTREAM = 1.004, the plot file's totals are those of XSTREAM = 1");
  EXPECT_EQ(deck_mismatch(deck(10, 0.0, 1.0, 5000.0), series),
            "the deck has XSTREAM = 5000, the plot file's totals are those of XSTREAM = 1");
  // Heads agree to their printed digits and a ten-thousandth of the largest
  // change (9 here): 0.0009 apart at most.
  EXPECT_EQ(deck_mismatch(deck(10, 0.0, 1.0, 1.0, heads), series), "");
  EXPECT_EQ(deck_mismatch(deck(10, 0.0, 1.0, 1.0, heads_with(4, 4.0012)), series), "");
  EXPECT_EQ(deck_mismatch(deck(10, 0.0, 1.0, 1.0, heads_with(4, 4.0022)), series),
            "at T = 4 (line 6 of the plot file) the deck gives H = 4.0022, the plot file 4.0000");
  EXPECT_EQ(deck_mismatch(deck(10, 0.0, 1.0, 1.0, heads_with(1, 0.5)), series),
            "at T = 1 (line 3 of the plot file) the deck gives H = 0.50000, the plot file 1.0000");
}

}  // namespace
}  // namespace kesta::plot
