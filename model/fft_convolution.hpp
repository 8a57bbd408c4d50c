#pragma once
// Convolution of long series by the fast Fourier transform, for sums whose
// rounding need not follow the superposition's order: the error estimates.
#include <optional>
#include <span>
#include <vector>

#include "model/fft.hpp"
#include "support/large_pages.hpp"

namespace kesta {

// Two series of length n, a_head and a_seepage (the stress changes), are
// transformed once; each call convolves them with a pair of series of its own:
//   head[i] = Σ a_head[i - j]·b_head[j],  seepage[i] likewise,  j = 0..i, i < n.
// The rounding error is about 1e-15 · log2(n) · sqrt(Σ a²) · sqrt(Σ b²) at most.
class PairConvolution {
 public:
  PairConvolution(std::span<const double> a_head, std::span<const double> a_seepage);

  // The transform's buffers, kept from call to call by one caller: fresh
  // pages for every call would cost more than the transforms. Calls with
  // workspaces of their own may run on several threads at once.
  struct Workspace {
    LargeVector<double> re, im;
  };
  template <typename T>
  void convolve(std::span<const T> b_head, std::span<const T> b_seepage, std::vector<double>& head,
                std::vector<double>& seepage, Workspace& work) const;

 private:
  std::size_t n_;
  // Short series are summed directly; these hold them then.
  std::vector<double> a_head_, a_seepage_;
  // Long ones: the transform of a_head + i·a_seepage, zero-padded to twice n.
  std::optional<Fft> fft_;
  LargeVector<double> spectrum_re_, spectrum_im_;
};

// out[i] = Σ a[i - j] · b[j] over j = 0..i, for i = 0..n-1 (n = a.size() = b.size()).
std::vector<double> convolve(std::span<const double> a, std::span<const double> b);

}  // namespace kesta
