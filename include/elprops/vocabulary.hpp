// The names of what elprops computes and of the concentration units, kept
// in one table each: the command line, the Python module, the plots and the
// documentation all read them from here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include <elprops/export.hpp>

namespace elprops {

enum class property_kind : std::uint8_t { density, viscosity, surface_tension, heat_capacity, thermal_conductivity };
inline constexpr int property_count = 5;

struct property_info {
  property_kind kind = property_kind::density;
  std::string_view name;             // "surface_tension": field, column and Python names
  std::string_view words;            // "surface tension": in running text
  std::string_view symbol;           // "σ"
  std::string_view unit;             // "N/m", "J/(kg·K)" (UTF-8)
  std::string_view ascii_unit;       // "N/m", "J/(kg*K)": where only ASCII will do
  std::string_view russian_caption;  // "ПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ", as the window names it
  std::string_view russian_unit;     // "Н/м", "Дж/(кг·К)"
};

// The five in property_kind order.
ELPROPS_API std::span<const property_info> property_table() noexcept;
ELPROPS_API const property_info& describe(property_kind property) noexcept;

// A property by its name: "surface_tension" (a hyphen may stand for the
// underscore, as in "surface-tension").
ELPROPS_API std::optional<property_kind> parse_property(std::string_view text) noexcept;

enum class concentration_unit : std::uint8_t {
  mass_fraction,       // kg of salt per kg of solution
  mass_percent,        // the mass fraction times 100
  molality,            // mol of salt per kg of water
  molarity,            // mol of salt per litre of solution
  mass_concentration,  // g of salt per litre of solution
};
inline constexpr int concentration_unit_count = 5;

struct unit_info {
  concentration_unit unit = concentration_unit::mass_fraction;
  std::string_view name;            // "fraction", "percent", "molality", "molarity", "g/L": as options take them
  std::string_view symbol;          // "kg/kg", "%", "mol/kg", "mol/L", "g/L"
  std::string_view words;           // "mass fraction", "mass percent", ...: in running text
  std::string_view quantity;        // the quantity's letter: "w", "w", "b", "c", "ρ"
  std::string_view russian_symbol;  // "кг/кг", "%", "моль/кг", "моль/л", "г/л"
  bool needs_density = false;       // molarity and g/L are solved on the solution's density
};

// The five in concentration_unit order.
ELPROPS_API std::span<const unit_info> unit_table() noexcept;
ELPROPS_API const unit_info& describe(concentration_unit unit) noexcept;

// "fraction", "percent" (or "%"), "molality", "molarity", "g/L" (and the
// other spellings elprops-cli has always taken).
ELPROPS_API std::optional<concentration_unit> parse_concentration_unit(std::string_view text) noexcept;

}  // namespace elprops
