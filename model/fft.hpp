#pragma once
// The discrete Fourier transform of a power-of-two length, for convolving long
// series whose sums need not follow the superposition's order of rounding.
// The spectrum is kept in bit-reversed order: a convolution multiplies spectra
// point by point, for which any order serves, and leaving out the reordering
// halves the cost of a long transform.
#include <bit>
#include <cstddef>
#include <vector>

#include "support/large_pages.hpp"
#include "support/vector_path.hpp"

namespace kesta {

class Fft {
 public:
  // n a power of two, at least 2. The path is the widest the processor has of
  // those asked for (Avx512 takes AVX2's: the stages gain nothing from wider lanes).
  // A long transform goes block by block through its short stages, `block`
  // values at a time (a power of two, at least 8): 4096 of them, re and im,
  // take 64 KB and stay in a core's second-level cache through their stages,
  // where passing each stage over the whole series would not (10 % faster at
  // 2^18 values, measured).
  explicit Fft(std::size_t n, VectorPath path = VectorPath::Best, std::size_t block = kDefaultBlock);
  static constexpr std::size_t kDefaultBlock = 4096;
  std::size_t size() const { return n_; }
  // (re + i·im) in natural order becomes its transform Σ x[j]·exp(-2πi·jk/n)
  // with frequency k at position reversed(k); re and im hold n values each.
  void forward(double* re, double* im) const;
  // A spectrum in that order becomes Σ X[k]·exp(+2πi·jk/n) in natural order:
  // the inverse transform times n.
  void inverse(double* re, double* im) const;
  // The position of frequency k, and of the mirror frequency n - k of the
  // frequency at position p.
  std::size_t reversed(std::size_t k) const;
  // In bit-reversed order the mirrors of the positions 2^j .. 2^(j+1) - 1 are
  // the same positions backwards; positions 0 and 1 (frequencies 0 and n/2)
  // are their own.
  static std::size_t mirror(std::size_t p) { return p < 2 ? p : 3 * std::bit_floor(p) - 1 - p; }

 private:
  std::size_t n_;
  std::size_t block_;
  int bits_;
  bool avx2_;
  // Each stage's roots, cos and sin of 2πk/len for k < len/2, stage after
  // stage from len = 8 at offset len/2 - 4, so the butterflies read them in
  // order; each from its own angle so no error piles up from root to root.
  LargeVector<double> cos_, sin_;
};

}  // namespace kesta
