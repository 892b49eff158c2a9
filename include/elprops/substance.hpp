// The nineteen substances elprops knows: eighteen aqueous electrolytes and
// water, in the order of the window's list.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include <elprops/expected.hpp>
#include <elprops/export.hpp>

namespace elprops {

inline constexpr int substance_count = 19;
// The index of water; every other index is a salt.
inline constexpr int water_index = 19;

// A substance by its place in the window's list, 1 to 19. A plain number
// does not become one by accident: write substance_id{17}, or look the
// substance up with find_substance.
enum class substance_id : std::uint8_t {};

inline constexpr substance_id water{static_cast<std::uint8_t>(water_index)};

constexpr int index_of(substance_id id) noexcept { return static_cast<int>(id); }
constexpr bool is_known(substance_id id) noexcept { return index_of(id) >= 1 && index_of(id) <= substance_count; }

struct substance_info {
  int index = 0;                  // 1 to 19, the position in the window's list
  std::string_view formula;       // "NaCl", "(NH4)2SO4", "H2O"
  std::string_view english_name;  // "sodium chloride"
  std::string_view russian_name;  // "НАТРИЯ ХЛОРИД", UTF-8, as the window's list shows it
  // The window's list entry as it stands, without the blanks it is indented
  // by: the same as russian_name, but "АММОНИЯ ХЛОРИД " keeps its trailing
  // blank.
  std::string_view list_caption;
  float molar_mass = 0.0f;  // g/mol
  // Temperatures must be above 0 degrees Celsius (to be exact, above
  // 1e-20) and below this limit: 270 for the salts, 200 for water.
  float temperature_limit = 0.0f;

  [[nodiscard]] substance_id id() const noexcept { return substance_id{static_cast<std::uint8_t>(index)}; }
  [[nodiscard]] bool is_water() const noexcept { return index == water_index; }
};

// All nineteen in index order: substances()[i - 1].index == i. The texts
// are static and stay valid for the life of the program.
ELPROPS_API std::span<const substance_info> substances() noexcept;

// The substance named by its index ("17"), its formula in any case
// ("NaCl", "nacl", "(nh4)2so4"), its English name in any case
// ("sodium chloride") or its Russian name as listed ("НАТРИЯ ХЛОРИД").
// Blanks around the text are ignored. Otherwise an inadmissible_input
// failure whose message is unknown_substance_message(name).
ELPROPS_API expected<substance_info> find_substance(std::string_view name);
// The substance of an id; a failure for an id outside 1 to 19.
ELPROPS_API expected<substance_info> find_substance(substance_id id);

// "unknown substance "<name>": give its index 1 to 19, its formula (NaCl) or
// its name (sodium chloride)", the one wording every front end uses.
ELPROPS_API std::string unknown_substance_message(std::string_view name);

}  // namespace elprops
