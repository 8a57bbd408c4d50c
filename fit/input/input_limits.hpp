#pragma once
// What kesta-fit takes as input, bounded: a fit file and its records are short
// text written by people and spreadsheets, and their numbers must square and
// sum in double precision. Anything beyond these is refused with a message
// (exit status 2) before it is read whole or computed with.
#include <cstddef>

namespace kesta::fit_detail {

// The most bytes of a fit file: a few dozen lines that name the deck, the
// records and the parameters.
inline constexpr std::size_t kLargestFitFile = std::size_t{1} << 20;

// The most bytes of one observation record: about two million lines of
// time,value,weight, far more than a fit can use.
inline constexpr std::size_t kLargestRecord = std::size_t{64} << 20;

// The most bytes of one line of either, before its line end.
inline constexpr std::size_t kLongestLine = std::size_t{64} << 10;

// The largest magnitude of an observed value, a weight, a weight times a value,
// and of a parameter's initial value or bound: squares of weighted values up
// to it, summed over millions of observations and multiplied by derivatives,
// stay far inside double precision (about 1.8e308); no measurement comes near it.
inline constexpr double kLargestMagnitude = 1e100;

// The smallest positive weight and positive (log-scaled) parameter value: the
// squares of smaller ones vanish in double precision.
inline constexpr double kSmallestMagnitude = 1e-100;

}  // namespace kesta::fit_detail
