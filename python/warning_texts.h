// The warning texts of the computed points of an array call, each distinct
// text kept once.
#pragma once

#include <elprops/substance.hpp>
#include <elprops/validity.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace elprops::python {

// Points with warnings: the flat index of each and the id of its text, each
// distinct text once, as elprops-cli writes it (the messages joined by "; ").
struct SharedTexts {
  std::vector<std::pair<std::size_t, std::uint32_t>> points;
  std::vector<std::string> table;
};

// Collects the texts of points in ascending order, each distinct text kept
// once: what a text array costs is then the texts present, however many
// points share one and however long the longest is.
class TextCollector {
 public:
  void Add(std::size_t point, std::string_view text);
  [[nodiscard]] bool Empty() const { return texts_.points.empty(); }
  SharedTexts Take() { return std::move(texts_); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
  };
  SharedTexts texts_;
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> ids_;
};

// The warnings of `count` points (substance, mass fraction, temperature:
// each input one element for every point or one per point) as compute()
// gives them, from the library's check_validity_many on the points and
// their computed values, leaving out the failed points (ascending). Runs
// without the interpreter.
SharedTexts WarningsOfPoints(std::span<const elprops::substance_id> substances, std::span<const float> fractions,
                             std::span<const float> temperatures, const elprops::const_property_columns& values,
                             std::size_t count, std::span<const std::size_t> failed);

}  // namespace elprops::python
