// Independent published models beside elprops's own correlations: for a
// point, each property's reference value, where it comes from, whether
// measurements stand behind it, and how far elprops's value lies from it.
//
// The models (coefficients compiled in; sources in docs/correlations.md):
//   Laliberté 2009        density (17 salts), viscosity (16), heat capacity (14)
//   Melinder 2010         NaCl, CaCl2, MgCl2, K2CO3 brines up to 40 °C: density,
//                         viscosity (not MgCl2), heat capacity, thermal conductivity
//   Dutcher 2010          surface tension of NaCl, KCl, CaCl2, MgCl2, Na2SO4
//   Conde 2004            surface tension of CaCl2
//   Talreja-Muthreja 2022 surface tension of NaCl (Steiger's linear law)
//   Magomedov 2001        thermal conductivity of K2CO3 and Na2CO3
// Nothing covers barium sulfide: every property of BaS is unavailable.
// Water has no entry either; its correlations are compared with the IAPWS
// formulations in docs/accuracy.md.
//
// The choice, per salt and property: of the models that cover it, the first
// in the order of preference whose measurements span the point; when none
// does, the first of them, with within_span false. The order: Laliberté then
// Melinder for density, viscosity and heat capacity; Dutcher, Conde, then
// Talreja-Muthreja for surface tension; Melinder then Magomedov for thermal
// conductivity.
//
// A reference value is a model's, not a measurement: inside its span it
// rests on the data it was fitted to; outside it is the model's
// extrapolation and may be far off or not finite. Nothing here changes a
// value compute() gives. Every function may be called from several threads.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/expected.hpp>
#include <elprops/export.hpp>
#include <elprops/substance.hpp>
#include <elprops/vocabulary.hpp>

namespace elprops {

struct reference_value {
  property_kind property = property_kind::density;
  bool available = false;  // some model covers this salt and property
  double value = 0.0;  // the model's value in SI units (kg/m³, Pa·s, N/m, J/(kg·K), W/(m·K)); NaN if unavailable
  std::string_view source;   // a short citation, "Laliberté 2009" (UTF-8); empty if unavailable
  bool within_span = false;  // the point lies inside the span of the model's measurements
  // The span of the measurements behind the model for this salt and
  // property: temperatures in degrees Celsius, the largest mass fraction.
  // For Melinder's brines t_min is the freezing point at the point's mass
  // fraction where that is above the fit's own limit. NaN if unavailable.
  double t_min = 0.0;
  double t_max = 0.0;
  double w_max = 0.0;
  // elprops's value at the point (the float compute() gives, widened) and
  // its relative deviation (ours − reference) / reference; NaN when either
  // is missing (a point whose correlations fault has no value of ours).
  double ours = 0.0;
  double deviation = 0.0;
};

using reference_set = std::array<reference_value, property_count>;

// The reference values of a point (mass fraction in kg/kg, temperature in
// degrees Celsius), in property_kind order. The point must be one compute()
// admits; otherwise its failure (an unknown substance, a value outside the
// admissible ranges) comes back.
ELPROPS_API expected<reference_set> reference_values(substance_id substance, float mass_fraction,
                                                     float temperature_celsius);

// The note for a property of a point that no measurement stands behind,
// naming the property and the span of the data, e.g.
//   "viscosity of KOH: no reference data beyond w = 0.518 at 20 °C"
//   "viscosity of NaHCO3: no reference data at 50 °C (data from 20 to 30 °C)"
//   "thermal conductivity of NaOH: no reference data"
// The mass fraction is written down to three significant digits, so a point
// beyond the span is beyond the figure given. Empty when the value lies
// within its span, and for water. A note, like a warning, never changes a
// number.
ELPROPS_API std::string no_reference_note(substance_id substance, const reference_value& value, float mass_fraction,
                                          float temperature_celsius);

// Every such note of a point, in property_kind order; barium sulfide, which
// nothing covers, gets the one note "BaS: no reference data for any
// property". Empty for water. Fails as reference_values does.
ELPROPS_API expected<std::vector<std::string>> no_reference_notes(substance_id substance, float mass_fraction,
                                                                  float temperature_celsius);

}  // namespace elprops
