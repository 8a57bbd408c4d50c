#include "model/fft_convolution.hpp"

#include <algorithm>
#include <complex>

namespace kesta {
namespace {

using Complex = std::complex<double>;

// Up to this length the plain double loop is cheaper than the transforms.
constexpr std::size_t kDirectMax = 512;

template <typename T>
void convolve_directly(std::span<const double> a, std::span<const T> b, std::vector<double>& out) {
  out.assign(a.size(), 0.0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    double sum = 0.0;
    for (std::size_t j = 0; j <= i; ++j) sum += a[i - j] * static_cast<double>(b[j]);
    out[i] = sum;
  }
}

// The transforms of two real series x and y travel as one, of x + i·y; at k
// (and its mirror m = -k) they part again as X = (Z_k + conj Z_m)/2 and
// Y = (Z_k - conj Z_m)/2i. The product of the parts with the stress changes'
// parts, X·A + i·Y·B, is the transform of the two convolutions as one.
Complex joined_product(Complex z_k, Complex z_m, Complex s_k, Complex s_m) {
  const Complex i(0.0, 1.0);
  const Complex x = 0.5 * (z_k + std::conj(z_m));
  const Complex y = -0.5 * i * (z_k - std::conj(z_m));
  const Complex a = 0.5 * (s_k + std::conj(s_m));
  const Complex b = -0.5 * i * (s_k - std::conj(s_m));
  return x * a + i * (y * b);
}

}  // namespace

PairConvolution::PairConvolution(std::span<const double> a_head, std::span<const double> a_seepage)
    : n_(a_head.size()) {
  if (n_ <= kDirectMax) {
    a_head_.assign(a_head.begin(), a_head.end());
    a_seepage_.assign(a_seepage.begin(), a_seepage.end());
    return;
  }
  // Twice the length, so the circular convolution holds the linear one.
  std::size_t size = 1;
  while (size < 2 * n_) size <<= 1;
  fft_.emplace(size);
  spectrum_re_.assign(size, 0.0);
  spectrum_im_.assign(size, 0.0);
  std::copy(a_head.begin(), a_head.end(), spectrum_re_.begin());
  std::copy(a_seepage.begin(), a_seepage.end(), spectrum_im_.begin());
  fft_->forward(spectrum_re_.data(), spectrum_im_.data());
}

template <typename T>
void PairConvolution::convolve(std::span<const T> b_head, std::span<const T> b_seepage, std::vector<double>& head,
                               std::vector<double>& seepage, Workspace& work) const {
  if (!fft_) {
    convolve_directly(std::span<const double>(a_head_), b_head, head);
    convolve_directly(std::span<const double>(a_seepage_), b_seepage, seepage);
    return;
  }
  const std::size_t size = fft_->size();
  LargeVector<double>& re = work.re;
  LargeVector<double>& im = work.im;
  re.assign(size, 0.0);
  im.assign(size, 0.0);
  std::copy(b_head.begin(), b_head.begin() + static_cast<std::ptrdiff_t>(n_), re.begin());
  std::copy(b_seepage.begin(), b_seepage.begin() + static_cast<std::ptrdiff_t>(n_), im.begin());
  fft_->forward(re.data(), im.data());
  // Each position with its mirror, both read before either is written.
  for (std::size_t p = 0; p < size; ++p) {
    const std::size_t q = Fft::mirror(p);
    if (q < p) continue;
    const Complex z_p(re[p], im[p]), z_q(re[q], im[q]);
    const Complex s_p(spectrum_re_[p], spectrum_im_[p]), s_q(spectrum_re_[q], spectrum_im_[q]);
    const Complex at_p = joined_product(z_p, z_q, s_p, s_q);
    const Complex at_q = joined_product(z_q, z_p, s_q, s_p);
    re[p] = at_p.real();
    im[p] = at_p.imag();
    re[q] = at_q.real();
    im[q] = at_q.imag();
  }
  fft_->inverse(re.data(), im.data());
  const double scale = 1.0 / static_cast<double>(size);
  head.resize(n_);
  seepage.resize(n_);
  for (std::size_t i = 0; i < n_; ++i) {
    head[i] = re[i] * scale;
    seepage[i] = im[i] * scale;
  }
}

template void PairConvolution::convolve(std::span<const float>, std::span<const float>, std::vector<double>&,
                                        std::vector<double>&, Workspace&) const;
template void PairConvolution::convolve(std::span<const double>, std::span<const double>, std::vector<double>&,
                                        std::vector<double>&, Workspace&) const;

std::vector<double> convolve(std::span<const double> a, std::span<const double> b) {
  const std::vector<double> none(a.size(), 0.0);
  std::vector<double> out, unused;
  PairConvolution::Workspace work;
  PairConvolution(a, none).convolve(b, std::span<const double>(none), out, unused, work);
  return out;
}

}  // namespace kesta
