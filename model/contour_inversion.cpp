#include "model/contour_inversion.hpp"

#include <algorithm>
#include <array>
#include <cmath>
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
// The reference contour, against which the engine estimates its own error:
// the standard parabola, followed further (u to kReferenceReach) with more
// nodes, so its discretization and truncation lie far below the standard's.
// Both meet the rounding of terms up to exp(μt) times the value, about 1e-14
// of the scale, so the estimate is good to a factor of a few there: enough to
// judge half a unit of the fifth printed digit.
constexpr int kReferenceNodes = 32;
constexpr double kReferenceReach = 4.0;
// Tiny responses (see kTiny): again on these many nodes, and the reference's on more.
constexpr int kFinerNodes = 64;
constexpr int kFinestNodes = 128;

// The exponentials exp(z·t) advance from lag to lag by one product; taken
// afresh this often, their rounding stays below 1e-13 of the largest term.
constexpr int kFreshEvery = 256;

template <int Nodes>
struct Contour {
  std::array<Complex, Nodes + 1> z;  // the nodes
  // Weight times the head and the seepage transform at each node.
  std::array<double, Nodes + 1> H_re, H_im, Q_re, Q_im;
};

// The Bromwich integral (1/2πi)∫exp(zt)F(z)dz with dz = 2iμ(1 + iu)du is
// (μh/π) Σ Re(exp(z_k t)·F(z_k)·(1 + iu_k)), the nodes k > 0 counted twice.
template <int Nodes, bool Scaled>
Contour<Nodes> contour_for(double t0, const Deck& deck, const Derived& derived) {
  Contour<Nodes> c;
  const double mu = Scaled ? kMuScale * Nodes / t0 : kMuScale * kNodes / t0;
  const double h = (Scaled ? kHScale : kReferenceReach) / Nodes;
  for (int k = 0; k <= Nodes; ++k) {
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

// Lags from..to of r, whose entries exist, on contours of Nodes nodes whose
// parabola crosses the real axis at kMuScale·Nodes over the window's first
// time (Scaled), or at the standard contour's crossing (a longer parabola).
// The seepage too unless head_only.
template <int Nodes, bool Scaled>
void invert_lags(const Deck& deck, const Derived& derived, int from, int to, bool head_only, ContourResponses& r) {
  const double step = lag_time(deck, 1);
  const int lags = to - from + 1;

  // The windows of lags first..last, each within kWindow of its first one's time,
  // with their contours and the exponentials' advance over one time step.
  struct Window {
    int first, last;
    Contour<Nodes> c;
    std::array<double, Nodes + 1> advance_re, advance_im;
  };
  std::vector<Window> windows;
  for (int first = from; first <= to;) {
    Window w{first,
             std::min(to, static_cast<int>(kWindow * first)),
             contour_for<Nodes, Scaled>(lag_time(deck, first), deck, derived),
             {},
             {}};
    for (int k = 0; k <= Nodes; ++k) {
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
    std::array<double, Nodes + 1> E_re{}, E_im{};
    const double t = lag_time(deck, run.first);
    for (int k = 0; k <= Nodes; ++k) {
      const Complex E = std::exp(w.c.z[k] * t);
      E_re[k] = E.real();
      E_im[k] = E.imag();
    }
    for (int j = run.first; j <= run.last; ++j) {
      if (j > run.first) {
        for (int k = 0; k <= Nodes; ++k) {
          const double re = E_re[k] * w.advance_re[k] - E_im[k] * w.advance_im[k];
          E_im[k] = E_re[k] * w.advance_im[k] + E_im[k] * w.advance_re[k];
          E_re[k] = re;
        }
      }
      double head = 0.0, seepage = 0.0;
      for (int k = 0; k <= Nodes; ++k) {
        head += E_re[k] * w.c.H_re[k] - E_im[k] * w.c.H_im[k];
        seepage += E_re[k] * w.c.Q_re[k] - E_im[k] * w.c.Q_im[k];
      }
      r.RH[static_cast<std::size_t>(j)] = head;
      if (!head_only) r.RQ[static_cast<std::size_t>(j)] = seepage;
    }
  });
}

// A head response far below the unit step's scale, before the rise reaches a
// far well, is the small difference of large terms on the standard contour,
// whose error stays about 1e-15 of the scale however small the value. Such
// lags are inverted again on a contour of Finer nodes reaching further right,
// nearer the saddle point of exp(pt - x√p), where the terms are of the value's
// own size: about 1e-14 of the value down to values of about 1e-20.
// (A seepage response far below its scale, late in a finite aquifer's
// drainage, gains nothing from that: the poles that decide it stay where
// they are. The engine's check of its digits says when such values are noise.)
constexpr double kTiny = 1e-6;

template <int Nodes, int Finer, bool Scaled>
ContourResponses responses_on(const Deck& deck, const Derived& derived, int lags) {
  ContourResponses r;
  if (lags < 1) return r;
  // Every lag is written below, on whichever core takes its run; entry 0
  // belongs to no lag.
  r.RH.resize(static_cast<std::size_t>(lags) + 1);
  r.RQ.resize(static_cast<std::size_t>(lags) + 1);
  r.RH[0] = r.RQ[0] = 0.0;
  invert_lags<Nodes, Scaled>(deck, derived, 1, lags, false, r);
  // The runs of tiny heads, each again as a whole: its windows then share their contours.
  const auto tiny = [&r](int j) { return std::fabs(r.RH[static_cast<std::size_t>(j)]) < kTiny; };
  for (int j = 1; j <= lags; ++j) {
    if (!tiny(j)) continue;
    int last = j;
    while (last < lags && tiny(last + 1)) ++last;
    invert_lags<Finer, true>(deck, derived, j, last, true, r);
    j = last;
  }
  return r;
}

}  // namespace

ContourResponses contour_responses(const Deck& deck, const Derived& derived, int lags) {
  return responses_on<kNodes, kFinerNodes, true>(deck, derived, lags);
}

ContourResponses reference_responses(const Deck& deck, const Derived& derived, int lags) {
  return responses_on<kReferenceNodes, kFinestNodes, false>(deck, derived, lags);
}

}  // namespace kesta
