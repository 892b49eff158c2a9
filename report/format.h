// The routines that turn the run log into fixed-width table text: the two
// exchange sorts, fixed-decimal numbers, centred cells and the date stamp.
// They keep no state and touch no shared variable. Widths count characters
// (code points of the UTF-8 text), not bytes.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace elprops::report {

// Sorts keys ascending in place and permutes companion exactly like keys.
// The order of equal keys is the one the exchange sequence gives: for i from
// the first element, for j from i itself to the last, keys[j] is exchanged
// with keys[i] when it is strictly less; a comparison with a NaN counts as
// "less". Keys (2, 2, 1) with companions (a, b, c) end as (1, 2, 2) with
// (c, b, a). The element count is keys.size(); companion must have at least
// as many elements (std::invalid_argument otherwise), later ones are left
// alone.
void SortWithCompanion(std::span<float> keys, std::span<float> companion);

// The same exchange sort without a companion.
void SortAscending(std::span<float> keys);

// `value` with exactly `decimals` decimals after `decimalSeparator` (the
// separator ends the text for 0 decimals), blanks in front up to `width`
// characters; a longer text comes back whole.
std::string FormatFixed(float value, std::size_t width, int decimals, std::string_view decimalSeparator);

// The text without leading and trailing blanks, centred in a cell of
// `width` characters (an odd extra blank goes to the right) and closed by
// "|". A trimmed text longer than the cell is returned whole with the "|".
std::string CenterInField(std::string_view text, std::size_t width);

// CenterInField appended to `row`.
void AppendCentered(std::string& row, std::string_view text, std::size_t width);

// A table cell: FormatFixed centred by CenterInField. A value whose text is
// too wide for the cell is written in a shorter exponent form that fits
// ("1.234E+01", the mantissa shortened as far as needed), so that every row
// keeps its length and its bars.
std::string FormatCell(float value, std::size_t fieldWidth, int decimals, std::size_t cellWidth,
                       std::string_view decimalSeparator);

// FormatCell appended to `row`, for rows built in a buffer that is reused.
void AppendCell(std::string& row, float value, std::size_t fieldWidth, int decimals, std::size_t cellWidth,
                std::string_view decimalSeparator);

// The genitive month names, each with one blank before and after, indexed
// 1 to 12 (element 0 is empty).
inline constexpr std::array<std::string_view, 13> MonthNames{
    "",       " января ",  " февраля ",  " марта ",   " апреля ", " мая ",    " июня ",
    " июля ", " августа ", " сентября ", " октября ", " ноября ", " декабря "};

// The index into MonthNames for a month number: above 12 gives 12, below 1
// gives 1.
int StampMonthIndex(int month);

// The line above the first table: the day as the user's short date format
// writes it, the month name, the four-digit year and "г.", eight blanks and
// the time in the user's time format, e.g. "08 декабря 2026г.        14:05:09".
std::string FormatPrintStamp(const platform::LocalDateTime& when, const platform::LocaleOps& locale);

}  // namespace elprops::report
