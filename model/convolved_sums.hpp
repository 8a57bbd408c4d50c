#pragma once
// The superposition's lag sums of a long run by FFT convolution, for the
// contour inversion: about n·log n work where the sums in their written order
// take n²/2, at the price of a rounding that no longer follows that order.
#include <span>

namespace kesta {

// An estimate of the convolution's rounding error that holds for every output
// step, in the units of the sums themselves.
struct ConvolutionRounding {
  double head = 0.0;
  double seepage = 0.0;
};

// out_h[i] ≈ Σ rate_h[i - j + 1]·RH[j] over j = 1..i, and out_q likewise, for
// i = 1..n (index 0 of every span unused), as lag_sums gives them to within
// the returned rounding.
//
// The bound. The convolution is one forward transform of the rates, one of the
// responses and one inverse, each of log2 N butterfly stages (N the padded
// length, at least 2n). Every stage rounds each value by a few units u of the
// last place, independently from value to value, so the transforms' errors
// grow as √log2 N, not log2 N (the worst case, where every rounding lines up
// with the signal, has ‖·‖₁ in place of ‖·‖₂ below and is never met by data).
// By Parseval the error of one output step has an rms of about
//     u·√log2 N·(‖c‖₂ + 2·‖x‖₂·‖y‖₂)/√N,
// c the whole circular result, x and y the two padded inputs: the first term
// from the product and the inverse, the second from the forward transforms.
// The estimate is kSafety times that: the largest of a million steps lies
// within about five rms, and the constants of the butterflies within two more.
// tests/convolved_sums_test.cpp holds it against the sums in __float128.
ConvolutionRounding convolved_lag_sums(std::span<const double> rate_h, std::span<const double> RH,
                                       std::span<const double> rate_q, std::span<const double> RQ, int n,
                                       std::span<double> out_h, std::span<double> out_q);

}  // namespace kesta
