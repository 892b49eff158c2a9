// One point of the command-line tool: a substance, a concentration and a
// temperature, read and checked the way the window's input reads and
// checks them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace elprops::cli {

enum class NumberError : std::uint8_t {
  None,
  NotANumber,  // text that is not a decimal number
  OutOfRange,  // a number beyond the single-precision range
};

struct ParsedNumber {
  float value = 0.0f;
  NumberError error = NumberError::None;
  [[nodiscard]] bool ok() const { return error == NumberError::None; }
};

struct ParsedDecimal {
  double value = 0.0;
  NumberError error = NumberError::None;
  [[nodiscard]] bool ok() const { return error == NumberError::None; }
};

// A decimal number typed with a point or a comma as a double (see
// ParseSingle).
ParsedDecimal ParseDecimal(std::string_view text);

// The double rounded to the nearest single, or OutOfRange beyond the
// single range.
ParsedNumber RoundToSingle(ParsedDecimal decimal);

// A decimal number typed with a point or a comma ("0,5", " 0.5 ", "1e-3",
// "+20") as a single: the text is read as a double and the double rounded
// to the nearest single, as the window's input does. Blanks around the
// number are ignored; empty text is 0, as an empty input box is.
ParsedNumber ParseSingle(std::string_view text);

// The substance named by its index ("1" to "19") or by its formula, in any
// case ("nacl", "(NH4)2SO4").
std::optional<std::uint8_t> FindSubstance(std::string_view text);

// Why a point would be refused by the window's input, or nothing when it is
// admissible: for salts 0 < concentration < 1, for water a concentration of
// 0; the temperature strictly between 1e-20 and 270 (200 for water). A value
// on a limit is refused.
std::optional<std::string> InadmissibleReason(std::uint8_t substance, float concentration, float temperature);

// The shortest decimal text that reads back to exactly the same single
// ("0.1", "1070.638", "1e-20"), always with a point. Writes into `out`
// (at least 32 characters) and returns the end.
char* WriteShortest(char* out, float value);
std::string ShortestText(float value);

// Blanks and tabs removed from both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace elprops::cli
