// The contour engine's superposition and its own error estimate: the
// convolution prints the digits of the sums in order, steps whose printed
// value the convolution's rounding could reach are summed again in order, and
// the estimate meets the true error where a closed form gives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "closed_forms.hpp"
#include "golden_data.hpp"
#include "io/record_editing.hpp"
#include "kesta/kesta.hpp"
#include "model/contour_inversion.hpp"
#include "model/contour_superposition.hpp"
#include "model/dimensionless.hpp"
#include "model/printed_accuracy.hpp"
#include "model/superposition.hpp"
#include "model_fixture.hpp"
#include "report/accuracy_warning.hpp"

namespace kesta {
namespace {

// The first `columns` results of a step as the report prints them: D13.6,
// D11.5 and D10.4.
std::string printed_row(const Results& r, std::size_t k, std::size_t columns) {
  const struct {
    double value;
    int w, d;
  } fields[] = {{r.time[k], 13, 6},          {r.head[k], 11, 5},         {r.seepage[k], 10, 4},
                {r.total_seepage[k], 10, 4}, {r.bank_storage[k], 10, 4}, {r.bank_volume[k], 10, 4}};
  std::string row;
  for (std::size_t c = 0; c < columns; ++c) {
    const auto& f = fields[c];
    std::string field(static_cast<std::size_t>(f.w), ' ');
    put_real(field.data(), f.value, f.w, f.d, 'D');
    row += ' ' + field;
  }
  return row;
}

// Rows of `a` printed otherwise than those of `b`, the first few named.
std::string rows_printed_otherwise(const Results& a, const Results& b, std::size_t columns = 6) {
  std::string differ;
  int count = 0;
  for (std::size_t k = 0; k < a.head.size(); ++k) {
    const std::string row_a = printed_row(a, k, columns), row_b = printed_row(b, k, columns);
    if (row_a != row_b && ++count <= 3) differ += "step " + std::to_string(k + 1) + ":\n" + row_a + "\n" + row_b + "\n";
  }
  return differ;
}

Results by_route(const Deck& deck, const ContourResponses& r, LagSumRoute route, StepRounding* rounding = nullptr) {
  return superpose_responses(deck, derive(deck), r.RH, r.RQ, route, rounding);
}

TEST(ContourEngine, ConvolutionPrintsTheDigitsOfTheSumsInOrder) {
  std::vector<std::pair<std::string, Deck>> decks;
  for (const std::string& name : testing::example_names())
    decks.emplace_back(name, read_deck(testing::example_deck_path(name)));
  // Field decks of every aquifer type, with heads about a datum and about zero.
  for (const int IAQ : {0, 1, 2, 3}) {
    for (const double HINIT : {101.5, 0.0}) {
      Deck deck;
      testing::fill_deck(deck, {IAQ, IAQ % 2, IAQ / 2, IAQ == 3 ? 2 : 0, 2500, 12});
      deck.HINIT = HINIT;
      decks.emplace_back("field IAQ " + std::to_string(IAQ) + " HINIT " + std::to_string(HINIT), deck);
    }
  }
  for (const auto& [name, deck] : decks) {
    SCOPED_TRACE(name);
    const ContourResponses r = contour_responses(deck, derive(deck), deck.NT - 1);
    EXPECT_EQ(
        rows_printed_otherwise(by_route(deck, r, LagSumRoute::Convolution), by_route(deck, r, LagSumRoute::InOrder)),
        "");
  }
}

// A stage that steps up and back down over a response of one throughout:
// summed in order the head and seepage return to exactly zero, where the
// convolution leaves a rounding residue that would print as digits. Such
// steps are summed again in order while that costs no more than a few
// convolutions; past that they keep the residue and its bound, which the
// engine's check of its digits then sees.
TEST(ContourEngine, StepsTheRoundingCouldReachAreSummedAgainInOrder) {
  struct Case {
    int every;       // the stage is back at zero every this many steps
    bool all_again;  // within the budget of sums in order
  };
  for (const Case c : {Case{50, true}, Case{2, false}}) {
    SCOPED_TRACE("zero every " + std::to_string(c.every));
    Deck deck;
    testing::fill_deck(deck, {0, 0, 0, 0, 1500, 12});
    deck.HINIT = 0.0;
    deck.DELT = 1.0;
    for (std::size_t k = 0; k < deck.STAGE.size(); ++k)
      deck.STAGE[k] = k % static_cast<std::size_t>(c.every) == 0 ? 0.0 : 2.9;
    ContourResponses ones;
    ones.RH.assign(deck.STAGE.size(), 1.0);
    ones.RQ.assign(deck.STAGE.size(), -1.0);
    StepRounding rounding;
    const Results convolved = by_route(deck, ones, LagSumRoute::Convolution, &rounding);
    const Results in_order = by_route(deck, ones, LagSumRoute::InOrder);
    int zeros = 0, again = 0;
    for (std::size_t k = 1; k < in_order.head.size(); ++k) {
      if (in_order.head[k] != 0.0) continue;
      ++zeros;
      if (convolved.head[k] == 0.0 && rounding.head[k] == 0.0) {
        ++again;
      } else {
        // Not summed again: the bound holds the residue.
        EXPECT_GT(rounding.head[k], 0.0) << "step " << k + 1;
        EXPECT_LE(std::fabs(convolved.head[k]), rounding.head[k]) << "step " << k + 1;
      }
    }
    EXPECT_GT(zeros, 25);
    if (c.all_again) {
      EXPECT_EQ(again, zeros);
      // Time, head and seepage: the bank storage of these round numbers
      // meets exact ties of its rounding.
      EXPECT_EQ(rows_printed_otherwise(convolved, in_order, 3), "");
    } else {
      EXPECT_GT(again, 10);
      EXPECT_LT(again, zeros);
    }
  }
}

// A unit rise of stage beside a confined half space: head and seepage are
// erfc(x/2√t) and -1/√(πt), so the engine's true error is known at every step.
// The first steps' heads, 1e-12 and 6e-7 before the rise reaches the well,
// are printed to their last digit only on the contour that reaches the saddle.
TEST(ContourEngine, ErrorEstimateMeetsTheTrueError) {
  for (const int NT : {400, 5000}) {
    SCOPED_TRACE("NT " + std::to_string(NT));
    Deck deck;
    testing::fill_worked_example(deck);
    deck.NT = NT;
    deck.DELT = 0.01;
    deck.STAGE.assign(static_cast<std::size_t>(NT), 1.0);
    deck.STAGE[0] = 0.0;
    deck.TIME.assign(static_cast<std::size_t>(NT), 0.0);
    deck.RECH.assign(static_cast<std::size_t>(NT), 0.0);
    const Derived derived = derive(deck);
    const ContourRun run = checked_contour_run(deck, derived);
    const double seepage_scale = deck.AK / derived.XZEROD;
    double largest = 0.0;
    for (int i = 1; i < NT; ++i) {
      const auto k = static_cast<std::size_t>(i);
      const testing::Exact exact = testing::half_space(derived.XD - 1.0, 0.01 * i);
      const double head_error = run.results.head[k] - exact.head;
      const double seepage_error = run.results.seepage[k] - exact.seepage * seepage_scale;
      largest = std::max({largest, std::fabs(head_error), std::fabs(seepage_error)});
      // Where the estimate is not lost in the rounding of terms about 1 in
      // size, it finds the error to a factor of a few.
      EXPECT_LE(std::fabs(head_error), 4.0 * std::fabs(run.error.head[k]) + 1e-13) << "step " << i + 1;
      EXPECT_LE(std::fabs(seepage_error), 4.0 * std::fabs(run.error.seepage[k]) + 1e-13) << "step " << i + 1;
      if (exact.head < 1e-6) {
        EXPECT_LT(std::fabs(head_error), 1e-9 * exact.head) << "step " << i + 1;
      }
    }
    EXPECT_LT(largest, 1e-12);
    // The estimate is the run's results less those the longer contour gives,
    // and it holds the convolution's bound wherever the sums were convolved.
    const ContourResponses finer = reference_responses(deck, derived, NT - 1);
    const Results judged = superpose_responses(deck, derived, finer.RH, finer.RQ, LagSumRoute::InOrder);
    int convolved = 0;
    for (std::size_t k = 1; k < run.results.head.size(); ++k) {
      const double rounding = run.rounding.head[k];
      EXPECT_NEAR(run.error.head[k], run.results.head[k] - judged.head[k], rounding + 2e-15) << "step " << k + 1;
      EXPECT_NEAR(run.error.seepage[k], run.results.seepage[k] - judged.seepage[k],
                  run.rounding.seepage[k] + 2e-15 * seepage_scale)
          << "step " << k + 1;
      EXPECT_GE(std::fabs(run.error.head[k]), rounding) << "step " << k + 1;
      EXPECT_GE(std::fabs(run.error.seepage[k]), run.rounding.seepage[k]) << "step " << k + 1;
      if (rounding > 0.0) ++convolved;
    }
    EXPECT_EQ(convolved > 0, NT - 1 >= kConvolveFrom);
    const PrintedAccuracy accuracy = check_printed(run.results, run.error);
    EXPECT_TRUE(accuracy.all_digits_correct());
    EXPECT_EQ(contour_accuracy_warning(run.results, accuracy), "");
  }
}

}  // namespace
}  // namespace kesta
