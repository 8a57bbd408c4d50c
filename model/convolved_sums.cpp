#include "model/convolved_sums.hpp"

#include <cmath>
#include <limits>
#include <vector>

#include "model/fft_convolution.hpp"

namespace kesta {
namespace {

// Five rms for the largest of a million steps, two for the butterflies'
// constants, and the rest margin: the worst step of every series in
// tests/convolved_sums_test.cpp (steps, records, ramps, floods of 513 to a
// million steps) erred by at most 0.15 of this estimate.
constexpr double kSafety = 16.0;

double norm(std::span<const double> x) {
  double sum = 0.0;
  for (const double v : x) sum += v * v;
  return std::sqrt(sum);
}

// The power of two nearest to a / b, 1 when either is zero or not finite: the
// seepage series is scaled by it exactly, so both halves of the joined
// transform are of one size and neither's rounding swamps the other.
double balancing(double a, double b) {
  if (!(a > 0.0) || !(b > 0.0) || !std::isfinite(a) || !std::isfinite(b)) return 1.0;
  return std::ldexp(1.0, static_cast<int>(std::lround(std::log2(a / b))));
}

}  // namespace

ConvolutionRounding convolved_lag_sums(std::span<const double> rate_h, std::span<const double> RH,
                                       std::span<const double> rate_q, std::span<const double> RQ, int n,
                                       std::span<double> out_h, std::span<double> out_q) {
  if (n < 1) return {};
  const auto m = static_cast<std::size_t>(n);
  // Entry k of each series is entry k + 1 of the spans: output step i is then
  // entry i - 1 of the convolution.
  const std::span<const double> a_h = rate_h.subspan(1, m), b_h = RH.subspan(1, m);
  const double rate_scale = balancing(norm(a_h), norm(rate_q.subspan(1, m)));
  const double response_scale = balancing(norm(b_h), norm(RQ.subspan(1, m)));
  std::vector<double> a_q(m), b_q(m);
  for (std::size_t k = 0; k < m; ++k) {
    a_q[k] = rate_q[k + 1] * rate_scale;
    b_q[k] = RQ[k + 1] * response_scale;
  }
  const PairConvolution sums(a_h, a_q);
  PairConvolution::Workspace work;
  std::vector<double> head, seepage;
  sums.convolve<double>(b_h, b_q, head, seepage, work);
  const double unscale = 1.0 / (rate_scale * response_scale);
  for (std::size_t k = 0; k < m; ++k) {
    out_h[k + 1] = head[k];
    out_q[k + 1] = seepage[k] * unscale;
  }

  // The estimate, from the joined series: x = a_h + i·a_q, y = b_h + i·b_q.
  const double x = std::hypot(norm(a_h), norm(a_q));
  const double y = std::hypot(norm(b_h), norm(b_q));
  double size = 2.0 * static_cast<double>(m);
  double whole = 0.0;
  if (!work.re.empty()) {
    // The workspace holds the whole circular result, N times too large.
    size = static_cast<double>(work.re.size());
    double sum = 0.0;
    for (std::size_t k = 0; k < work.re.size(); ++k) sum += work.re[k] * work.re[k] + work.im[k] * work.im[k];
    whole = std::sqrt(sum) / size;
  } else {
    whole = std::hypot(norm(head), norm(seepage));
  }
  const double u = std::numeric_limits<double>::epsilon() / 2.0;
  const double rms = u * std::sqrt(std::log2(size)) * (whole + 2.0 * x * y) / std::sqrt(size);
  return {kSafety * rms, kSafety * rms * unscale};
}

}  // namespace kesta
