#pragma once
// Exact unit step responses of a confined, semi-infinite aquifer: the head at
// the well and the head gradient at the streambank as functions of
// dimensionless time, for the judges of the inversions.
#include <cmath>
#include <numbers>

namespace kesta::testing {

struct Exact {
  double head, seepage;
};

// exp(z²)·erfc(z) without overflow; the asymptotic series beyond z = 26, where
// its fourth term is below 1e-7 of the first.
inline double erfcx(double z) {
  if (z < 26.0) return std::exp(z * z) * std::erfc(z);
  const double w = 1.0 / (2.0 * z * z);
  return (1.0 - w + 3.0 * w * w - 15.0 * w * w * w) / (z * std::sqrt(std::numbers::pi));
}

// No streambank, well at distance x = XD - 1 from the bank (heat conduction
// into a half space): erfc(x / 2√t) and -1/√(πt).
inline Exact half_space(double x, double t) {
  return {std::erfc(x / (2.0 * std::sqrt(t))), -1.0 / std::sqrt(std::numbers::pi * t)};
}

// Behind a semipervious streambank of dimensionless leakance XAAD = 1/b (the
// half space behind a surface resistance).
inline Exact behind_streambank(double x, double b, double t) {
  const double z = x / (2.0 * std::sqrt(t));
  return {std::erfc(z) - std::exp(-z * z) * erfcx(z + b * std::sqrt(t)), -b * erfcx(b * std::sqrt(t))};
}

}  // namespace kesta::testing
