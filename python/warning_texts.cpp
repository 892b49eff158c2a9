#include "python/warning_texts.h"

#include "python/arrays.h"

#include <elprops/validity.hpp>

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>

namespace elprops::python {

namespace {

// The library checks the points in pieces of this many; its texts are
// reused from piece to piece.
constexpr std::size_t kPiece = 4096;

// The id of each distinct text. A grid runs over the substances faster than
// over the temperatures, so a point's text is first compared with the last
// one of its substance before it is looked up.
class TextIds {
 public:
  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

  explicit TextIds(std::vector<std::string>& table) : table_(table) { last_.fill(kNone); }

  std::uint32_t Of(elprops::substance_id substance, const std::string& text) {
    std::uint32_t& last = last_[static_cast<std::size_t>(elprops::index_of(substance))];
    if (last != kNone && table_[last] == text) return last;
    const auto [at, fresh] = ids_.try_emplace(text, static_cast<std::uint32_t>(table_.size()));
    if (fresh) table_.push_back(text);
    last = at->second;
    return last;
  }

 private:
  std::vector<std::string>& table_;
  std::unordered_map<std::string, std::uint32_t> ids_;
  std::array<std::uint32_t, 256> last_{};
};

}  // namespace

void TextCollector::Add(std::size_t point, std::string_view text) {
  // Failed points often share the message of the one before.
  if (!texts_.points.empty() && texts_.table[texts_.points.back().second] == text) {
    texts_.points.emplace_back(point, texts_.points.back().second);
    return;
  }
  auto at = ids_.find(text);
  if (at == ids_.end()) {
    at = ids_.emplace(std::string(text), static_cast<std::uint32_t>(texts_.table.size())).first;
    texts_.table.emplace_back(text);
  }
  texts_.points.emplace_back(point, at->second);
}

SharedTexts WarningsOfPoints(std::span<const elprops::substance_id> substances, std::span<const float> fractions,
                             std::span<const float> temperatures, const elprops::const_property_columns& values,
                             std::size_t count, std::span<const std::size_t> failed) {
  SharedTexts shared;
  TextIds ids(shared.table);
  std::vector<std::string> texts(std::min(count, kPiece));
  auto nextFailed = failed.begin();
  for (std::size_t begin = 0; begin < count; begin += kPiece) {
    const std::size_t n = std::min(kPiece, count - begin);
    const elprops::const_property_columns computed{
        Part(values.density, begin, n), Part(values.viscosity, begin, n), Part(values.surface_tension, begin, n),
        Part(values.heat_capacity, begin, n), Part(values.thermal_conductivity, begin, n)};
    elprops::check_validity_many(Part(substances, begin, n), Part(fractions, begin, n), Part(temperatures, begin, n),
                                 computed, std::span(texts).first(n));
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t i = begin + k;
      // A failed point has no values: NaN would read as values that cannot be true.
      if (nextFailed != failed.end() && *nextFailed == i) {
        ++nextFailed;
        continue;
      }
      if (!texts[k].empty()) shared.points.emplace_back(i, ids.Of(At(substances, i), texts[k]));
    }
  }
  return shared;
}

}  // namespace elprops::python
