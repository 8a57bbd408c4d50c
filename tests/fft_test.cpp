// The transform behind the error estimates against the plain sums it replaces:
// the discrete Fourier sum at every frequency, and the paired convolutions.
#include "model/fft.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>

#include "model/fft_convolution.hpp"
#include "model_fixture.hpp"

namespace kesta {
namespace {

TEST(Fft, EverySizeMeetsTheFourierSumOnEveryPathAlike) {
  testing::Noise noise{3};
  for (std::size_t n = 2; n <= 1024; n *= 2) {
    std::vector<double> re(n), im(n);
    for (std::size_t j = 0; j < n; ++j) {
      re[j] = noise.next();
      im[j] = noise.next();
    }
    const Fft best(n), baseline(n, VectorPath::Baseline);
    std::vector<double> re_b = re, im_b = im, re_base = re, im_base = im;
    best.forward(re_b.data(), im_b.data());
    baseline.forward(re_base.data(), im_base.data());
    ASSERT_EQ(std::memcmp(re_b.data(), re_base.data(), n * sizeof(double)), 0) << "n " << n;
    ASSERT_EQ(std::memcmp(im_b.data(), im_base.data(), n * sizeof(double)), 0) << "n " << n;
    for (std::size_t k = 0; k < n; ++k) {
      std::complex<double> sum = 0.0;
      for (std::size_t j = 0; j < n; ++j) {
        // The angle of j·k mod n, so the reference keeps its own digits.
        const double angle = -2.0 * std::numbers::pi * static_cast<double>((j * k) % n) / static_cast<double>(n);
        sum += std::complex<double>(re[j], im[j]) * std::polar(1.0, angle);
      }
      const std::size_t at = best.reversed(k);
      ASSERT_NEAR(re_b[at], sum.real(), 1e-13 * static_cast<double>(n)) << "n " << n << " k " << k;
      ASSERT_NEAR(im_b[at], sum.imag(), 1e-13 * static_cast<double>(n)) << "n " << n << " k " << k;
      ASSERT_EQ(Fft::mirror(at), best.reversed((n - k) % n)) << "n " << n << " k " << k;
    }
    best.inverse(re_b.data(), im_b.data());
    for (std::size_t j = 0; j < n; ++j) {
      ASSERT_NEAR(re_b[j] / static_cast<double>(n), re[j], 1e-14) << "n " << n << " j " << j;
      ASSERT_NEAR(im_b[j] / static_cast<double>(n), im[j], 1e-14) << "n " << n << " j " << j;
    }
  }
}

// Taking the short stages block by block changes the order of independent
// butterflies only: every block length gives the bits of the whole-series passes.
TEST(Fft, BlocksOfEveryLengthGiveTheSameBits) {
  testing::Noise noise{5};
  const std::size_t n = 4096;
  std::vector<double> re(n), im(n);
  for (std::size_t j = 0; j < n; ++j) {
    re[j] = noise.next();
    im[j] = noise.next();
  }
  for (VectorPath path : {VectorPath::Best, VectorPath::Baseline}) {
    const Fft whole(n, path, n);
    std::vector<double> want_re = re, want_im = im;
    whole.forward(want_re.data(), want_im.data());
    std::vector<double> back_re = want_re, back_im = want_im;
    whole.inverse(back_re.data(), back_im.data());
    for (std::size_t block : {8u, 16u, 256u, 2048u}) {
      const Fft blocked(n, path, block);
      std::vector<double> got_re = re, got_im = im;
      blocked.forward(got_re.data(), got_im.data());
      ASSERT_EQ(std::memcmp(got_re.data(), want_re.data(), n * sizeof(double)), 0) << "block " << block;
      ASSERT_EQ(std::memcmp(got_im.data(), want_im.data(), n * sizeof(double)), 0) << "block " << block;
      blocked.inverse(got_re.data(), got_im.data());
      ASSERT_EQ(std::memcmp(got_re.data(), back_re.data(), n * sizeof(double)), 0) << "block " << block;
      ASSERT_EQ(std::memcmp(got_im.data(), back_im.data(), n * sizeof(double)), 0) << "block " << block;
    }
  }
}

// Head and seepage travel through one transform; neither may leak into the
// other, in single or double precision, summed directly or transformed.
TEST(PairConvolution, EachSeriesMeetsItsOwnPlainSum) {
  testing::Noise noise{11};
  for (std::size_t n : {1u, 7u, 512u, 513u, 3000u}) {
    std::vector<double> a_head(n), a_seepage(n), b_head(n);
    std::vector<float> b_seepage(n);
    for (std::size_t i = 0; i < n; ++i) {
      a_head[i] = noise.next();
      a_seepage[i] = 1e3 * noise.next();
      b_head[i] = 1e-6 * noise.next();
      b_seepage[i] = static_cast<float>(1e-3 * noise.next());
    }
    const PairConvolution pair(a_head, a_seepage);
    PairConvolution::Workspace work;
    std::vector<double> head, seepage, seepage_again, unused;
    pair.convolve<double>(b_head, std::vector<double>(b_seepage.begin(), b_seepage.end()), head, seepage, work);
    // Once more with the workspace of the first call and the seepage in single precision.
    pair.convolve<float>(std::vector<float>(n, 0.0f), b_seepage, unused, seepage_again, work);
    ASSERT_EQ(head.size(), n);
    for (std::size_t i = 0; i < n; ++i) {
      double h = 0.0, s = 0.0;
      for (std::size_t j = 0; j <= i; ++j) {
        h += a_head[i - j] * b_head[j];
        s += a_seepage[i - j] * static_cast<double>(b_seepage[j]);
      }
      // Rounding of the joined transform: 1e-15·log2(n) of the larger pair's
      // |a|·|b| summed (about 1 per term here); the head alone is 1e-6 of that.
      const double bound = 1e-14 * static_cast<double>(n);
      ASSERT_NEAR(head[i], h, bound) << "n " << n << " i " << i;
      ASSERT_NEAR(seepage[i], s, bound) << "n " << n << " i " << i;
      ASSERT_NEAR(seepage_again[i], s, bound) << "n " << n << " i " << i;
    }
  }
}

}  // namespace
}  // namespace kesta
