#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// Number text that is the same on every target: the exact decimal value of a double, rounded
// half to even as printf and std::to_chars do, without depending on the library's floating
// formatting (which some targets lack). Non-finite values are the caller's business: they
// format as "0" here.

// Longest text FixedTo writes for a precision: sign, 309 integer digits, point, fraction.
constexpr size_t FixedTextMax(int precision) {
    return 312 + static_cast<size_t>(precision < 0 ? 0 : precision);
}

// "%.*f" of v into out (which holds FixedTextMax(precision) chars); returns the end.
char* FixedTo(char* out, double v, int precision);
// "%.*f" of v.
std::string FixedText(double v, int precision);
// "%.*e" of v (at least two exponent digits, "1.50e+03").
std::string SciText(double v, int precision);
// The shortest text that reads back as v, in the form std::to_chars(v) chooses: fixed unless
// scientific is shorter, integers of 2^53 and more in full.
std::string ShortestText(double v);
// The shortest text that reads back as v, always fixed, as std::to_chars(v, fixed).
std::string ShortestFixedText(double v);

// The value of "[-]digits[.digits][(e|E)[+|-]digits]" rounded to nearest; 0 when the text is
// not of that form. Independent of the locale's decimal point.
double ParseDecimal(std::string_view text);

}  // namespace velmora
