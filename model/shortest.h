// The shortest decimal text of a float that reads back to it, written as
// std::to_chars writes it, at a fraction of its cost.
#pragma once

namespace elprops::model {

// The most characters ShortestChars writes ("-1.17549435e-38").
inline constexpr int kShortestCharsMax = 32;

// Writes the text at `out`, which has room for kShortestCharsMax
// characters (any of which it may use, also beyond the text's end), and
// returns its end.
char* ShortestChars(char* out, float value) noexcept;

}  // namespace elprops::model
