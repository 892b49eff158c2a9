// Quantities derived from the five properties, as heat-transfer calculations
// use them: kinematic viscosity, thermal diffusivity, the Prandtl number,
// specific volume, volumetric heat capacity, the thermal expansion
// coefficient and the heat taken up between two temperatures. They come from
// elprops's own values at the point (no data of their own), in double; the
// five properties themselves are unchanged.
//
// A quantity is one of the five or a derived one: every function that takes
// a quantity_kind (the solves, the tables) takes either.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <elprops/compute.hpp>
#include <elprops/expected.hpp>
#include <elprops/export.hpp>
#include <elprops/substance.hpp>
#include <elprops/units.hpp>
#include <elprops/vocabulary.hpp>

namespace elprops {

enum class quantity_kind : std::uint8_t {
  density,
  viscosity,
  surface_tension,
  heat_capacity,
  thermal_conductivity,
  kinematic_viscosity,       // ν = μ/ρ, m²/s
  thermal_diffusivity,       // a = λ/(ρ·c_p), m²/s
  prandtl_number,            // Pr = μ·c_p/λ, dimensionless
  specific_volume,           // v = 1/ρ, m³/kg
  volumetric_heat_capacity,  // ρ·c_p, J/(m³·K)
  thermal_expansion,         // β = −(1/ρ)(∂ρ/∂T) at constant composition, 1/K
  heat_taken_up,             // Δh = ∫c_p dT from a reference temperature to the point's, J/kg
};
inline constexpr int quantity_count = 12;
inline constexpr int derived_count = quantity_count - property_count;

struct quantity_info {
  quantity_kind kind = quantity_kind::density;
  std::string_view name;             // "prandtl_number": field, column and Python names
  std::string_view words;            // "Prandtl number": in running text
  std::string_view symbol;           // "Pr"
  std::string_view unit;             // "m²/s", "" for a number without unit (UTF-8)
  std::string_view ascii_unit;       // "m2/s"
  std::string_view formula;          // "Pr = μ·c_p/λ"; empty for the five
  std::string_view russian_caption;  // "ЧИСЛО ПРАНДТЛЯ"
  std::string_view russian_unit;     // "м²/с"
};

// The five as property_table() gives them, then the seven derived ones, in
// quantity_kind order.
ELPROPS_API std::span<const quantity_info> quantity_table() noexcept;
ELPROPS_API const quantity_info& describe(quantity_kind quantity) noexcept;

// A quantity by its name ("prandtl_number", "prandtl-number"), or by one of
// the short names "prandtl", "pr", "nu", "alpha", "beta", "dh".
ELPROPS_API std::optional<quantity_kind> parse_quantity(std::string_view text) noexcept;

constexpr quantity_kind as_quantity(property_kind property) noexcept {
  return static_cast<quantity_kind>(static_cast<std::uint8_t>(property));
}
// The property a quantity is, or nothing for a derived one.
constexpr std::optional<property_kind> base_property(quantity_kind quantity) noexcept {
  if (static_cast<int>(quantity) >= property_count) return std::nullopt;
  return static_cast<property_kind>(static_cast<std::uint8_t>(quantity));
}

struct derived_options {
  // The temperature in degrees Celsius the heat taken up is counted from.
  float reference_temperature = 20.0f;
};

// The seven derived quantities of a point, in SI units.
struct derived_properties {
  double kinematic_viscosity = 0.0;
  double thermal_diffusivity = 0.0;
  double prandtl_number = 0.0;
  double specific_volume = 0.0;
  double volumetric_heat_capacity = 0.0;
  // From the model's densities 2.5 K either side of the point (one-sided
  // within 2.5 K of a temperature limit): within 2e-7 1/K of the slope of
  // the density correlation itself, 6e-7 1/K on one side.
  double thermal_expansion = 0.0;
  // ∫c_p dT from the reference temperature to the point's, by four-point
  // Gauss–Legendre on parts of at most 5 K: within 1e-7 of the exact
  // integral of the model's heat capacity. Negative below the reference.
  double heat_taken_up = 0.0;
};

// The derived quantities of a point (mass fraction in kg/kg, temperature in
// degrees Celsius). Fails as compute() does for a point it refuses, and for
// a reference temperature outside the substance's admissible range.
ELPROPS_API expected<derived_properties> compute_derived(substance_id substance, float mass_fraction,
                                                         float temperature_celsius,
                                                         const derived_options& options = {});

// The value of a quantity: one of the five from `values`, a derived one
// from `derived`.
ELPROPS_API double quantity_value(const properties& values, const derived_properties& derived,
                                  quantity_kind quantity) noexcept;

// The heat taken up by one kilogram from `from` to `to` degrees Celsius at
// constant composition, in J/kg; both temperatures must be admissible.
ELPROPS_API expected<double> heat_taken_up(substance_id substance, float mass_fraction, float from_celsius,
                                           float to_celsius);

// The concentration solve for any quantity (see solve_concentration).
ELPROPS_API expected<concentration_solution> solve_concentration(substance_id substance, float temperature_celsius,
                                                                 quantity_kind quantity, double value,
                                                                 const derived_options& options = {});

// One temperature at which a quantity takes the value: as concentration_root,
// with the temperature in degrees Celsius as the answer.
struct temperature_root {
  float temperature = 0.0f;
  double achieved = 0.0;
  float below = 0.0f, above = 0.0f;
  concentration_root::side chosen = concentration_root::side::exact;
  float run_first = 0.0f, run_last = 0.0f;
  bool plateau = false;
  std::vector<warning> warnings;  // of the point at that temperature, as compute() gives them
};

struct temperature_solution {
  // Every admissible temperature that gives the value, ascending.
  std::vector<temperature_root> roots;
  // The range of the quantity over the admissible temperatures.
  double reachable_min = 0.0, reachable_max = 0.0;
};

// The temperatures at which a quantity of the substance at a mass fraction
// (0 for water) takes the value, over every admissible temperature (0 to
// 270 °C, 200 for water, both excluded). A failure of kind out_of_reach,
// whose message gives the reachable range, when none does; inadmissible_input
// for a mass fraction compute() would refuse. The thermal expansion, a slope
// of rounded densities, wavers by up to 2e-7 1/K: its answers are good to
// about 0.1 K.
ELPROPS_API expected<temperature_solution> solve_temperature(substance_id substance, float mass_fraction,
                                                             quantity_kind quantity, double value,
                                                             const derived_options& options = {});

}  // namespace elprops
