#pragma once
// The discrete Fourier transform of a power-of-two length, for convolving long
// series whose sums need not follow the superposition's order of rounding.
#include <complex>
#include <cstddef>
#include <vector>

namespace kesta {

class Fft {
 public:
  // n a power of two, at least 2.
  explicit Fft(std::size_t n);
  std::size_t size() const { return n_; }
  // x[k] becomes Σ x[j]·exp(-2πi·jk/n), in place; x holds n values.
  void forward(std::vector<std::complex<double>>& x) const;
  // x[k] becomes Σ x[j]·exp(+2πi·jk/n); the 1/n is left to the caller.
  void inverse(std::vector<std::complex<double>>& x) const;

 private:
  std::size_t n_;
  // exp(-2πik/n) for k < n/2, split in parts, each from its own cosine and
  // sine so no error piles up from root to root.
  std::vector<double> cos_, sin_;
};

}  // namespace kesta
