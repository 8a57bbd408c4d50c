#pragma once
// The leading decimal digits of a double, correctly rounded to nearest with
// ties to even, by exact integer arithmetic: a report edits hundreds of
// thousands of values, and a general conversion costs several times more.
#include <cstdint>
#include <optional>

namespace kesta {

struct DecimalDigits {
  std::uint64_t digits = 0;  // exactly d digits: 10^(d-1) <= digits < 10^d
  int exponent = 0;          // the value is 0.digits x 10^exponent
};

// The d leading digits (1 <= d <= 17) of a positive, finite, normal x, or
// nullopt when x lies too far from 1 for 128-bit integers to hold it exactly
// scaled; the caller then converts it another way.
std::optional<DecimalDigits> leading_digits(double x, int d);

// Writes the digits of `value` as exactly `count` characters, with leading zeros.
void put_digits(char* out, std::uint64_t value, int count);

}  // namespace kesta
