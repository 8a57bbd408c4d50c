// The Jacobian of the deck model by central differences against the exact
// derivative of the closed-form case.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "fit/case/deck_model.hpp"
#include "fit/estimation/central_difference_cost.hpp"
#include "fit/estimation/step_choice.hpp"
#include "fit/tests/fit_scenario.hpp"
#include "model/dimensionless.hpp"
#include "model/inversion.hpp"
#include "model/response_derivative.hpp"

namespace kesta::fit_detail {
namespace {

// Confined, semi-infinite, no streambank: the head is the stage's changes
// times erfc(xd / (2 sqrt(TD))), TD = AK t / (AS XZERO^2), xd = X / XZERO - 1,
// superposed as the model superposes them. Its derivative by ln AK is exact:
// d erfc(z) / d ln TD = z exp(-z^2) / sqrt(pi).
struct HalfSpace {
  Deck deck;
  double head(std::size_t step) const { return sum(step, false); }
  double dhead_dlnAK(std::size_t step) const { return sum(step, true); }

 private:
  double sum(std::size_t i, bool derivative) const {
    const double xd = deck.X / deck.XZERO - 1.0;
    double total = derivative ? 0.0 : deck.HINIT;
    for (std::size_t m = 1; m <= i; ++m) {
      const double lag = static_cast<double>(i - m + 1) * deck.DELT;
      const double td = deck.AK * lag / (deck.AS * deck.XZERO * deck.XZERO);
      const double z = xd / (2.0 * std::sqrt(td));
      const double unit = derivative ? z * std::exp(-z * z) / std::sqrt(std::numbers::pi) : std::erfc(z);
      total += (deck.STAGE[m] - deck.STAGE[m - 1]) * unit;
    }
    return total;
  }
};

Deck half_space_deck(int ns) {
  Deck d = testing::flood_deck();
  d.IXA = 0;
  d.NS = ns;
  return d;
}

// Largest error of the AK column (solver coordinate ln AK) by central
// differences of this step, relative to the largest exact derivative.
double column_error(const Deck& deck, double step) {
  const HalfSpace exact{deck};
  const FitCase c = testing::memory_case(deck, testing::records(deck, {{Kind::Head, 50.0, 1, 0.0}}, 1),
                                         {{"AK", {std::nan(""), 0.1, 1000.0}}});
  const DeckModel model(c);
  const BatchModel batch = [&model](const std::vector<std::vector<double>>& s) { return model.evaluate(s); };
  if (step <= 0.0) step = choose_step(c.free_parameters(), {std::log(deck.AK)}, c.observed, batch).relative_step;
  const CentralDifferenceCost cost(c.free_parameters(), c.observed, batch, step);
  const double x = std::log(deck.AK);
  const double* point[] = {&x};
  std::vector<double> residuals(c.observed.value.size()), column(c.observed.value.size());
  double* jacobian[] = {column.data()};
  if (!cost.Evaluate(point, residuals.data(), jacobian)) return HUGE_VAL;
  double worst = 0.0, scale = 0.0;
  for (std::size_t k = 0; k < column.size(); ++k) {
    const double reference = exact.dhead_dlnAK(k + 1);  // the records start at step 1
    worst = std::max(worst, std::abs(column[k] - reference));
    scale = std::max(scale, std::abs(reference));
  }
  return worst / scale;
}

// Largest error of the AK column taken in the Laplace domain: the stage
// changes superposed over the step response's slope in ln TD, which for this
// confined deck is its derivative by ln AK.
double laplace_column_error(const Deck& deck) {
  const HalfSpace exact{deck};
  const Derived derived = derive(deck);
  const Inversion inversion = prepare_inversion(deck.NS);
  double worst = 0.0, scale = 0.0;
  for (std::size_t i = 1; i < deck.STAGE.size(); ++i) {
    double column = 0.0;
    for (std::size_t m = 1; m <= i; ++m) {
      const double lag = static_cast<double>(i - m + 1) * deck.DELT;
      const double td = deck.AK * lag / (deck.AS * deck.XZERO * deck.XZERO);
      column += (deck.STAGE[m] - deck.STAGE[m - 1]) * step_response_log_slope(td, deck, derived, inversion).RH;
    }
    const double reference = exact.dhead_dlnAK(i);
    worst = std::max(worst, std::abs(column - reference));
    scale = std::max(scale, std::abs(reference));
  }
  return worst / scale;
}

// The exact derivative in double agrees with a 40-digit evaluation of the same
// formula (mpmath, erfc and exp at 50 digits) to 2e-16 of its largest value,
// so it serves as the reference. Measured (relative error of the column):
//   NS     2 % step   chosen step        Laplace domain
//    8     6.2e-05    5.0e-05 (h 0.001)  5.4e-03
//   12     1.7e-05    4.3e-06 (h 0.003)  3.1e-04
//   16     2.8e-05    3.0e-05 (h 0.021)  1.9e-05
//   18     4.2e-04    2.1e-04 (h 0.051)  1.5e-04
//   20     1.0e-02    1.5e-03 (h 0.1)    4.0e-03
// Below NS = 12 the differences sit on the inversion's own truncation (5e-5 at
// NS = 8): no step can remove it, which bounds what any finite difference
// achieves. The Laplace-domain column inverts p·F(p), whose Stehfest
// truncation is 20 to 100 times that of F(p) at NS = 8 to 12 (mpmath, 50
// digits, TD = 100 to 6000). At NS = 20 that truncation is below 1e-7 and
// rounding rules: p·F(p) is near 1 where F(p) is near 1/p, so term i is i
// times the head's and so is its rounding, which outweighs the differences'
// noise over their h of 0.1.
TEST(JacobianAccuracy, ChosenStepIsNeverWorseAndMuchBetterWhereRoundingRules) {
  const struct {
    int ns;
    double most;           // error allowed with the chosen step
    double gain_at_least;  // 2 % step's error over the chosen step's
  } cases[] = {{8, 1e-4, 0.8}, {12, 1e-5, 2.0}, {16, 5e-5, 0.8}, {18, 3e-4, 1.5}, {20, 3e-3, 4.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE("NS = " + std::to_string(c.ns));
    const Deck deck = half_space_deck(c.ns);
    const double chosen = column_error(deck, 0.0);
    const double fixed = column_error(deck, kRelativeStep);
    EXPECT_LT(chosen, c.most);
    EXPECT_GE(fixed / chosen, c.gain_at_least) << fixed << " vs " << chosen;
  }
}

// The Laplace-domain column against the chosen step: far worse below 16
// terms, about as good at 16 and 18, worse again at 20.
TEST(JacobianAccuracy, LaplaceDomainColumnLosesToTheChosenStepBelowSixteenTerms) {
  const struct {
    int ns;
    double most;           // error allowed in the Laplace domain
    double loss_at_least;  // its error over the chosen step's
  } cases[] = {{8, 1e-2, 50.0}, {12, 6e-4, 30.0}, {16, 4e-5, 0.3}, {18, 3e-4, 0.3}, {20, 8e-3, 1.3}};
  for (const auto& c : cases) {
    SCOPED_TRACE("NS = " + std::to_string(c.ns));
    const Deck deck = half_space_deck(c.ns);
    const double laplace = laplace_column_error(deck);
    const double chosen = column_error(deck, 0.0);
    EXPECT_LT(laplace, c.most);
    EXPECT_GE(laplace / chosen, c.loss_at_least) << laplace << " vs " << chosen;
  }
}

// The closed form itself matches the model where the inversion is good: the
// reference and the simulated heads are the same function.
TEST(JacobianAccuracy, ClosedFormIsTheModelsHead) {
  const Deck deck = half_space_deck(16);
  const HalfSpace exact{deck};
  const Results r = simulate(deck);
  for (std::size_t k = 0; k < r.head.size(); ++k) EXPECT_NEAR(r.head[k], exact.head(k), 1e-6) << k;
}

}  // namespace
}  // namespace kesta::fit_detail
