// Concentration in the units chemists use, and the inverse question: which
// mass fraction gives a property this value?
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/export.hpp>

namespace elprops {

enum class concentration_unit : std::uint8_t {
  mass_fraction,       // kg of salt per kg of solution
  mass_percent,        // the mass fraction times 100
  molality,            // mol of salt per kg of water
  molarity,            // mol of salt per litre of solution
  mass_concentration,  // g of salt per litre of solution
};

// "fraction", "percent" (or "%"), "molality", "molarity", "g/L".
ELPROPS_API std::optional<concentration_unit> parse_concentration_unit(std::string_view text) noexcept;

// The standard molar mass of a substance (1 to 19) in g/mol, from its
// formula and the IUPAC standard atomic weights: 58.44 for NaCl.
ELPROPS_API double standard_molar_mass(int substance);

// A concentration converted to the mass fraction that compute() takes.
struct conversion {
  bool ok = false;
  float mass_fraction = 0.0f;
  // For molarity and g/L, which depend on the solution's own density: the
  // quantity computed back from mass_fraction, to show how close it came.
  double achieved = 0.0;
  std::string error;  // why there is none: a negative or unreachable target
};

// `value` in `unit` for a salt (1 to 18) at a temperature in degrees
// Celsius. Mass percent and molality convert directly
// (w = m·M / (1000 + m·M)); molarity and g/L are solved on the model's
// density (c = w·ρ(w, T) / M).
ELPROPS_API conversion to_mass_fraction(int substance, concentration_unit unit, double value,
                                        float temperature_celsius);

// The molality (mol/kg of water) of a mass fraction, and the molarity
// (mol/L) of a mass fraction at a density in kg/m³.
ELPROPS_API double molality(int substance, float mass_fraction);
ELPROPS_API double molarity(int substance, float mass_fraction, float density);

enum class property_kind : std::uint8_t { density, viscosity, surface_tension, heat_capacity, thermal_conductivity };

// "density", "viscosity", "surface_tension", "heat_capacity",
// "thermal_conductivity" (a hyphen may stand for the underscore).
ELPROPS_API std::optional<property_kind> parse_property(std::string_view text) noexcept;

// One mass fraction at which the property equals the value.
struct concentration_root {
  // The float whose computed property is nearest to the value; of a run of
  // neighbouring floats that compute the same property, the one with the
  // fewest significant digits.
  float mass_fraction = 0.0f;
  double achieved = 0.0;  // the property computed at mass_fraction
  // The neighbouring floats that straddle the value, and which of them was
  // chosen (exact: a float gives the value itself).
  float below = 0.0f, above = 0.0f;
  enum class side : std::uint8_t { exact, lower, upper } chosen = side::exact;
};

struct concentration_solution {
  // Every admissible mass fraction that gives the value, ascending: one where
  // the property is monotonic in the concentration, more where it turns.
  std::vector<concentration_root> roots;
  // The range of the property over the admissible mass fractions at that
  // temperature.
  double reachable_min = 0.0, reachable_max = 0.0;
  std::string error;  // set when there is no root, with the reachable range
};

ELPROPS_API concentration_solution solve_concentration(int substance, float temperature_celsius, property_kind property,
                                                       double value);

}  // namespace elprops
