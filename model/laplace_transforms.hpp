#pragma once
// The aquifer's response to a unit step rise of stream stage in the Laplace
// domain: head at the observation well and head gradient at the streambank as
// functions of the Laplace variable p. Written once for a real p (the
// Gaver-Stehfest inversion) and a complex p (the contour inversion that checks
// it), so both invert the same functions.
#include <cmath>
#include <complex>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"

namespace kesta {

template <typename T>
struct Transforms {
  T head;     // transform of the dimensionless head change at the well
  T seepage;  // transform of the dimensionless head gradient at the streambank
};

namespace detail {

inline bool is_nan(double v) { return std::isnan(v); }
inline bool is_nan(std::complex<double> v) { return std::isnan(v.real()) || std::isnan(v.imag()); }
inline double real_part(double v) { return v; }
inline double real_part(std::complex<double> v) { return v.real(); }

// Leakage through the aquitard in the Laplace domain; zero for a confined aquifer.
template <typename T>
T leakage(T p, int IAQ, const Derived& d) {
  if (IAQ != 1 && IAQ != 2 && IAQ != 3) return T(0.0);
  const double G2 = d.GAMMA1 * d.GAMMA1;
  const T u = std::sqrt(d.SIGMA1 * p / G2);
  const T a = G2 * u;
  const T tanh_u = std::tanh(u);
  if (IAQ == 1) return a / tanh_u;  // constant head above the aquitard
  if (IAQ == 2) return a * tanh_u;  // impervious layer above the aquitard
  const T c = p / d.SIGMAP;         // water table in the aquitard
  return a * (c + a * tanh_u) / (a + c * tanh_u);
}

}  // namespace detail

// EXPMAX caps the exponent of the head's distance factor from above only (its
// real part for a complex p), so a distant well gives tiny terms, never 0/0.
template <typename T>
Transforms<T> laplace_transforms(T p, const Deck& deck, const Derived& d, double EXPMAX) {
  const double XD_minus_1 = d.XD - 1.0;
  const T f = detail::leakage(p, deck.IAQ, d);
  const T q = std::sqrt(p + f);

  // Head factor K, denominator P and seepage transform Q for the aquifer extent.
  T K = 1.0;
  T P = 0.0;
  T Q = 0.0;
  if (deck.IXL == 1) {
    const T E1 = std::exp(-2.0 * q * (d.XLLD - d.XD));
    const T E2 = std::exp(-2.0 * q * (d.XLLD - 1.0));
    K = (1.0 + E1) / (1.0 + E2);
    const T tanh_L = std::tanh(q * (d.XLLD - 1.0));
    P = p * (1.0 + d.XAAD * q * tanh_L);
    // The exponential form of tanh here, tanh_L in P: both as the model writes them.
    Q = -q * (1.0 - E2) / ((1.0 + E2) * P);
  } else {
    K = deck.IXL == 0 ? 1.0 : 0.0;
    P = p * (1.0 + d.XAAD * q);
    Q = -q / P;
  }

  T e = q * XD_minus_1;
  if (detail::real_part(e) > EXPMAX || detail::is_nan(e)) e = EXPMAX;
  return {(std::exp(-e) * K) / P, Q};
}

}  // namespace kesta
