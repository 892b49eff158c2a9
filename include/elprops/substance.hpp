// The nineteen substances elprops knows: eighteen aqueous electrolytes and
// water, in the order of the window's list.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include <elprops/export.hpp>

namespace elprops {

inline constexpr int substance_count = 19;
// The index of water; every other index is a salt.
inline constexpr int water_index = 19;

struct substance_info {
  int index = 0;                  // 1 to 19, the position in the window's list
  std::string_view formula;       // "NaCl", "(NH4)2SO4", "H2O"
  std::string_view english_name;  // "sodium chloride"
  std::string_view russian_name;  // "НАТРИЯ ХЛОРИД", UTF-8, as the window's list shows it
  float molar_mass = 0.0f;        // g/mol
  // Temperatures must lie strictly between 1e-20 and this limit, in degrees
  // Celsius: 270 for the salts, 200 for water.
  float temperature_limit = 0.0f;

  [[nodiscard]] bool is_water() const noexcept { return index == water_index; }
};

// All nineteen in index order: substances()[i - 1].index == i. The texts
// are static and stay valid for the life of the program.
ELPROPS_API std::span<const substance_info> substances() noexcept;

// The substance named by its index ("17"), its formula in any case
// ("NaCl", "nacl", "(nh4)2so4"), its English name in any case
// ("sodium chloride") or its Russian name as listed ("НАТРИЯ ХЛОРИД").
// Blanks around the text are ignored. Nothing when no substance matches.
ELPROPS_API std::optional<substance_info> find_substance(std::string_view name) noexcept;

}  // namespace elprops
