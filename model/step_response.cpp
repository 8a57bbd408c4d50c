#include "model/step_response.hpp"

#include <cmath>

namespace kesta {
namespace {

// Leakage through the aquitard in the Laplace domain; zero for a confined aquifer.
double leakage(double p, int IAQ, const Derived& d) {
  if (IAQ != 1 && IAQ != 2 && IAQ != 3) return 0.0;
  const double G2 = d.GAMMA1 * d.GAMMA1;
  const double u = std::sqrt(d.SIGMA1 * p / G2);
  const double a = G2 * u;
  const double tanh_u = std::tanh(u);
  if (IAQ == 1) return a / tanh_u;  // constant head above the aquitard
  if (IAQ == 2) return a * tanh_u;  // impervious layer above the aquitard
  const double c = p / d.SIGMAP;    // water table in the aquitard
  return a * (c + a * tanh_u) / (a + c * tanh_u);
}

}  // namespace

StepResponse step_response(double TD, const Deck& deck, const Derived& d, const Inversion& inversion) {
  const int terms = inversion.NS < NSMAX ? inversion.NS : NSMAX;
  const double XD_minus_1 = d.XD - 1.0;
  double SUMH = 0.0;
  double SUMQ = 0.0;
  for (int i = 1; i <= terms; ++i) {
    const double p = (static_cast<double>(i) * inversion.LN2) / TD;
    const double f = leakage(p, deck.IAQ, d);
    const double q = std::sqrt(p + f);

    // Head factor K, denominator P and seepage transform Q for the aquifer extent.
    double K = 1.0;
    double P = 0.0;
    double Q = 0.0;
    if (deck.IXL == 1) {
      const double E1 = std::exp(-2.0 * q * (d.XLLD - d.XD));
      const double E2 = std::exp(-2.0 * q * (d.XLLD - 1.0));
      K = (1.0 + E1) / (1.0 + E2);
      const double T = std::tanh(q * (d.XLLD - 1.0));
      P = p * (1.0 + d.XAAD * q * T);
      // The exponential form of tanh here, T in P: both as the model writes them.
      Q = -q * (1.0 - E2) / ((1.0 + E2) * P);
    } else {
      K = deck.IXL == 0 ? 1.0 : 0.0;
      P = p * (1.0 + d.XAAD * q);
      Q = -q / P;
    }

    // Capped from above only, so a distant well gives tiny terms, never 0/0.
    double e = q * XD_minus_1;
    if (e > inversion.EXPMAX || std::isnan(e)) e = inversion.EXPMAX;

    SUMH = SUMH + ((std::exp(-e) * K) / P) * inversion.V[i];
    SUMQ = SUMQ + inversion.V[i] * Q;
  }
  return {SUMH * inversion.LN2 / TD, SUMQ * inversion.LN2 / TD};
}

}  // namespace kesta
