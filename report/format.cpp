#include "report/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "text/text.h"

namespace elprops::report {

namespace {

// The exchange sort, for i from the first element and j from i to the last,
// exchanging keys[i] and keys[j] when keys[j] is "less" (strictly less, or
// either of them a NaN), leaves an order that is computed here directly
// instead of by comparing every pair.
//
// Pass i carries a key along the chain of the successive keys that are less
// than the one carried so far; each key of the chain moves to the place of
// the next one and the last is left at place i. A NaN is less than anything
// and anything is less than a NaN, so a pass that meets a NaN takes it on,
// leaves it one place further right and goes on with the key that stood
// there. The NaNs thus keep their distance from the place being filled and
// cut the keys into segments that never mix. Each pass leaves at place i the least key of
// the last segment, or the last NaN once that segment is used up; the
// result is the last segment ascending, the last NaN, the segment before it
// ascending, and so on down to the first segment. A segment that is not the
// last meanwhile passes its least key on to its own end, once a pass.
//
// Within a segment only the order of equal keys is left to find. Of the g
// keys equal to some v, a pass moves at most one: the first of them, when no
// smaller key comes before it, goes to the place of the first smaller key,
// past the other equal keys before that place. The smaller keys are used up
// in the order of their places, and the c equal keys that lie before the
// k-th smaller key when its turn comes are the ones that lay before it at
// the start. So every smaller key rotates the first c equal keys left by
// one, with c never decreasing. The passes of a segment that is not the last
// act like as many smaller keys after all of its keys. Grouped by c, the
// equal keys go through "rotate the first t left by s[t]" for t = 2 to g,
// with s[t] the count of smaller keys that have exactly t equal keys before
// them (modulo t). Undoing these rotations from the last gives the final
// place of each key at O(log g) apiece.

// A key and its place before sorting. Indices are 32 bits wide where the
// count allows, to halve the memory of long runs.
template <typename Index>
struct Element {
  float key;
  Index place;
};

template <typename Index>
bool KeyThenPlace(const Element<Index>& a, const Element<Index>& b) {
  return a.key < b.key || (!(b.key < a.key) && a.place < b.place);
}

// Marks on the places 0 to size - 1: how many marks lie before a place, and
// where the mark of a given rank (counted from 0) lies.
template <typename Index>
class MarkTree {
 public:
  MarkTree(std::size_t size, bool allMarked) : tree_(size + 1, Index{0}) {
    if (allMarked) {
      for (std::size_t i = 1; i <= size; ++i) tree_[i] = static_cast<Index>(LowBit(i));
    }
  }

  void Mark(std::size_t place) {
    for (std::size_t i = place + 1; i < tree_.size(); i += LowBit(i)) ++tree_[i];
  }

  void Unmark(std::size_t place) {
    for (std::size_t i = place + 1; i < tree_.size(); i += LowBit(i)) --tree_[i];
  }

  [[nodiscard]] std::size_t CountBefore(std::size_t place) const {
    std::size_t count = 0;
    for (std::size_t i = place; i > 0; i -= LowBit(i)) count += tree_[i];
    return count;
  }

  [[nodiscard]] std::size_t FindRank(std::size_t rank) const {
    std::size_t step = 1;
    while (step * 2 < tree_.size()) step *= 2;
    std::size_t place = 0;
    for (; step > 0; step /= 2) {
      if (place + step < tree_.size() && tree_[place + step] <= rank) {
        place += step;
        rank -= tree_[place];
      }
    }
    return place;
  }

 private:
  static std::size_t LowBit(std::size_t i) { return i & (~i + 1); }

  std::vector<Index> tree_;
};

// Puts the equal keys of `group` (in the order of their places) where the
// rotations "first t left by shift[t - 1]", for t = 1 to g in turn, leave
// them. Going back from the end: before the rotation of the first t the
// element that joined last (the t-th) sat at the end of those t, so its final
// place is found among the places still free, counted from where the first
// of them ended up.
template <typename Index>
void ReorderEqualKeys(std::span<Element<Index>> group, std::span<const Index> shift,
                      std::vector<Element<Index>>& scratch) {
  const std::size_t g = group.size();
  scratch.assign(group.begin(), group.end());
  MarkTree<Index> free(g, true);
  std::size_t start = 0;  // rank among the free places of the first of the t
  for (std::size_t t = g; t >= 1; --t) {
    const std::size_t rank = (start + t - 1 - shift[t - 1]) % t;
    const std::size_t place = free.FindRank(rank);
    group[place] = scratch[t - 1];
    free.Unmark(place);
    if (t > 1) start = rank % (t - 1);
  }
}

// Sorts the keys of one segment (given in the order of their places, which
// run from `first` on) into the order the exchange passes leave them in;
// `passesBefore` is the number of passes the segment goes through before it
// becomes the last one.
template <typename Index>
void OrderSegment(std::span<Element<Index>> segment, std::size_t first, std::size_t passesBefore) {
  std::sort(segment.begin(), segment.end(), KeyThenPlace<Index>);
  const std::size_t size = segment.size();
  auto groupEnd = [&](std::size_t begin) {
    std::size_t end = begin + 1;
    while (end < size && !(segment[begin].key < segment[end].key)) ++end;
    return end;
  };

  // Only equal keys can move; the smaller keys before them are counted as
  // long as a later group of equal keys needs the counts.
  std::size_t lastTie = 0;
  bool anyTie = false;
  for (std::size_t m = 1; m < size; ++m) {
    if (!(segment[m - 1].key < segment[m].key)) {
      lastTie = m;
      anyTie = true;
    }
  }
  if (!anyTie) return;
  std::optional<MarkTree<Index>> smaller;
  std::vector<Index> shift;
  std::vector<Element<Index>> scratch;
  for (std::size_t begin = 0; begin < size;) {
    const std::size_t end = groupEnd(begin);
    const std::size_t g = end - begin;
    if (g >= 2 && (begin > 0 || passesBefore > 0)) {
      // The smaller keys are exactly the `begin` elements sorted before.
      auto smallerBefore = [&](std::size_t m) {
        return m < end ? (begin > 0 ? smaller->CountBefore(segment[m].place - first) : 0) : begin;
      };
      shift.assign(g, Index{0});
      bool moves = false;
      std::size_t previous = smallerBefore(begin);
      for (std::size_t t = 1; t <= g; ++t) {
        const std::size_t next = smallerBefore(begin + t);
        std::size_t count = next - previous;
        if (t == g) count += passesBefore;
        shift[t - 1] = static_cast<Index>(count % t);
        moves = moves || shift[t - 1] != 0;
        previous = next;
      }
      if (moves) ReorderEqualKeys<Index>(segment.subspan(begin, g), shift, scratch);
    }
    if (end <= lastTie) {
      if (!smaller) smaller.emplace(size, false);
      for (std::size_t m = begin; m < end; ++m) smaller->Mark(segment[m].place - first);
    }
    begin = end;
  }
}

// The keys with their original places, in the order the exchange passes
// leave them in.
template <typename Index>
std::vector<Element<Index>> ExchangeOrder(std::span<const float> keys) {
  const std::size_t n = keys.size();
  std::vector<Element<Index>> order(n);
  std::size_t first = 0;
  for (std::size_t place = 0; place <= n; ++place) {
    if (place < n && !std::isnan(keys[place])) continue;
    // A segment runs from `first` up to the NaN at `place` (or the end); it
    // goes through n - place passes before it becomes the last, and ends up
    // after the n - place keys that the later segments and NaNs give.
    const std::size_t passesBefore = n - place;
    const std::span<Element<Index>> segment(order.data() + passesBefore, place - first);
    for (std::size_t m = first; m < place; ++m) segment[m - first] = {keys[m], static_cast<Index>(m)};
    OrderSegment<Index>(segment, first, passesBefore);
    if (place < n) order[n - 1 - place] = {keys[place], static_cast<Index>(place)};
    first = place + 1;
  }
  return order;
}

template <typename Index>
void ApplyExchangeOrder(std::span<float> keys, std::span<float> companion) {
  const std::vector<Element<Index>> order = ExchangeOrder<Index>(keys);
  const std::vector<float> companions(companion.begin(), companion.end());
  for (std::size_t m = 0; m < order.size(); ++m) {
    keys[m] = order[m].key;
    if (!companions.empty()) companion[m] = companions[order[m].place];
  }
}

// The exchange order for keys and companion (empty for none).
void ExchangeSort(std::span<float> keys, std::span<float> companion) {
  if (keys.size() < 2) return;
  if (keys.size() <= std::numeric_limits<std::uint32_t>::max()) {
    ApplyExchangeOrder<std::uint32_t>(keys, companion);
  } else {
    ApplyExchangeOrder<std::size_t>(keys, companion);
  }
}

bool AnyNaN(std::span<const float> keys) {
  return std::any_of(keys.begin(), keys.end(), [](float v) { return std::isnan(v); });
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Picture formatting, with the digits text::FormatPicture gives. Up to
// 12 decimals the single times the power of ten is exact in a double (24
// significant bits times at most 28 for the power of five); below 2^53 its
// whole part and the half that decides the rounding (away from zero) are
// read off directly, without the exact decimal expansion of the value.
void AppendPicture(std::string& text, float value, int decimals, std::string_view decimalSeparator) {
  static constexpr std::array<double, 13> kPowersOfTen{1e0, 1e1, 1e2, 1e3,  1e4,  1e5, 1e6,
                                                       1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
  if (std::isfinite(value) && decimals >= 0 && static_cast<std::size_t>(decimals) < kPowersOfTen.size()) {
    const auto places = static_cast<std::size_t>(decimals);
    const double scaled = std::fabs(static_cast<double>(value)) * kPowersOfTen[places];
    if (scaled < 0x1p53) {
      const double whole = std::floor(scaled);
      auto units = static_cast<std::uint64_t>(whole);
      if (scaled - whole >= 0.5) ++units;
      char buffer[24];
      const char* end = std::to_chars(buffer, buffer + sizeof buffer, units).ptr;
      const std::string_view digits(buffer, static_cast<std::size_t>(end - buffer));
      if (value < 0.0f && units != 0) text += '-';
      if (digits.size() > places) {
        text += digits.substr(0, digits.size() - places);
        text += decimalSeparator;
        text += digits.substr(digits.size() - places);
      } else {
        text += '0';
        text += decimalSeparator;
        text.append(places - digits.size(), '0');
        text += digits;
      }
      return;
    }
  }
  text += text::FormatPicture(value, decimals, decimalSeparator);
}

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
    if (text::CharCount(text) <= cellWidth) return text;
  }
  return std::string(cellWidth, '#');
}

}  // namespace

void SortWithCompanion(std::span<float> keys, std::span<float> companion) {
  if (companion.size() < keys.size()) {
    throw std::invalid_argument("SortWithCompanion: the companion is shorter than the keys");
  }
  ExchangeSort(keys, companion.first(keys.size()));
}

void SortAscending(std::span<float> keys) {
  // Without NaN and without zeros (+0 and -0 compare equal but differ) equal
  // keys cannot be told apart, so any ascending sort gives the same result.
  if (!AnyNaN(keys) && std::none_of(keys.begin(), keys.end(), [](float v) { return v == 0.0f; })) {
    std::sort(keys.begin(), keys.end());
    return;
  }
  ExchangeSort(keys, {});
}

std::string FormatFixed(float value, std::size_t width, int decimals, std::string_view decimalSeparator) {
  std::string text;
  AppendPicture(text, value, decimals, decimalSeparator);
  const std::size_t length = text::CharCount(text);
  if (length < width) text.insert(0, width - length, ' ');
  return text;
}

void AppendCentered(std::string& row, std::string_view text, std::size_t width) {
  const std::string_view content = TrimBlanks(text);
  const std::size_t length = text::CharCount(content);
  if (length < width) {
    const std::size_t before = (width - length) / 2;
    row.append(before, ' ');
    row += content;
    row.append(width - length - before, ' ');
  } else {
    row += content;
  }
  row += '|';
}

std::string CenterInField(std::string_view text, std::size_t width) {
  std::string cell;
  AppendCentered(cell, text, width);
  return cell;
}

void AppendCell(std::string& row, float value, std::size_t fieldWidth, int decimals, std::size_t cellWidth,
                std::string_view decimalSeparator) {
  if (std::isfinite(value)) {
    const std::string text = FormatFixed(value, fieldWidth, decimals, decimalSeparator);
    const std::string_view trimmed = TrimBlanks(text);
    if (text::CharCount(trimmed) <= cellWidth) {
      AppendCentered(row, trimmed, cellWidth);
      return;
    }
  }
  AppendCentered(row, ShortForm(value, cellWidth, decimalSeparator), cellWidth);
}

std::string FormatCell(float value, std::size_t fieldWidth, int decimals, std::size_t cellWidth,
                       std::string_view decimalSeparator) {
  std::string cell;
  AppendCell(cell, value, fieldWidth, decimals, cellWidth, decimalSeparator);
  return cell;
}

int StampMonthIndex(int month) { return std::clamp(month, 1, 12); }

std::string FormatPrintStamp(const platform::LocalDateTime& when, const platform::LocaleOps& locale) {
  std::string year = std::to_string(when.year < 0 ? -when.year : when.year);
  if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
  std::string stamp = locale.ShortDateDay(when.day);
  stamp += MonthNames[static_cast<std::size_t>(StampMonthIndex(when.month))];
  stamp += year;
  stamp += "г.";
  stamp.append(8, ' ');
  stamp += locale.TimeText(when);
  return stamp;
}

}  // namespace elprops::report
