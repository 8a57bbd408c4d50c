#include "io/record_editing.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <system_error>

#include "io/decimal_digits.hpp"

namespace kesta {
namespace {

// Right-justifies text in w columns, or fills them with asterisks when it does not fit.
void put_right_justified(char* field, std::string_view text, int w) {
  const auto width = static_cast<std::size_t>(w);
  if (text.size() > width) {
    std::memset(field, '*', width);
    return;
  }
  std::memset(field, ' ', width - text.size());
  std::memcpy(field + (width - text.size()), text.data(), text.size());
}

// The longest field a double needs beyond its d digits: sign, 0, point,
// letter, exponent sign and three exponent digits.
constexpr int kFieldExtra = 8;

}  // namespace

void put_text(char* field, std::string_view text, int w) {
  const auto width = static_cast<std::size_t>(w);
  if (text.size() >= width) {
    std::memcpy(field, text.data(), width);
    return;
  }
  std::memset(field, ' ', width - text.size());
  std::memcpy(field + (width - text.size()), text.data(), text.size());
}

void put_integer(char* field, long long value, int w) {
  char digits[24];
  const auto res = std::to_chars(digits, digits + sizeof digits, value);
  put_right_justified(field, std::string_view(digits, static_cast<std::size_t>(res.ptr - digits)), w);
}

void put_real(char* field, double value, int w, int d, char letter) {
  if (std::isnan(value)) return put_right_justified(field, "NaN", w);
  if (std::isinf(value)) return put_right_justified(field, value < 0 ? "-Infinity" : "Infinity", w);

  const bool negative = value < 0.0;  // a negative zero prints as zero
  // The d significant digits of the exact binary value, rounded to nearest, ties
  // to even, with the carry into the exponent. Integer arithmetic gives them for
  // the values a report holds; to_chars' scientific form "D.DDDe+XX" rounds the
  // same way for the rest. Room for the d digits, the point and the longest
  // exponent "e+308", so the conversion cannot run short of space whatever d is.
  std::string heap;
  char small[64];
  const auto room = static_cast<std::size_t>(d) + kFieldExtra;
  char* sci = room <= sizeof small ? small : (heap.resize(room), heap.data());
  char* digits_end = sci;
  int exponent = 0;
  const auto fast = value != 0.0 ? leading_digits(std::fabs(value), d) : std::nullopt;
  if (fast) {
    put_digits(sci, fast->digits, d);
    digits_end = sci + d;
    exponent = fast->exponent;
  } else if (value != 0.0) {
    const auto res = std::to_chars(sci, sci + room, std::fabs(value), std::chars_format::scientific, d - 1);
    char* e = static_cast<char*>(std::memchr(sci, 'e', static_cast<std::size_t>(res.ptr - sci)));
    // Drop the point: the d digits stand together.
    digits_end = sci;
    for (char* c = sci; c < e; ++c)
      if (*c != '.') *digits_end++ = *c;
    int k = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), res.ptr, k);
    exponent = k + 1;  // d.ddd x 10^k equals 0.dddd x 10^(k+1)
  } else {
    std::memset(sci, '0', static_cast<std::size_t>(d));
    digits_end = sci + d;
  }

  const int magnitude = exponent < 0 ? -exponent : exponent;
  const bool three_digits = magnitude > 99;
  const int exp_width = three_digits ? 3 : 2;
  const int minimum = d + 2 + exp_width + (three_digits ? 0 : 1) + (negative ? 1 : 0);
  if (w < minimum) {
    std::memset(field, '*', static_cast<std::size_t>(w));
    return;
  }
  const int leading_zero = w > minimum ? 1 : 0;
  const int length = minimum + leading_zero;
  std::memset(field, ' ', static_cast<std::size_t>(w - length));
  char* out = field + (w - length);
  if (negative) *out++ = '-';
  if (leading_zero) *out++ = '0';
  *out++ = '.';
  std::memcpy(out, sci, static_cast<std::size_t>(digits_end - sci));
  out += digits_end - sci;
  if (!three_digits) *out++ = letter;
  *out++ = exponent < 0 ? '-' : '+';
  if (three_digits) *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
}

std::string edit_text(std::string_view text, int w) {
  std::string field(static_cast<std::size_t>(w), ' ');
  put_text(field.data(), text, w);
  return field;
}

std::string edit_integer(long long value, int w) {
  std::string field(static_cast<std::size_t>(w), ' ');
  put_integer(field.data(), value, w);
  return field;
}

std::string edit_real(double value, int w, int d, char letter) {
  std::string field(static_cast<std::size_t>(w), ' ');
  put_real(field.data(), value, w, d, letter);
  return field;
}

}  // namespace kesta
