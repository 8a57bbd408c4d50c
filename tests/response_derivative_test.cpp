#include "model/response_derivative.hpp"

#include <cmath>
#include <numbers>
#include <string>

#include <gtest/gtest.h>

#include "model/inversion.hpp"
#include "step_response.hpp"

namespace kesta {
namespace {

struct State {
  Deck deck;
  Derived derived;
  Inversion inversion;
};

// XD = 2; codes and derived parameters as the step response's tests set them.
State state(int NS, int IAQ, int IXL, double XAAD) {
  State s;
  s.deck.IAQ = IAQ;
  s.deck.IXL = IXL;
  s.derived.XD = 2.0;
  s.derived.XAAD = XAAD;
  s.derived.XLLD = IXL == 1 ? 5.0 : 0.0;
  s.derived.GAMMA1 = IAQ >= 1 ? 0.7 : 0.0001;
  s.derived.SIGMA1 = IAQ >= 1 ? 1.3 : 0.0001;
  s.derived.SIGMAP = IAQ == 3 ? 2.0 : 0.0;
  s.inversion = prepare_inversion(NS);
  return s;
}

// Half space, x = XD - 1: TD·d erfc(x / 2√TD)/dTD = z exp(-z²)/√π with
// z = x / 2√TD, and TD·d(-1/√(πTD))/dTD = 1/(2√(πTD)).
TEST(StepResponseLogSlope, HalfSpaceMatchesTheDerivativeOfTheClosedForm) {
  // The slope's own inversion error, measured for TD from 0.05 to 3300 (head
  // absolute; seepage times √TD, which it keeps nearly constant): NS = 8
  // 2.4e-3 and 2.0e-3, NS = 12 2.9e-4 and 2.0e-5, NS = 16 4.0e-5 and 2.0e-6.
  const struct {
    int NS;
    double head, seepage;  // largest error allowed
  } cases[] = {{8, 5e-3, 4e-3}, {12, 6e-4, 5e-5}, {16, 1e-4, 5e-6}};
  for (const auto& c : cases) {
    const State s = state(c.NS, 0, 0, 0.0);
    for (double TD = 0.05; TD < 5000.0; TD *= 2.0) {
      SCOPED_TRACE("NS = " + std::to_string(c.NS) + ", TD = " + std::to_string(TD));
      const StepResponse r = step_response_log_slope(TD, s.deck, s.derived, s.inversion);
      const double z = 1.0 / (2.0 * std::sqrt(TD));
      EXPECT_NEAR(r.RH, z * std::exp(-z * z) / std::sqrt(std::numbers::pi), c.head);
      EXPECT_NEAR(r.RQ, 1.0 / (2.0 * std::sqrt(std::numbers::pi * TD)), c.seepage / std::sqrt(TD));
    }
  }
}

// Every configuration: the slope is the derivative by ln TD of the step
// response itself, at fixed derived parameters. Twelve terms; the bound is the
// slope's truncation error, which reaches 9e-4 where a finite aquifer is full
// and the slope is nearly 0, with the difference's error (the ln TD slope of
// the step response's inversion error, and h² terms of 1e-6) on top.
TEST(StepResponseLogSlope, IsTheStepResponsesDerivativeInLogTime) {
  const struct {
    int IAQ, IXL;
    double XAAD;
  } cases[] = {{0, 0, 0.0}, {0, 0, 3.0}, {0, 1, 0.5}, {1, 0, 0.5}, {2, 1, 0.0}, {3, 0, 3.0}, {3, 1, 0.5}};
  constexpr double h = 1e-3;  // step in ln TD
  for (const auto& c : cases) {
    const State s = state(12, c.IAQ, c.IXL, c.XAAD);
    for (double TD : {0.1, 1.0, 10.0, 100.0}) {
      SCOPED_TRACE("IAQ " + std::to_string(c.IAQ) + " IXL " + std::to_string(c.IXL) + " XAAD " +
                   std::to_string(c.XAAD) + ", TD = " + std::to_string(TD));
      const StepResponse up = step_response(TD * std::exp(h), s.deck, s.derived, s.inversion);
      const StepResponse down = step_response(TD * std::exp(-h), s.deck, s.derived, s.inversion);
      const StepResponse r = step_response_log_slope(TD, s.deck, s.derived, s.inversion);
      EXPECT_NEAR(r.RH, (up.RH - down.RH) / (2.0 * h), 2e-3);
      EXPECT_NEAR(r.RQ, (up.RQ - down.RQ) / (2.0 * h), 2e-3);
    }
  }
}

}  // namespace
}  // namespace kesta
