#include "io/decimal_digits.hpp"

#include <array>
#include <bit>

namespace kesta {
namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr int kMostDigits = 17;
// 5^55 is the largest power of five below 2^128.
constexpr int kMostFives = 55;

constexpr std::array<Wide, kMostFives + 1> powers_of_five() {
  std::array<Wide, kMostFives + 1> p{};
  p[0] = 1;
  for (int k = 1; k <= kMostFives; ++k) p[static_cast<std::size_t>(k)] = p[static_cast<std::size_t>(k) - 1] * 5;
  return p;
}
constexpr auto kFives = powers_of_five();

constexpr std::array<std::uint64_t, kMostDigits + 2> powers_of_ten() {
  std::array<std::uint64_t, kMostDigits + 2> p{};
  p[0] = 1;
  for (std::size_t k = 1; k < p.size(); ++k) p[k] = p[k - 1] * 10;
  return p;
}
constexpr auto kTens = powers_of_ten();

// x * 10^s with x = m * 2^e, as a whole part and how the fraction left over
// compares with one half (-1 below, 0 equal, 1 above). The scaled value is
// n * 2^t / q with n = m * 5^s for s >= 0, else n = m and q = 5^-s.
struct Scaled {
  Wide whole = 0;
  int half = 0;
};

std::optional<Scaled> scale(std::uint64_t m, int e, int s) {
  if (s > kMostFives || -s > kMostFives) return std::nullopt;
  Wide n = m;
  Wide q = 1;
  if (s >= 0) {
    // m < 2^53 and 5^s < 2^75 keep the product within 128 bits.
    if (s > 32) return std::nullopt;
    n *= kFives[static_cast<std::size_t>(s)];
  } else {
    q = kFives[static_cast<std::size_t>(-s)];
  }
  const int t = e + s;
  Scaled out;
  if (t >= 0) {
    if (t >= 128 || (t > 0 && (n >> (128 - t)) != 0)) return std::nullopt;
    n <<= t;
  } else if (q == 1) {
    // Dividing by a power of two: the fraction is the bits shifted out.
    const int shift = -t;
    if (shift >= 127) return std::nullopt;
    const Wide rest = n & ((Wide{1} << shift) - 1);
    const Wide half = Wide{1} << (shift - 1);
    out.whole = n >> shift;
    out.half = rest < half ? -1 : (rest == half ? 0 : 1);
    return out;
  } else {
    if (-t >= 127 || (q >> (126 + t)) != 0) return std::nullopt;  // 2q must stay within 128 bits
    q <<= -t;
  }
  out.whole = n / q;
  const Wide twice_rest = (n % q) * 2;
  out.half = twice_rest < q ? -1 : (twice_rest == q ? 0 : 1);
  return out;
}

}  // namespace

std::optional<DecimalDigits> leading_digits(double x, int d) {
  if (d < 1 || d > kMostDigits || !(x > 0.0)) return std::nullopt;
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const int biased = static_cast<int>(bits >> 52);
  if (biased == 0 || biased == 0x7ff) return std::nullopt;  // subnormal, infinite or NaN
  const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int e = biased - 1075;  // x = m * 2^e
  // 2^(b-1) <= x < 2^b; the decimal exponent k (10^(k-1) <= x < 10^k) is
  // floor((b - 1) log10 2) + 1 or one more. 78913 / 2^18 is log10 2 to 6 digits,
  // exact in the floor for every double exponent.
  const int b = biased - 1022;
  int k = ((b - 1) * 78913 >> 18) + 1;
  auto scaled = scale(m, e, d - k);
  if (scaled && scaled->whole >= kTens[static_cast<std::size_t>(d)]) {
    ++k;
    scaled = scale(m, e, d - k);
  }
  if (!scaled || scaled->whole < kTens[static_cast<std::size_t>(d) - 1] ||
      scaled->whole >= kTens[static_cast<std::size_t>(d)])
    return std::nullopt;
  auto digits = static_cast<std::uint64_t>(scaled->whole);
  if (scaled->half > 0 || (scaled->half == 0 && (digits & 1) != 0)) ++digits;
  if (digits == kTens[static_cast<std::size_t>(d)]) {  // 9.99... rounded up to 10.0...
    digits = kTens[static_cast<std::size_t>(d) - 1];
    ++k;
  }
  return DecimalDigits{digits, k};
}

void put_digits(char* out, std::uint64_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

}  // namespace kesta
