#include "report/accuracy_warning.hpp"

#include <algorithm>
#include <cstdio>

namespace kesta {
namespace {

constexpr const char* PREFIX = "kesta: warning: ";

// What snprintf wrote into a buffer of `size` bytes: cut to the buffer when
// it ran short, nothing when it failed.
std::string written(const char* text, int length, std::size_t size) {
  if (length < 0) return "";
  return std::string(text, std::min(static_cast<std::size_t>(length), size - 1));
}

// One or two numbers in a printf pattern of the caller's.
std::string format(const char* pattern, double a) {
  char text[64];
  return written(text, std::snprintf(text, sizeof text, pattern, a), sizeof text);
}

std::string format(const char* pattern, double a, double b) {
  char text[96];
  return written(text, std::snprintf(text, sizeof text, pattern, a, b), sizeof text);
}

std::string time_range(const Results& r, int first, int last) {
  const auto time = [&r](int k) { return r.time[static_cast<std::size_t>(k)]; };
  return first == last ? format("at time %g", time(first)) : format("from time %g to %g", time(first), time(last));
}

std::string column_lines(const char* name, const char* unit, const ColumnCheck& c, const Results& r, int steps) {
  std::string lines;
  const int digits_off = c.off - c.noise;
  if (digits_off > 0)
    lines += PREFIX + std::string(name) + ": " + std::to_string(digits_off) + " of " + std::to_string(steps) +
             " values " + time_range(r, c.first_off, c.last_off) + " err by up to " + format("%.1E ", c.largest) +
             unit + format(" (%.1f units of the last printed digit)\n", c.largest_units);
  if (c.noise > 0)
    lines += PREFIX + std::string(name) + ": " + std::to_string(c.noise) + " of " + std::to_string(steps) + " values " +
             time_range(r, c.first_noise, c.last_noise) + " are below the inversion's error floor (" +
             format("%.1E ", c.floor) + unit + "): their digits and sign are noise\n";
  return lines;
}

}  // namespace

std::string accuracy_warning(const Results& results, const PrintedAccuracy& a, const NsAdvice& advice) {
  if (a.all_digits_correct()) return "";
  std::string text = PREFIX + ("with NS = " + std::to_string(a.NS)) +
                     " the inversion's error exceeds half a unit of the last printed digit\n";
  text += column_lines("head", "L", a.head, results, a.steps);
  text += column_lines("seepage", "L**2/T", a.seepage, results, a.steps);
  const std::string range = std::to_string(NS_SEARCH_FIRST) + " to " + std::to_string(NS_SEARCH_LAST);
  if (advice.values_off == 0)
    text += PREFIX + ("NS = " + std::to_string(advice.NS)) + " prints correct digits for this deck (searched " + range +
            ")";
  else
    text += PREFIX + ("no NS from " + range) +
            " prints every digit correctly for this deck; NS = " + std::to_string(advice.NS) + " comes nearest (" +
            std::to_string(advice.values_off) + (advice.values_off == 1 ? " value off)" : " values off)");
  // The remedy that needs no search: the contour inversion is exact to the printed digits.
  return text + "; --inversion contour prints every digit\n";
}

std::string contour_accuracy_warning(const Results& results, const PrintedAccuracy& a) {
  if (a.all_digits_correct()) return "";
  return PREFIX + std::string("the contour inversion's error exceeds half a unit of the last printed digit\n") +
         column_lines("head", "L", a.head, results, a.steps) +
         column_lines("seepage", "L**2/T", a.seepage, results, a.steps);
}

}  // namespace kesta
