#include "cli/input/point_input.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace elprops::cli {
namespace {

bool AsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

ParsedDecimal ParseDecimal(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return {};
  // A copy with the decimal comma turned into a point: on the stack for
  // the usual short numbers, on the heap for long ones, which are read as
  // well ("0.1" followed by a hundred zeros is 0.1).
  char small[64];
  std::string large;
  char* buf = small;
  if (text.size() > sizeof small) {
    large.resize(text.size());
    buf = large.data();
  }
  std::size_t n = 0;
  bool separatorSeen = false;
  for (const char c : text) {
    char d = c;
    if (c == ',' || c == '.') {
      if (separatorSeen) return {0.0, NumberError::NotANumber};
      separatorSeen = true;
      d = '.';
    } else if (!(AsciiDigit(c) || c == '+' || c == '-' || c == 'e' || c == 'E')) {
      // from_chars would also take "inf", "nan" and hexadecimal digits.
      return {0.0, NumberError::NotANumber};
    }
    buf[n++] = d;
  }
  const char* first = buf;
  const char* last = buf + n;
  bool negative = false;
  if (*first == '+' || *first == '-') {
    negative = *first == '-';
    ++first;
  }
  if (first == last || !(AsciiDigit(*first) || *first == '.')) return {0.0, NumberError::NotANumber};
  double value = 0.0;
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (end != last) return {0.0, NumberError::NotANumber};
  if (ec == std::errc::result_out_of_range) {
    // Too large for a double, or so small that it is 0 anyway.
    const char* e = std::find_if(first, last, [](char c) { return c == 'e' || c == 'E'; });
    const bool tiny = std::all_of(first, e, [](char c) { return c == '0' || c == '.'; }) ||
                      (e != last && e + 1 != last && e[1] == '-');
    if (!tiny) return {0.0, NumberError::OutOfRange};
    return {negative ? -0.0 : 0.0};
  }
  if (ec != std::errc()) return {0.0, NumberError::NotANumber};
  return {negative ? -value : value};
}

ParsedNumber RoundToSingle(ParsedDecimal decimal) {
  if (!decimal.ok()) return {0.0f, decimal.error};
  const double value = decimal.value;
  // Rounded to the nearest single; from halfway above the largest single on
  // it does not fit.
  constexpr double kOverflow = static_cast<double>(FLT_MAX) + 0x1p103;
  if (std::fabs(value) >= kOverflow) return {0.0f, NumberError::OutOfRange};
  if (std::fabs(value) > static_cast<double>(FLT_MAX)) return {std::signbit(value) ? -FLT_MAX : FLT_MAX};
  return {static_cast<float>(value)};
}

ParsedNumber ParseSingle(std::string_view text) { return RoundToSingle(ParseDecimal(text)); }

}  // namespace elprops::cli
