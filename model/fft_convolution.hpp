#pragma once
// Convolution of long series by the fast Fourier transform, for sums whose
// rounding need not follow the superposition's order: the error estimates.
#include <span>
#include <vector>

namespace kesta {

// out[i] = Σ a[i - j] · b[j] over j = 0..i, for i = 0..n-1 (n = a.size() = b.size()).
// The rounding error is about 1e-15 · log2(n) · sqrt(Σ a²) · sqrt(Σ b²) at most.
std::vector<double> convolve(std::span<const double> a, std::span<const double> b);

// The same for several series b against one a, sharing a's transform: out[m] is
// a convolved with b[m].
std::vector<std::vector<double>> convolve_each(std::span<const double> a, const std::vector<std::vector<double>>& b);

}  // namespace kesta
