#include "format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <utility>
#include <vector>

#include "text.h"

namespace elprops::report {

namespace {

// Below this count the exchange loops are cheaper than the checks that pick
// the fast path.
constexpr std::size_t kExchangeLimit = 64;

// keys[j] "less than" keys[i], where any comparison with a NaN counts as less.
bool ExchangeLess(float a, float b) { return !(a >= b); }

void ExchangeSort(std::span<float> keys, std::span<float> companion) {
  const std::size_t n = keys.size();
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i; j < n; ++j) {
      if (ExchangeLess(keys[j], keys[i])) {
        std::swap(keys[i], keys[j]);
        if (!companion.empty()) std::swap(companion[i], companion[j]);
      }
    }
  }
}

bool AnyNaN(std::span<const float> keys) {
  return std::any_of(keys.begin(), keys.end(), [](float v) { return std::isnan(v); });
}

// With pairwise distinct keys and no NaN the exchange sort ends in the one
// ascending order there is, each companion beside its own key; an ordinary
// sort gives the same result without the quadratic cost.
bool SortDistinctKeys(std::span<float> keys, std::span<float> companion) {
  if (AnyNaN(keys)) return false;
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  for (std::size_t m = 1; m < order.size(); ++m) {
    if (!(keys[order[m - 1]] < keys[order[m]])) return false;  // a tie: the exchange order matters
  }
  std::vector<float> sortedKeys(keys.size());
  std::vector<float> sortedCompanion(keys.size());
  for (std::size_t m = 0; m < order.size(); ++m) {
    sortedKeys[m] = keys[order[m]];
    sortedCompanion[m] = companion[order[m]];
  }
  std::copy(sortedKeys.begin(), sortedKeys.end(), keys.begin());
  std::copy(sortedCompanion.begin(), sortedCompanion.end(), companion.begin());
  return true;
}

std::string Blanks(std::size_t count) { return std::string(count, ' '); }

// The value in exponent form with `digits` digits after the separator:
// "1.234E+01", "-5.6E+05", "1E+01" for no digit.
std::string ExponentForm(float value, int digits, std::string_view decimalSeparator) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits);
  std::string text;
  for (const char* p = buffer; p != result.ptr; ++p) {
    if (*p == '.') {
      text += decimalSeparator;
    } else if (*p == 'e') {
      text += 'E';
    } else {
      text += *p;
    }
  }
  return text;
}

// A form of the value no wider than `cellWidth` characters.
std::string ShortForm(float value, std::size_t cellWidth, std::string_view decimalSeparator) {
  for (int digits = 7; digits >= 0; --digits) {
    std::string text = ExponentForm(value, digits, decimalSeparator);
    if (platform::CharCount(text) <= cellWidth) return text;
  }
  return std::string(cellWidth, '#');
}

}  // namespace

void SortWithCompanion(std::span<float> keys, std::span<float> companion) {
  if (companion.size() < keys.size()) {
    throw std::invalid_argument("SortWithCompanion: the companion is shorter than the keys");
  }
  companion = companion.first(keys.size());
  if (keys.size() > kExchangeLimit && SortDistinctKeys(keys, companion)) return;
  ExchangeSort(keys, companion);
}

void SortAscending(std::span<float> keys) {
  // Without NaN and without zeros (+0 and -0 compare equal but differ) equal
  // keys cannot be told apart, so any ascending sort gives the same result.
  if (keys.size() > kExchangeLimit && !AnyNaN(keys) &&
      std::none_of(keys.begin(), keys.end(), [](float v) { return v == 0.0f; })) {
    std::sort(keys.begin(), keys.end());
    return;
  }
  ExchangeSort(keys, {});
}

std::string FormatFixed(float value, std::size_t width, int decimals, std::string_view decimalSeparator) {
  std::string text = platform::FormatPicture(value, decimals, decimalSeparator);
  const std::size_t length = platform::CharCount(text);
  if (length < width) text.insert(0, Blanks(width - length));
  return text;
}

std::string CenterInField(std::string_view text, std::size_t width) {
  std::string content = platform::Trim(text);
  const std::size_t length = platform::CharCount(content);
  if (length >= width) return content + "|";
  const std::size_t before = (width - length) / 2;
  const std::size_t after = width - length - before;
  return Blanks(before) + content + Blanks(after) + "|";
}

std::string FormatCell(float value, std::size_t fieldWidth, int decimals, std::size_t cellWidth,
                       std::string_view decimalSeparator) {
  if (std::isfinite(value)) {
    std::string text = platform::Trim(FormatFixed(value, fieldWidth, decimals, decimalSeparator));
    if (platform::CharCount(text) <= cellWidth) return CenterInField(text, cellWidth);
  }
  return CenterInField(ShortForm(value, cellWidth, decimalSeparator), cellWidth);
}

int StampMonthIndex(int month) { return std::clamp(month, 1, 12); }

std::string FormatPrintStamp(const platform::LocalDateTime& when, const platform::LocaleOps& locale) {
  std::string year = std::to_string(when.year < 0 ? -when.year : when.year);
  if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
  std::string stamp = locale.ShortDateDay(when.day);
  stamp += MonthNames[static_cast<std::size_t>(StampMonthIndex(when.month))];
  stamp += year;
  stamp += "г.";
  stamp += Blanks(8);
  stamp += locale.TimeText(when);
  return stamp;
}

}  // namespace elprops::report
