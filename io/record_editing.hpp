#pragma once
// Editing of one value into a fixed-width field of a printed record.
#include <string>
#include <string_view>

namespace kesta {

// Each put_ function writes exactly w characters at `field`; each edit_ function
// returns the same characters as a string.

// Aw: the text in w columns; a longer text is cut, a shorter one right-justified.
void put_text(char* field, std::string_view text, int w);
std::string edit_text(std::string_view text, int w);

// Iw: decimal, right-justified; w asterisks when it does not fit.
void put_integer(char* field, long long value, int w);
std::string edit_integer(long long value, int w);

// Dw.d and Ew.d: sign, optional leading 0, point, d digits correctly rounded
// (ties to even) and the exponent, with letter ('D' or 'E') when it has two
// digits and without letter when it has three. Asterisks when w is too small;
// NaN, Infinity and -Infinity right-justified for values that are not finite.
void put_real(char* field, double value, int w, int d, char letter);
std::string edit_real(double value, int w, int d, char letter);

}  // namespace kesta
