// The five properties of a solution at one point, or of many points.
//
// Results are single-precision floats in SI units, the same bits the window
// and elprops-cli show. A point outside the window's admissible ranges is an
// error, not a result: for a salt the mass fraction must be above 0 and
// below 1, for water it must be 0; the temperature must be above 0 degrees
// Celsius (to be exact, above 1e-20) and below the substance's limit (270
// degrees Celsius, 200 for water): 0 degrees and below are not covered. Every function may be called from several
// threads at once.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/expected.hpp>
#include <elprops/export.hpp>
#include <elprops/substance.hpp>
#include <elprops/units.hpp>
#include <elprops/validity.hpp>

namespace elprops {

struct properties {
  float density = 0.0f;               // kg/m³
  float viscosity = 0.0f;             // Pa·s
  float surface_tension = 0.0f;       // N/m
  float heat_capacity = 0.0f;         // J/(kg·K)
  float thermal_conductivity = 0.0f;  // W/(m·K)
};

// The value of one property of a set.
ELPROPS_API float property_value(const properties& values, property_kind property) noexcept;

// A computed point: its five properties, its concentration in the units
// that do not need a density of their own, and its warnings and notes.
struct point : properties {
  float mass_fraction = 0.0f;  // kg/kg, as the correlations took it (0 for water)
  double molality = 0.0;       // mol per kg of water
  double molarity = 0.0;       // mol per litre of solution, at this point's density
  // Above the solubility, above 100 °C, and notes (see check_validity).
  // They never change a value.
  std::vector<warning> warnings;
};

using result = expected<point>;

// One point: a substance, the mass fraction in kg/kg and the temperature in
// degrees Celsius. Errors come back in the result; only a failed allocation
// throws.
ELPROPS_API result compute(substance_id substance, float mass_fraction, float temperature_celsius);
inline result compute(const substance_info& substance, float mass_fraction, float temperature_celsius) {
  return compute(substance.id(), mass_fraction, temperature_celsius);
}
// One point with its concentration in any unit: the concentration is turned
// into the mass fraction first (see to_mass_fraction); a mass fraction is
// rounded to the nearest float.
ELPROPS_API result compute(substance_id substance, double concentration, float temperature_celsius,
                           concentration_unit unit);
// The same with the substance named as find_substance reads it.
ELPROPS_API result compute(std::string_view substance, double concentration, float temperature_celsius,
                           concentration_unit unit = concentration_unit::mass_fraction);

// The five properties of many points, one array each.
struct property_columns {
  std::span<float> density;
  std::span<float> viscosity;
  std::span<float> surface_tension;
  std::span<float> heat_capacity;
  std::span<float> thermal_conductivity;
};

// Many points at once, each with the same bits as compute() gives it.
//
// Point i takes substances[i], mass_fractions[i] and temperatures_celsius[i];
// an input of one element is used for every point. The point count n is the
// longest input's size; every input has n elements or one. Point i's
// properties go to results[i] (or to element i of each column), its error
// kind to errors[i] and, when messages is not empty, its message to
// messages[i] (empty for a computed point). A failed point's properties are
// quiet NaNs. Outputs must hold at least n elements. Returns the number of
// failed points. Throws std::invalid_argument when the sizes do not fit,
// before computing anything.
ELPROPS_API std::size_t compute_many(std::span<const substance_id> substances, std::span<const float> mass_fractions,
                                     std::span<const float> temperatures_celsius, std::span<properties> results,
                                     std::span<error_kind> errors, std::span<std::string> messages = {});
ELPROPS_API std::size_t compute_many(std::span<const substance_id> substances, std::span<const float> mass_fractions,
                                     std::span<const float> temperatures_celsius, const property_columns& results,
                                     std::span<error_kind> errors, std::span<std::string> messages = {});

// Where compute_many puts what it finds of each point. errors is required;
// every other output is filled when it is not empty (and must then hold a
// value per point). A failed point leaves NaN in its numbers and an empty
// warning text, except the mass fraction of a point whose correlations
// faulted: the one they were given.
struct point_outputs {
  std::span<properties> rows;  // the five properties as one record per point, or
  property_columns columns;    // as one column per property (either, both, or neither)
  std::span<error_kind> errors;
  std::span<std::string> messages;  // why a point failed; empty for a computed one
  std::span<float> mass_fractions;  // the mass fraction each point was computed at
  std::span<double> molalities;
  std::span<double> molarities;
  // The point's warnings and notes joined by "; ", as elprops-cli writes
  // them in its warning column; empty when there are none.
  std::span<std::string> warnings;
};

// Many points with their concentrations in any units (units[i], or one unit
// for every point), through the same evaluation as compute(). Returns the
// number of failed points; throws std::invalid_argument when the sizes do
// not fit.
ELPROPS_API std::size_t compute_many(std::span<const substance_id> substances, std::span<const double> concentrations,
                                     std::span<const float> temperatures_celsius,
                                     std::span<const concentration_unit> units, const point_outputs& outputs);

}  // namespace elprops
