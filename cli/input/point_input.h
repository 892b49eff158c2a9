// One point of the command-line tool: a substance, a concentration and a
// temperature, read and checked the way the window's input reads and
// checks them.
#pragma once

#include <cstdint>
#include <optional>
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

// A plain decimal of at most fifteen digits ("12.34", "0,0815", "7", no
// blanks) as ParseDecimal reads it, on a quick path, and whether the text
// is exactly what elprops::shortest_chars writes for the single it reads as
// ("20.37", "0.1234", "7": a point, at most six significant digits, no
// zeros that shortest text drops, short enough to need no exponent), so
// that it can be echoed as it stands; nothing for any other text.
struct PlainNumber {
  double value;
  bool shortest;
};
std::optional<PlainNumber> PlainDecimal(std::string_view text);

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

// Blanks and tabs removed from both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace elprops::cli
