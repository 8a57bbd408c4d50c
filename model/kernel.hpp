#pragma once
// The formulas every route through the model shares, each written once so the
// simulation, the finite checks, the contour judge and the error estimates see
// the same bits: the dimensionless time of a lag, the Gaver-Stehfest sum and
// the stress changes from step to step.
#include <vector>

#include "kesta/deck.hpp"
#include "model/inversion.hpp"
#include "model/laplace_transforms.hpp"

namespace kesta {

// The dimensionless time of a lag of j time steps, AK·(j·DELT)/(AS·XZERO²).
inline double lag_time(const Deck& deck, int j) {
  const double XZERO2 = deck.XZERO * deck.XZERO;
  return (deck.AK * (static_cast<double>(j) * deck.DELT)) / (deck.AS * XZERO2);
}

// The Laplace variable of Stehfest term i at dimensionless time TD.
inline double stehfest_variable(int i, double LN2, double TD) { return (static_cast<double>(i) * LN2) / TD; }

// Response of the aquifer to a unit step rise of stream stage at dimensionless
// time 0, brought back from the Laplace domain at dimensionless time TD.
struct StepResponse {
  double RH = 0.0;  // dimensionless head change at the observation well
  double RQ = 0.0;  // dimensionless head gradient at the streambank (negative after a rise)
};

// The terms of the sum: an NS above NSMAX (refused by the input phase) never
// reads past the weights.
inline int stehfest_terms(const Inversion& inversion) { return inversion.NS < NSMAX ? inversion.NS : NSMAX; }

// (LN2/TD)·Σ V(i)·F(p_i), head and seepage, summed in increasing i; term(i)
// gives the transforms at the p of term i, however they were found.
template <typename Term>
inline StepResponse stehfest_sum(const Inversion& inversion, double TD, Term&& term) {
  const int terms = stehfest_terms(inversion);
  double SUMH = 0.0;
  double SUMQ = 0.0;
  for (int i = 1; i <= terms; ++i) {
    const Transforms<double> F = term(i);
    SUMH = SUMH + F.head * inversion.V[i];
    SUMQ = SUMQ + inversion.V[i] * F.seepage;
  }
  return {SUMH * inversion.LN2 / TD, SUMQ * inversion.LN2 / TD};
}

// The head and seepage stress changes from step to step: entry m is HSTRESS
// (QSTRESS) of step m + 1 less that of step m, m = 1..NT - 1; entries 0 and NT
// are 0. Each change acts as a step rise at the start of its interval.
struct StressSteps {
  std::vector<double> head, seepage;
};
StressSteps stress_steps(const Deck& deck);

}  // namespace kesta
