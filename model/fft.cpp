#include "model/fft.hpp"

#include <cmath>
#include <numbers>
#include <utility>

namespace kesta {
namespace {

void bit_reverse(std::complex<double>* x, std::size_t n) {
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
}

// Radix-2 butterflies after the bit reversal, in real arithmetic: the complex
// product's checks for infinities would cost more than the sums themselves.
// `sign` is -1 for the forward transform, +1 for the inverse.
void butterflies(double* x, std::size_t n, const double* c, const double* s, double sign) {
  // Lengths 2 and 4 need no multiplications: their roots are 1 and ∓i.
  for (std::size_t a = 0; a < 2 * n; a += 4) {
    const double ur = x[a], ui = x[a + 1], vr = x[a + 2], vi = x[a + 3];
    x[a] = ur + vr;
    x[a + 1] = ui + vi;
    x[a + 2] = ur - vr;
    x[a + 3] = ui - vi;
  }
  if (n >= 4) {
    for (std::size_t a = 0; a < 2 * n; a += 8) {
      double* p = x + a;
      // Element 0 with 2 (root 1), element 1 with 3 (root ∓i).
      const double ur = p[0], ui = p[1], vr = p[4], vi = p[5];
      p[0] = ur + vr;
      p[1] = ui + vi;
      p[4] = ur - vr;
      p[5] = ui - vi;
      // (vr + i·vi)·(sign·i) = -sign·vi + i·sign·vr
      const double wr = -sign * p[7], wi = sign * p[6];
      const double u2r = p[2], u2i = p[3];
      p[2] = u2r + wr;
      p[3] = u2i + wi;
      p[6] = u2r - wr;
      p[7] = u2i - wi;
    }
  }
  for (std::size_t len = 8; len <= n; len <<= 1) {
    const std::size_t half = len / 2;
    const std::size_t stride = n / len;
    for (std::size_t start = 0; start < n; start += len) {
      double* lo = x + 2 * start;
      double* hi = x + 2 * (start + half);
      for (std::size_t k = 0; k < half; ++k) {
        const double wr = c[k * stride];
        const double wi = sign * s[k * stride];  // exp(∓iθ) = cos θ ∓ i·sin θ
        const double hr = hi[2 * k], hiim = hi[2 * k + 1];
        const double vr = hr * wr - hiim * wi;
        const double vi = hr * wi + hiim * wr;
        const double ur = lo[2 * k], ui = lo[2 * k + 1];
        lo[2 * k] = ur + vr;
        lo[2 * k + 1] = ui + vi;
        hi[2 * k] = ur - vr;
        hi[2 * k + 1] = ui - vi;
      }
    }
  }
}

}  // namespace

Fft::Fft(std::size_t n) : n_(n), cos_(n / 2), sin_(n / 2) {
  for (std::size_t k = 0; k < n / 2; ++k) {
    const double angle = 2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
    cos_[k] = std::cos(angle);
    sin_[k] = std::sin(angle);
  }
}

void Fft::forward(std::vector<std::complex<double>>& x) const {
  bit_reverse(x.data(), n_);
  // std::complex<double> is laid out as two doubles, real part first.
  butterflies(reinterpret_cast<double*>(x.data()), n_, cos_.data(), sin_.data(), -1.0);
}

void Fft::inverse(std::vector<std::complex<double>>& x) const {
  bit_reverse(x.data(), n_);
  butterflies(reinterpret_cast<double*>(x.data()), n_, cos_.data(), sin_.data(), 1.0);
}

}  // namespace kesta
