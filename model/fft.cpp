#include "model/fft.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace kesta {
namespace {

typedef double Lanes2 __attribute__((vector_size(16)));
typedef double Lanes4 __attribute__((vector_size(32)));

// One block of a stage, element k with element k + half (half a multiple of
// the lanes). Decimation in frequency, for the forward transform:
//   (u, v) → (u + v, (u - v)·w^k);  in time, for the inverse: (u, v) → (u + v·w^k, u - v·w^k).
// The root w^k = cos + sign·i·sin. Lanes take consecutive k.
template <typename Lanes, bool IN_FREQUENCY>
__attribute__((always_inline)) inline void block(double* re, double* im, std::size_t half, const double* c,
                                                 const double* s, double sign) {
  constexpr std::size_t L = sizeof(Lanes) / sizeof(double);
  Lanes signs;
  for (std::size_t l = 0; l < L; ++l) signs[l] = sign;
  double* hre = re + half;
  double* him = im + half;
  // Vector values pass through memcpy only: no function takes or returns one,
  // so the baseline and the AVX2 code never meet across a call.
  for (std::size_t k = 0; k < half; k += L) {
    Lanes wr, wi, ur, ui, hr, hi;
    std::memcpy(&wr, c + k, sizeof wr);
    std::memcpy(&wi, s + k, sizeof wi);
    std::memcpy(&ur, re + k, sizeof ur);
    std::memcpy(&ui, im + k, sizeof ui);
    std::memcpy(&hr, hre + k, sizeof hr);
    std::memcpy(&hi, him + k, sizeof hi);
    wi = signs * wi;
    Lanes lo_r, lo_i, hi_r, hi_i;
    if constexpr (IN_FREQUENCY) {
      const Lanes dr = ur - hr, di = ui - hi;
      lo_r = ur + hr;
      lo_i = ui + hi;
      hi_r = dr * wr - di * wi;
      hi_i = dr * wi + di * wr;
    } else {
      const Lanes vr = hr * wr - hi * wi;
      const Lanes vi = hr * wi + hi * wr;
      lo_r = ur + vr;
      lo_i = ui + vi;
      hi_r = ur - vr;
      hi_i = ui - vi;
    }
    std::memcpy(re + k, &lo_r, sizeof lo_r);
    std::memcpy(im + k, &lo_i, sizeof lo_i);
    std::memcpy(hre + k, &hi_r, sizeof hi_r);
    std::memcpy(him + k, &hi_i, sizeof hi_i);
  }
}

template <typename Lanes, bool IN_FREQUENCY>
__attribute__((always_inline)) inline void stage(double* re, double* im, std::size_t n, std::size_t len,
                                                 const double* c, const double* s, double sign) {
  for (std::size_t start = 0; start < n; start += len)
    block<Lanes, IN_FREQUENCY>(re + start, im + start, len / 2, c, s, sign);
}

__attribute__((target("avx2"))) void stage_avx2(double* re, double* im, std::size_t n, std::size_t len, const double* c,
                                                const double* s, double sign, bool in_frequency) {
  if (in_frequency)
    stage<Lanes4, true>(re, im, n, len, c, s, sign);
  else
    stage<Lanes4, false>(re, im, n, len, c, s, sign);
}

void stage_baseline(double* re, double* im, std::size_t n, std::size_t len, const double* c, const double* s,
                    double sign, bool in_frequency) {
  if (in_frequency)
    stage<Lanes2, true>(re, im, n, len, c, s, sign);
  else
    stage<Lanes2, false>(re, im, n, len, c, s, sign);
}

// Lengths 2 and 4 need no multiplications: their roots are 1 and sign·i. The
// pairs are the same in either direction; only the order of the two differs.
void length_two(double* re, double* im, std::size_t n) {
  for (std::size_t a = 0; a < n; a += 2) {
    const double ur = re[a], ui = im[a], vr = re[a + 1], vi = im[a + 1];
    re[a] = ur + vr;
    im[a] = ui + vi;
    re[a + 1] = ur - vr;
    im[a + 1] = ui - vi;
  }
}

// Element 1 of each four with element 3, whose root is sign·i:
// (x + i·y)·(sign·i) = -sign·y + i·sign·x.
void length_four(double* re, double* im, std::size_t n, double sign, bool in_frequency) {
  for (std::size_t a = 0; a < n; a += 4) {
    double ur = re[a], ui = im[a], vr = re[a + 2], vi = im[a + 2];
    re[a] = ur + vr;
    im[a] = ui + vi;
    re[a + 2] = ur - vr;
    im[a + 2] = ui - vi;
    ur = re[a + 1];
    ui = im[a + 1];
    if (in_frequency) {
      const double dr = ur - re[a + 3], di = ui - im[a + 3];
      re[a + 1] = ur + re[a + 3];
      im[a + 1] = ui + im[a + 3];
      re[a + 3] = -sign * di;
      im[a + 3] = sign * dr;
    } else {
      vr = -sign * im[a + 3];
      vi = sign * re[a + 3];
      re[a + 1] = ur + vr;
      im[a + 1] = ui + vi;
      re[a + 3] = ur - vr;
      im[a + 3] = ui - vi;
    }
  }
}

}  // namespace

Fft::Fft(std::size_t n, VectorPath path, std::size_t block)
    : n_(n),
      block_(std::max<std::size_t>(block, 8)),
      bits_(0),
      avx2_(available_path(path) != VectorPath::Baseline),
      cos_(n >= 8 ? n - 4 : 0),
      sin_(n >= 8 ? n - 4 : 0) {
  while ((std::size_t{1} << bits_) < n) ++bits_;
  for (std::size_t len = 8; len <= n; len <<= 1) {
    const std::size_t stride = n / len;
    for (std::size_t k = 0; k < len / 2; ++k) {
      // The same angle for the same root at every stage: k·stride of n.
      const double angle = 2.0 * std::numbers::pi * static_cast<double>(k * stride) / static_cast<double>(n);
      cos_[len / 2 - 4 + k] = std::cos(angle);
      sin_[len / 2 - 4 + k] = std::sin(angle);
    }
  }
}

std::size_t Fft::reversed(std::size_t k) const {
  std::size_t r = 0;
  for (int b = 0; b < bits_; ++b, k >>= 1) r = (r << 1) | (k & 1);
  return r;
}

// Forward: the long stages pass over the whole series; from the block length
// down, each block takes all its remaining stages while it is in the cache.
// Every element meets the same operations in the same order either way.
void Fft::forward(double* re, double* im) const {
  const auto run = avx2_ ? stage_avx2 : stage_baseline;
  std::size_t len = n_;
  for (; len >= 8 && len > block_; len >>= 1)
    run(re, im, n_, len, cos_.data() + (len / 2 - 4), sin_.data() + (len / 2 - 4), -1.0, true);
  const std::size_t span = std::min(n_, block_);
  for (std::size_t first = 0; first < n_; first += span) {
    double* bre = re + first;
    double* bim = im + first;
    for (std::size_t l = len; l >= 8; l >>= 1)
      run(bre, bim, span, l, cos_.data() + (l / 2 - 4), sin_.data() + (l / 2 - 4), -1.0, true);
    if (span >= 4) length_four(bre, bim, span, -1.0, true);
    length_two(bre, bim, span);
  }
}

// Inverse: the short stages block by block, then the long ones over the whole.
void Fft::inverse(double* re, double* im) const {
  const auto run = avx2_ ? stage_avx2 : stage_baseline;
  const std::size_t span = std::min(n_, block_);
  for (std::size_t first = 0; first < n_; first += span) {
    double* bre = re + first;
    double* bim = im + first;
    length_two(bre, bim, span);
    if (span >= 4) length_four(bre, bim, span, 1.0, false);
    for (std::size_t l = 8; l <= span; l <<= 1)
      run(bre, bim, span, l, cos_.data() + (l / 2 - 4), sin_.data() + (l / 2 - 4), 1.0, false);
  }
  for (std::size_t len = span * 2; len <= n_; len <<= 1)
    run(re, im, n_, len, cos_.data() + (len / 2 - 4), sin_.data() + (len / 2 - 4), 1.0, false);
}

}  // namespace kesta
