#include "cli/input/point_input.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace elprops::cli {
namespace {

bool AsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a plain decimal (digits with at most one separator at `point`,
// its first and last digits other than 0 at `first` and `last`, all three
// the text's size when there are none) is what shortest_chars writes for
// the single it reads as.
bool IsShortest(std::string_view text, std::size_t point, std::size_t first, std::size_t last) {
  const std::size_t n = text.size();
  if (first == n) return text == "0";
  // A point (not a comma); at most seven digits before it, no zero leading
  // them, none after its last digit.
  if (point == 0 || point > 7 || (point < n && (text[point] != '.' || last != n - 1)) ||
      (point > 1 && text[0] == '0')) {
    return false;
  }
  // At most six significant digits (any six-digit decimal reads back from
  // the single nearest it), and no longer than with an exponent of two
  // digits.
  const std::size_t significant = last - first + 1 - (first < point && point < last ? 1 : 0);
  return significant <= 6 && n <= significant + (significant > 1 ? 1 : 0) + 4;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

// Its digits as a whole number below 2^53 and the power of ten under them
// are both exact doubles, so one division rounds the quotient correctly, to
// the double from_chars gives.
std::optional<PlainNumber> PlainDecimal(std::string_view text) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const std::size_t n = text.size();
  if (n == 0 || n > 16 || !AsciiDigit(text.front())) return std::nullopt;
  std::uint64_t digits = 0;
  std::size_t point = n;
  std::size_t first = n;  // the first and last digits that are not 0
  std::size_t last = n;
  for (std::size_t k = 0; k < n; ++k) {
    const char c = text[k];
    if (AsciiDigit(c)) {
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      if (c != '0') {
        if (first == n) first = k;
        last = k;
      }
    } else if ((c == '.' || c == ',') && point == n) {
      point = k;
    } else {
      return std::nullopt;
    }
  }
  const std::size_t count = n - (point == n ? 0 : 1);
  if (count == 0 || count > 15) return std::nullopt;
  const std::size_t decimals = point == n ? 0 : n - point - 1;
  return PlainNumber{static_cast<double>(digits) / kPowersOfTen[decimals], IsShortest(text, point, first, last)};
}

ParsedDecimal ParseDecimal(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return {};
  if (const std::optional<PlainNumber> plain = PlainDecimal(text)) return {plain->value};
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
