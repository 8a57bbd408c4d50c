#include "model/contour_inversion.hpp"

#include <algorithm>
#include <array>
#include <complex>
#include <numbers>
#include <vector>

#include "model/inversion.hpp"
#include "model/kernel.hpp"
#include "model/laplace_transforms.hpp"
#include "support/parallel_for.hpp"

namespace kesta {
namespace {

using Complex = std::complex<double>;

// One parabola z(u) = μ(1 + iu)² serves every lag whose time lies within a
// factor kWindow of the window's first, t0. With kNodes + 1 nodes u = k·h (the
// transforms are real on the real axis, so the lower half mirrors the upper),
// μ = kMuScale·kNodes/t0 and h = kHScale/kNodes, the trapezoid sum meets 1/p,
// 1/√p, exp(-x√p)/p and 1/(p + a) to 1e-14 over the window: the scales were
// chosen by a sweep over those transforms.
constexpr int kNodes = 20;
constexpr double kWindow = 2.0;
constexpr double kMuScale = 0.12;
constexpr double kHScale = 3.5;

// The exponentials exp(z·t) advance from lag to lag by one product; taken
// afresh this often, their rounding stays below 1e-13 of the largest term.
constexpr int kFreshEvery = 256;

struct Contour {
  std::array<Complex, kNodes + 1> z;  // the nodes
  // Weight times the head and the seepage transform at each node.
  std::array<double, kNodes + 1> H_re, H_im, Q_re, Q_im;
};

// The Bromwich integral (1/2πi)∫exp(zt)F(z)dz with dz = 2iμ(1 + iu)du is
// (μh/π) Σ Re(exp(z_k t)·F(z_k)·(1 + iu_k)), the nodes k > 0 counted twice.
Contour contour_for(double t0, const Deck& deck, const Derived& derived) {
  Contour c;
  const double mu = kMuScale * kNodes / t0;
  const double h = kHScale / kNodes;
  for (int k = 0; k <= kNodes; ++k) {
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

}  // namespace

ContourResponses contour_responses(const Deck& deck, const Derived& derived, int lags) {
  ContourResponses r;
  if (lags < 1) return r;
  // Every lag is written below, on whichever core takes its run; entry 0
  // belongs to no lag.
  r.RH.resize(static_cast<std::size_t>(lags) + 1);
  r.RQ.resize(static_cast<std::size_t>(lags) + 1);
  r.RH[0] = r.RQ[0] = 0.0;
  const double step = lag_time(deck, 1);

  // The windows of lags first..last, each within kWindow of its first one's time,
  // with their contours and the exponentials' advance over one time step.
  struct Window {
    int first, last;
    Contour c;
    std::array<double, kNodes + 1> advance_re, advance_im;
  };
  std::vector<Window> windows;
  for (int first = 1; first <= lags;) {
    Window w{first,
             std::min(lags, static_cast<int>(kWindow * first)),
             contour_for(lag_time(deck, first), deck, derived),
             {},
             {}};
    for (int k = 0; k <= kNodes; ++k) {
      const Complex advance = std::exp(w.c.z[k] * step);
      w.advance_re[k] = advance.real();
      w.advance_im[k] = advance.imag();
    }
    first = w.last + 1;
    windows.push_back(w);
  }
  // Each run of kFreshEvery lags starts from fresh exponentials, so the runs are
  // independent: any thread may take any of them and the bits stay the same.
  struct Run {
    std::size_t window;
    int first, last;
  };
  std::vector<Run> runs;
  for (std::size_t w = 0; w < windows.size(); ++w)
    for (int first = windows[w].first; first <= windows[w].last; first += kFreshEvery)
      runs.push_back({w, first, std::min(windows[w].last, first + kFreshEvery - 1)});

  const int count = static_cast<int>(runs.size());
  parallel_for(count, lags >= kParallelFrom ? 1 : count + 1, 1, [&](int at) {
    const Run& run = runs[static_cast<std::size_t>(at)];
    const Window& w = windows[run.window];
    // Real and imaginary parts apart, so the products need no checks for
    // infinities and the nodes share vector lanes.
    std::array<double, kNodes + 1> E_re{}, E_im{};
    const double t = lag_time(deck, run.first);
    for (int k = 0; k <= kNodes; ++k) {
      const Complex E = std::exp(w.c.z[k] * t);
      E_re[k] = E.real();
      E_im[k] = E.imag();
    }
    for (int j = run.first; j <= run.last; ++j) {
      if (j > run.first) {
        for (int k = 0; k <= kNodes; ++k) {
          const double re = E_re[k] * w.advance_re[k] - E_im[k] * w.advance_im[k];
          E_im[k] = E_re[k] * w.advance_im[k] + E_im[k] * w.advance_re[k];
          E_re[k] = re;
        }
      }
      double head = 0.0, seepage = 0.0;
      for (int k = 0; k <= kNodes; ++k) {
        head += E_re[k] * w.c.H_re[k] - E_im[k] * w.c.H_im[k];
        seepage += E_re[k] * w.c.Q_re[k] - E_im[k] * w.c.Q_im[k];
      }
      r.RH[static_cast<std::size_t>(j)] = head;
      r.RQ[static_cast<std::size_t>(j)] = seepage;
    }
  });
  return r;
}

}  // namespace kesta
