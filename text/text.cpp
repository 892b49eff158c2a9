#include "text/text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace elprops::text {

namespace {

bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The characters of the text that are read: blanks, tabs and line feeds
// wherever they stand are dropped.
std::string Significant(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (!IsIgnored(c)) out.push_back(c);
  }
  return out;
}

// Hexadecimal digits (no leading zeros, at least one) as the nearest double.
double HexDigitsToDouble(std::string_view hexDigits) {
  double value = 0.0;
  auto res = std::from_chars(hexDigits.data(), hexDigits.data() + hexDigits.size(), value, std::chars_format::hex);
  if (res.ec == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
  if (res.ec != std::errc()) return 0.0;
  return value;
}

// "&H1F" or "&O17" after the prefix: the integer of the digits that fit.
double ReadPrefixedInteger(std::string_view digits, bool octal) {
  // The digits as a string of bits, then regrouped by four for the
  // correctly rounded hexadecimal conversion.
  std::string hex;
  if (octal) {
    std::string bits;
    for (char c : digits) {
      if (c < '0' || c > '7') break;
      int d = c - '0';
      bits.push_back((d & 4) ? '1' : '0');
      bits.push_back((d & 2) ? '1' : '0');
      bits.push_back((d & 1) ? '1' : '0');
    }
    while (bits.size() % 4 != 0) bits.insert(bits.begin(), '0');
    static constexpr std::string_view kHex = "0123456789abcdef";
    for (std::size_t i = 0; i < bits.size(); i += 4) {
      std::size_t nibble = 0;
      for (std::size_t k = 0; k < 4; ++k) nibble = nibble * 2 + static_cast<std::size_t>(bits[i + k] - '0');
      hex.push_back(kHex[nibble]);
    }
  } else {
    for (char c : digits) {
      if (HexValue(c) < 0) break;
      hex.push_back(c);
    }
  }
  std::size_t first = hex.find_first_not_of('0');
  if (first == std::string::npos) return 0.0;
  return HexDigitsToDouble(std::string_view(hex).substr(first));
}

// A decimal exponent read with saturation, so that any count of digits is
// safe; magnitudes this large already decide the result.
constexpr std::int64_t kExponentCap = 1'000'000'000;

}  // namespace

double ReadLeadingNumber(std::string_view text) {
  const std::string s = Significant(text);
  std::size_t i = 0;
  const std::size_t n = s.size();

  if (n >= 2 && s[0] == '&') {
    const char kind = s[1];
    if (kind == 'H' || kind == 'h') return ReadPrefixedInteger(std::string_view(s).substr(2), false);
    if (kind == 'O' || kind == 'o') return ReadPrefixedInteger(std::string_view(s).substr(2), true);
    return 0.0;
  }

  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  std::string digits;  // integer and fraction digits, without the point
  std::int64_t fractionDigits = 0;
  bool sawPoint = false;
  bool sawDigit = false;
  for (; i < n; ++i) {
    const char c = s[i];
    if (IsDigit(c)) {
      sawDigit = true;
      if (digits.empty() && c == '0') {
        if (sawPoint) ++fractionDigits;  // a leading zero of the fraction still scales
        continue;
      }
      digits.push_back(c);
      if (sawPoint) ++fractionDigits;
    } else if (c == '.' && !sawPoint) {
      sawPoint = true;
    } else {
      break;
    }
  }
  if (!sawDigit) return 0.0;

  std::int64_t exponent = 0;
  if (i < n && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < n && (s[j] == '+' || s[j] == '-')) {
      expNegative = s[j] == '-';
      ++j;
    }
    for (; j < n && IsDigit(s[j]); ++j) {
      if (exponent < kExponentCap) exponent = exponent * 10 + (s[j] - '0');
    }
    if (expNegative) exponent = -exponent;
  }

  if (digits.empty()) return 0.0;  // only zeros: +0 whatever the sign

  // Drop trailing zeros of the digit string; they only shift the scale.
  std::int64_t scale = exponent - fractionDigits;
  while (digits.size() > 1 && digits.back() == '0') {
    digits.pop_back();
    ++scale;
  }
  // Decimal exponent of the leading digit.
  const std::int64_t lead = scale + static_cast<std::int64_t>(digits.size()) - 1;
  const double sign = negative ? -1.0 : 1.0;
  if (lead > 310) return sign * std::numeric_limits<double>::infinity();
  if (lead < -330) return 0.0;

  std::string number = digits;
  number.push_back('e');
  number += std::to_string(scale);
  double value = 0.0;
  auto res = std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::scientific);
  if (res.ec == std::errc::result_out_of_range) {
    return lead > 0 ? sign * std::numeric_limits<double>::infinity() : 0.0;
  }
  if (res.ec != std::errc() || value == 0.0) return 0.0;
  return negative ? -value : value;
}

float NearestSingle(double value) {
  constexpr double kMax = static_cast<double>(std::numeric_limits<float>::max());
  // Half a unit in the last place of the largest single: from there on the
  // nearest single is an infinity (the tie goes to the even infinity).
  constexpr double kHalfUlp = 0x1p103;
  if (std::isfinite(value) && std::fabs(value) > kMax) {
    const float inf = std::numeric_limits<float>::infinity();
    if (std::fabs(value) >= kMax + kHalfUlp) return value < 0 ? -inf : inf;
    return value < 0 ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();
  }
  return static_cast<float>(value);
}

namespace {

// The exact decimal value of |value| in fixed notation: every digit of the
// binary value (a single has at most 149 fraction digits).
std::string ExactFixed(float magnitude) {
  std::array<char, 400> buf{};
  auto res =
      std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<double>(magnitude), std::chars_format::fixed, 149);
  return std::string(buf.data(), res.ptr);
}

// Adds one to the last digit of a digit string; returns true when the carry
// runs out of the front ("999" becomes "000" and true).
bool IncrementDigits(std::string& digits) {
  for (std::size_t k = digits.size(); k-- > 0;) {
    if (digits[k] == '9') {
      digits[k] = '0';
    } else {
      ++digits[k];
      return false;
    }
  }
  return true;
}

std::string NonFinite(float value) {
  if (std::isnan(value)) return "NaN";
  return value < 0 ? "-Inf" : "Inf";
}

// |value| rounded to `decimals` places, half away from zero: the integer
// digits and the fraction digits.
void RoundFixed(float value, int decimals, std::string& whole, std::string& fraction) {
  const std::string exact = ExactFixed(std::fabs(value));
  const std::size_t point = exact.find('.');
  whole = exact.substr(0, point);
  const std::string allFraction = point == std::string::npos ? std::string() : exact.substr(point + 1);
  const auto keep = static_cast<std::size_t>(decimals);
  fraction = allFraction.substr(0, std::min(keep, allFraction.size()));
  fraction.resize(keep, '0');
  const bool roundUp = allFraction.size() > keep && allFraction[keep] >= '5';
  if (roundUp) {
    std::string all = whole + fraction;
    if (IncrementDigits(all)) all.insert(all.begin(), '1');
    whole = all.substr(0, all.size() - keep);
    fraction = all.substr(all.size() - keep);
  }
}

bool AllZero(std::string_view digits) { return digits.find_first_not_of('0') == std::string_view::npos; }

}  // namespace

std::string GeneralNumberForm(float value) {
  if (!std::isfinite(value)) {
    std::string text = NonFinite(value);
    return text[0] == '-' ? text : " " + text;
  }
  if (value == 0.0f) return " 0";

  // The exact digits in scientific form, then brought to 7 significant
  // digits, half away from zero.
  std::array<char, 200> buf{};
  auto res = std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<double>(std::fabs(value)),
                           std::chars_format::scientific, 120);
  const std::string_view sci(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
  const std::size_t e = sci.find('e');
  std::string mantissa;
  for (char c : sci.substr(0, e)) {
    if (c != '.') mantissa.push_back(c);
  }
  int exponent = 0;
  {
    std::string_view expText = sci.substr(e + 1);
    if (!expText.empty() && expText[0] == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
  }
  std::string digits = mantissa.substr(0, 7);
  if (mantissa.size() > 7 && mantissa[7] >= '5') {
    if (IncrementDigits(digits)) {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exponent;
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string text = value < 0 ? "-" : " ";
  if (exponent >= -5 && exponent <= 6) {
    if (exponent < 0) {
      text += '.';
      text.append(static_cast<std::size_t>(-exponent - 1), '0');
      text += digits;
    } else {
      const auto wholeCount = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= wholeCount) {
        text += digits;
        text.append(wholeCount - digits.size(), '0');
      } else {
        text += digits.substr(0, wholeCount);
        text += '.';
        text += digits.substr(wholeCount);
      }
    }
  } else {
    text += digits[0];
    if (digits.size() > 1) {
      text += '.';
      text += digits.substr(1);
    }
    text += exponent < 0 ? "E-" : "E+";
    std::string expDigits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (expDigits.size() < 2) expDigits.insert(expDigits.begin(), '0');
    text += expDigits;
  }
  return text;
}

std::string FormatPicture(float value, int decimals, std::string_view decimalSeparator) {
  if (!std::isfinite(value)) return NonFinite(value);
  if (decimals < 0) decimals = 0;
  std::string whole;
  std::string fraction;
  RoundFixed(value, decimals, whole, fraction);
  std::string text;
  if (value < 0 && !(AllZero(whole) && AllZero(fraction))) text += '-';
  text += whole;
  text += decimalSeparator;
  text += fraction;
  return text;
}

std::string FormatWhole(float value) {
  if (!std::isfinite(value)) return NonFinite(value);
  std::string whole;
  std::string fraction;
  RoundFixed(value, 0, whole, fraction);
  if (value < 0 && !AllZero(whole)) return "-" + whole;
  return whole;
}

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::size_t CharCount(std::string_view utf8) {
  std::size_t count = 0;
  for (char c : utf8) {
    // Every byte but a continuation byte (10xxxxxx) starts a character.
    if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) ++count;
  }
  return count;
}

}  // namespace elprops::text
