// The warning texts of the computed points of an array call, each distinct
// text kept once.
#pragma once

#include <elprops/substance.hpp>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace elprops::python {

// Points with warnings: the flat index of each and the id of its text, each
// distinct text once, as elprops-cli writes it (the messages joined by "; ").
struct SharedTexts {
  std::vector<std::pair<std::size_t, std::uint32_t>> points;
  std::vector<std::string> table;
};

// The warnings of `count` points (substance, mass fraction, temperature:
// each input one element for every point or one per point) as compute()
// gives them: the warnings of the place and of computed values that cannot
// be true; none for a point that fails. The library computes the points
// again for them: it works out the values' warnings only from the values.
// Runs without the interpreter.
SharedTexts WarningsOfPoints(std::span<const elprops::substance_id> substances, std::span<const float> fractions,
                             std::span<const float> temperatures, std::size_t count);

}  // namespace elprops::python
