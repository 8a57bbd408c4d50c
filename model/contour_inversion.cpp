#include "model/contour_inversion.hpp"

#include <algorithm>
#include <array>
#include <complex>
#include <numbers>

#include "model/inversion.hpp"
#include "model/laplace_transforms.hpp"

namespace kesta {
namespace {

using Complex = std::complex<double>;

// One parabola z(u) = μ(1 + iu)² serves every lag whose time lies within a
// factor WINDOW of the window's first, t0. With NODES + 1 nodes u = k·h (the
// transforms are real on the real axis, so the lower half mirrors the upper),
// μ = MU_SCALE·NODES/t0 and h = H_SCALE/NODES, the trapezoid sum meets 1/p,
// 1/√p, exp(-x√p)/p and 1/(p + a) to 1e-14 over the window: the scales were
// chosen by a sweep over those transforms.
constexpr int NODES = 20;
constexpr double WINDOW = 2.0;
constexpr double MU_SCALE = 0.12;
constexpr double H_SCALE = 3.5;

// The exponentials exp(z·t) advance from lag to lag by one product; taken
// afresh this often, their rounding stays below 1e-13 of the largest term.
constexpr int FRESH_EVERY = 256;

struct Contour {
  std::array<Complex, NODES + 1> z;  // the nodes
  // Weight times the head and the seepage transform at each node.
  std::array<double, NODES + 1> H_re, H_im, Q_re, Q_im;
};

// The Bromwich integral (1/2πi)∫exp(zt)F(z)dz with dz = 2iμ(1 + iu)du is
// (μh/π) Σ Re(exp(z_k t)·F(z_k)·(1 + iu_k)), the nodes k > 0 counted twice.
Contour contour_for(double t0, const Deck& deck, const Derived& derived) {
  Contour c;
  const double mu = MU_SCALE * NODES / t0;
  const double h = H_SCALE / NODES;
  for (int k = 0; k <= NODES; ++k) {
    const Complex w(1.0, k * h);
    c.z[k] = mu * w * w;
    const Transforms<Complex> F = laplace_transforms(c.z[k], deck, derived, EXPMAX_VALUE);
    const double weight = (k == 0 ? 1.0 : 2.0) * mu * h / std::numbers::pi;
    const Complex H = weight * F.head * w;
    const Complex Q = weight * F.seepage * w;
    c.H_re[k] = H.real();
    c.H_im[k] = H.imag();
    c.Q_re[k] = Q.real();
    c.Q_im[k] = Q.imag();
  }
  return c;
}

double lag_time(const Deck& deck, int j) {
  const double storage_scale = deck.AS * (deck.XZERO * deck.XZERO);
  return (deck.AK * (static_cast<double>(j) * deck.DELT)) / storage_scale;
}

}  // namespace

ContourResponses contour_responses(const Deck& deck, const Derived& derived, int lags) {
  ContourResponses r;
  if (lags < 1) return r;
  r.RH.assign(static_cast<std::size_t>(lags) + 1, 0.0);
  r.RQ.assign(static_cast<std::size_t>(lags) + 1, 0.0);
  const double step = lag_time(deck, 1);
  // Real and imaginary parts apart, so the products need no checks for
  // infinities and the nodes share vector lanes.
  std::array<double, NODES + 1> advance_re{}, advance_im{}, E_re{}, E_im{};
  for (int first = 1; first <= lags;) {
    // Lags first..last lie within WINDOW of the first one's time.
    const int last = std::min(lags, static_cast<int>(WINDOW * first));
    const Contour c = contour_for(lag_time(deck, first), deck, derived);
    for (int k = 0; k <= NODES; ++k) {
      const Complex advance = std::exp(c.z[k] * step);
      advance_re[k] = advance.real();
      advance_im[k] = advance.imag();
    }
    for (int j = first; j <= last; ++j) {
      if ((j - first) % FRESH_EVERY == 0) {
        const double t = lag_time(deck, j);
        for (int k = 0; k <= NODES; ++k) {
          const Complex E = std::exp(c.z[k] * t);
          E_re[k] = E.real();
          E_im[k] = E.imag();
        }
      } else {
        for (int k = 0; k <= NODES; ++k) {
          const double re = E_re[k] * advance_re[k] - E_im[k] * advance_im[k];
          E_im[k] = E_re[k] * advance_im[k] + E_im[k] * advance_re[k];
          E_re[k] = re;
        }
      }
      double head = 0.0, seepage = 0.0;
      for (int k = 0; k <= NODES; ++k) {
        head += E_re[k] * c.H_re[k] - E_im[k] * c.H_im[k];
        seepage += E_re[k] * c.Q_re[k] - E_im[k] * c.Q_im[k];
      }
      r.RH[static_cast<std::size_t>(j)] = head;
      r.RQ[static_cast<std::size_t>(j)] = seepage;
    }
    first = last + 1;
  }
  return r;
}

}  // namespace kesta
