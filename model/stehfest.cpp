#include "model/stehfest.hpp"

namespace kesta {
namespace {

// i^n by repeated squaring; exact for every base and power the weights need.
double power_by_squaring(double base, int n) {
  double result = 1.0;
  while (n > 0) {
    if (n % 2 == 1) result = result * base;
    base = base * base;
    n = n / 2;
  }
  return result;
}

}  // namespace

void stehfest_weights(int NS, std::array<double, NSMAX + 1>& V) {
  if (NS > NSMAX) NS = NSMAX;
  if (NS <= 0) return;
  const int NH = NS / 2;

  // FACT[k] = k!; FACT[0] = 1 is there only for H(1) when NH = 1 (NS = 2 or 3).
  std::array<double, NSMAX + 1> FACT{};
  FACT[0] = 1.0;
  FACT[1] = 1.0;
  for (int k = 2; k <= NS; ++k) FACT[k] = static_cast<double>(k) * FACT[k - 1];

  std::array<double, NSMAX / 2 + 1> H{};
  if (NH >= 1) {
    H[1] = 2.0 / FACT[NH - 1];
    for (int i = 2; i <= NH; ++i) {
      const double numerator = power_by_squaring(static_cast<double>(i), NH) * FACT[2 * i];
      if (i < NH)
        H[i] = numerator / (FACT[NH - i] * FACT[i] * FACT[i - 1]);
      else
        H[i] = numerator / (FACT[i] * FACT[i - 1]);  // (NH - i)! = 0! left out
    }
  }

  // +1 when NH is odd, -1 when even; alternates from one weight to the next.
  const int r = NH - 2 * (NH / 2);
  double s = static_cast<double>(2 * r - 1);
  for (int i = 1; i <= NS; ++i) {
    double sum = 0.0;
    const int K1 = (i + 1) / 2;
    const int K2 = i <= NH ? i : NH;
    for (int k = K1; k <= K2; ++k) {
      if (2 * k == i)
        sum = sum + H[k] / FACT[i - k];
      else if (k == i)
        sum = sum + H[k] / FACT[2 * k - i];
      else
        sum = sum + H[k] / (FACT[i - k] * FACT[2 * k - i]);
    }
    V[i] = s * sum;
    s = -s;
  }
}

}  // namespace kesta
