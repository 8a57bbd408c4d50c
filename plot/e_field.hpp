#pragma once
// Reading back one number that the plot file printed with E editing.
#include <optional>
#include <string_view>

namespace kesta::plot {

// The value of one whitespace-free token: "0.47950E+00", "-.5642E+00", the
// letterless three-digit exponent form "0.100-119" and "0.25000+151", plain
// "0.5", and the words NaN, Infinity and -Infinity. Empty when the token is
// none of these. A magnitude past the largest double reads as infinite, one
// below the smallest subnormal as a signed zero.
std::optional<double> read_e_field(std::string_view token);

}  // namespace kesta::plot
