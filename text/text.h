// Text and number conversions that do not depend on the C locale: the
// decimal separator, where one is used, is an argument.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace elprops::text {

// The leading number of a text, read the way typed input is read: blanks,
// tabs and line feeds are ignored wherever they stand; then an optional
// sign, digits with at most one "." and an optional exponent introduced by
// E or D (either case) with optional sign and digits. Reading stops at the
// first character that does not fit; no number at the start gives 0. "&H"
// and "&O" introduce a hexadecimal or an octal integer.
// The result is the double nearest to the decimal (or integer) read; a
// magnitude beyond the double range gives an infinity, one below it 0.
double ReadLeadingNumber(std::string_view text);

// The single nearest to a double, as storing a typed value keeps it: values
// beyond the single range become an infinity of their sign.
float NearestSingle(double value);

// The general number form of a single: at most 7 significant digits, no
// trailing zeros of the fraction, "." as the separator, one leading blank
// for zero and positive values or a minus sign, no zero before the point of
// values between -1 and 1 (" .1"), exponent form for very large and very
// small magnitudes (" 1E-06", " 1.5E+07"). The digits are the value's exact
// binary value brought to 7 significant digits; fixed notation is used for
// decimal exponents -5 to 6 (" .00001" up to " 9999999"). A value that is
// zero prints " 0" whatever its sign; infinities print " Inf" and "-Inf",
// a NaN " NaN".
std::string GeneralNumberForm(float value);

// Picture formatting with the pattern "0." followed by `decimals` zeros:
// at least one digit before the separator, exactly `decimals` after it,
// rounded to the nearest, a minus sign for negative values, no grouping.
// With 0 decimals the separator ends the text ("4182,"). The rounding is
// done on the exact binary value of the single; an exact half goes away
// from zero ("0.5" with 0 decimals gives "1."). A value that rounds to zero
// has no minus sign. Infinities give "Inf" and "-Inf", a NaN "NaN".
std::string FormatPicture(float value, int decimals, std::string_view decimalSeparator);

// Picture formatting with the pattern "0": a whole number, no separator,
// rounded as FormatPicture rounds.
std::string FormatWhole(float value);

// Removes leading and trailing blanks.
std::string Trim(std::string_view text);

// Number of characters (Unicode code points) of a UTF-8 text.
std::size_t CharCount(std::string_view utf8);

}  // namespace elprops::text
