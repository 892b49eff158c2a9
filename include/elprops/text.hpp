// Numbers as elprops writes them: the shortest text that reads back to the
// same value, with a decimal point, in any locale.
#pragma once

#include <charconv>
#include <string>

#include <elprops/export.hpp>

namespace elprops {

// The most characters shortest_chars writes.
inline constexpr int shortest_chars_max = 32;

// Writes the shortest decimal text that reads back to `value` ("0.1",
// "1070.6378", "1e-20") at `out`, which must have room for
// shortest_chars_max characters (any of which it may use, also beyond the
// text's end); returns the end of the text.
ELPROPS_API char* shortest_chars(char* out, float value) noexcept;
ELPROPS_API std::string shortest_text(float value);

// A double computed from floats (a molality, a root's achieved value) with
// nine significant digits, as many as a float carries: "3.4215", not
// "3.4215000000000002".
ELPROPS_API char* nine_digit_chars(char* out, double value) noexcept;
ELPROPS_API std::string nine_digit_text(double value);

}  // namespace elprops
