#include "model/fft_convolution.hpp"

#include <complex>
#include <numbers>

namespace kesta {
namespace {

using Complex = std::complex<double>;

// Up to this length the plain double loop is cheaper than the transforms.
constexpr std::size_t DIRECT_MAX = 512;

std::vector<double> convolve_directly(std::span<const double> a, std::span<const double> b) {
  std::vector<double> out(a.size(), 0.0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    double sum = 0.0;
    for (std::size_t j = 0; j <= i; ++j) sum += a[i - j] * b[j];
    out[i] = sum;
  }
  return out;
}

// In-place radix-2 transform of a power-of-two length; `roots` holds
// exp(-2πik/n) for k < n/2, each from its own cosine and sine so no error piles
// up. The inverse transform conjugates them and leaves the 1/n to the caller.
void fft(std::vector<Complex>& x, const std::vector<Complex>& roots, bool inverse) {
  const std::size_t n = x.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::size_t stride = n / len;
    for (std::size_t start = 0; start < n; start += len) {
      for (std::size_t k = 0; k < len / 2; ++k) {
        const Complex w = inverse ? std::conj(roots[k * stride]) : roots[k * stride];
        const Complex u = x[start + k];
        const Complex v = x[start + k + len / 2] * w;
        x[start + k] = u + v;
        x[start + k + len / 2] = u - v;
      }
    }
  }
}

std::vector<Complex> unit_roots(std::size_t n) {
  std::vector<Complex> roots(n / 2);
  for (std::size_t k = 0; k < n / 2; ++k) {
    const double angle = -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
    roots[k] = {std::cos(angle), std::sin(angle)};
  }
  return roots;
}

// The transform of a series padded with zeros to length n.
std::vector<Complex> transform(std::span<const double> re, std::span<const double> im, std::size_t n,
                               const std::vector<Complex>& roots) {
  std::vector<Complex> x(n);
  for (std::size_t i = 0; i < re.size(); ++i) x[i] = {re[i], im.empty() ? 0.0 : im[i]};
  fft(x, roots, false);
  return x;
}

}  // namespace

std::vector<std::vector<double>> convolve_each(std::span<const double> a, const std::vector<std::vector<double>>& b) {
  const std::size_t n = a.size();
  std::vector<std::vector<double>> out(b.size(), std::vector<double>(n, 0.0));
  if (n == 0) return out;
  if (n <= DIRECT_MAX) {
    for (std::size_t m = 0; m < b.size(); ++m) out[m] = convolve_directly(a, b[m]);
    return out;
  }
  // Twice the length, so the circular convolution holds the linear one.
  std::size_t size = 1;
  while (size < 2 * n) size <<= 1;
  const std::vector<Complex> roots = unit_roots(size);
  const std::vector<Complex> A = transform(a, {}, size, roots);
  // a is real, so two series b travel as the real and imaginary parts of one.
  for (std::size_t m = 0; m < b.size(); m += 2) {
    const bool pair = m + 1 < b.size();
    std::vector<Complex> x = transform(b[m], pair ? std::span<const double>(b[m + 1]) : std::span<const double>(),
                                       size, roots);
    for (std::size_t i = 0; i < size; ++i) x[i] *= A[i];
    fft(x, roots, true);
    const double scale = 1.0 / static_cast<double>(size);
    for (std::size_t i = 0; i < n; ++i) {
      out[m][i] = x[i].real() * scale;
      if (pair) out[m + 1][i] = x[i].imag() * scale;
    }
  }
  return out;
}

std::vector<double> convolve(std::span<const double> a, std::span<const double> b) {
  return convolve_each(a, {std::vector<double>(b.begin(), b.end())}).front();
}

}  // namespace kesta
