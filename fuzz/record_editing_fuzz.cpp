// Dw.d, Ew.d and Iw editing for every bit pattern of a double and any width.
//
// Input (missing bytes read as zero): bytes 0-7 the bits of the double, byte 8
// the width w (1..120), byte 9 the digits d (1..100), byte 10 the letter (D or E),
// bytes 11-18 an integer for Iw, byte 19 its width (1..30).
//
// The expected field is built here from the C library's own correctly rounded
// conversion, printf("%.*e"), and compared with the field in full: exactly w
// columns, asterisks exactly when the value does not fit, otherwise the digits
// of the value rounded to d places, ties to even.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "io/record_editing.hpp"

namespace {

std::string right_justified(const std::string& text, int w) {
  if (static_cast<int>(text.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

std::string expected_real(double value, int w, int d, char letter) {
  if (std::isnan(value)) return right_justified("NaN", w);
  if (std::isinf(value)) return right_justified(value < 0 ? "-Infinity" : "Infinity", w);
  const bool negative = value < 0;
  std::string digits(static_cast<std::size_t>(d), '0');
  int exponent = 0;
  if (value != 0) {
    std::vector<char> buf(static_cast<std::size_t>(d) + 32);
    std::snprintf(buf.data(), buf.size(), "%.*e", d - 1, std::fabs(value));
    const char* e = std::strchr(buf.data(), 'e');
    digits.clear();
    for (const char* p = buf.data(); p != e; ++p)
      if (*p != '.') digits += *p;
    exponent = std::atoi(e + 1) + 1;  // d.ddd x 10^k is 0.dddd x 10^(k+1)
  }
  const bool three = std::abs(exponent) > 99;
  char exponent_text[8];
  std::snprintf(exponent_text, sizeof exponent_text, three ? "%c%03d" : "%c%02d", exponent < 0 ? '-' : '+',
                std::abs(exponent));
  const std::string tail = (three ? std::string() : std::string(1, letter)) + exponent_text;
  const int minimum = d + 2 + (three ? 3 : 2) + (three ? 0 : 1) + (negative ? 1 : 0);
  if (w < minimum) return std::string(static_cast<std::size_t>(w), '*');
  std::string field = negative ? "-" : "";
  if (w > minimum) field += '0';
  field += "." + digits + tail;
  return right_justified(field, w);
}

std::string expected_integer(long long value, int w) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld", value);
  return right_justified(buf, w);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t bytes[20] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);

  double value;
  std::memcpy(&value, bytes, sizeof value);
  const int w = 1 + bytes[8] % 120;
  const int d = 1 + bytes[9] % 100;
  const char letter = bytes[10] % 2 ? 'E' : 'D';
  const std::string real_field = kesta::edit_real(value, w, d, letter);
  if (real_field.size() != static_cast<std::size_t>(w)) std::abort();
  if (real_field != expected_real(value, w, d, letter)) std::abort();

  long long integer;
  std::memcpy(&integer, bytes + 11, sizeof integer);
  const int iw = 1 + bytes[19] % 30;
  const std::string integer_field = kesta::edit_integer(integer, iw);
  if (integer_field.size() != static_cast<std::size_t>(iw)) std::abort();
  if (integer_field != expected_integer(integer, iw)) std::abort();
  return 0;
}
