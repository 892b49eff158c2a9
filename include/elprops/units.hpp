// Concentration in the units chemists use, and the inverse question: which
// mass fraction gives a property this value?
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <elprops/expected.hpp>
#include <elprops/export.hpp>
#include <elprops/substance.hpp>
#include <elprops/validity.hpp>
#include <elprops/vocabulary.hpp>

namespace elprops {

// The standard molar mass of a substance in g/mol, from its formula and the
// IUPAC standard atomic weights: 58.44 for NaCl.
ELPROPS_API expected<double> standard_molar_mass(substance_id substance);

// A concentration converted to the mass fraction that compute() takes.
struct conversion {
  float mass_fraction = 0.0f;
  // For molarity and g/L, which depend on the solution's own density: the
  // quantity computed back from mass_fraction, to show how close it came.
  // For the other units, the value given.
  double achieved = 0.0;
  // The warnings and notes of the place of the converted point (see
  // check_validity), as compute() gives them at that mass fraction and
  // temperature: above the solubility, above 100 °C, notes.
  std::vector<warning> warnings;
};

// `value` in `unit` for a salt at a temperature in degrees Celsius. Mass
// percent and molality convert directly (w = m·M / (1000 + m·M)); molarity
// and g/L are solved on the model's density (c = w·ρ(w, T) / M). A failure
// for water, a negative value or an unreachable one.
ELPROPS_API expected<conversion> to_mass_fraction(substance_id substance, concentration_unit unit, double value,
                                                  float temperature_celsius);

// The mass fraction in another unit at a temperature: the inverse of
// to_mass_fraction (the density for molarity and g/L is the model's at that
// point).
ELPROPS_API expected<double> from_mass_fraction(substance_id substance, concentration_unit unit, float mass_fraction,
                                                float temperature_celsius);

// The molality (mol/kg of water) of a mass fraction, and the molarity
// (mol/L) of a mass fraction at a density in kg/m³.
ELPROPS_API expected<double> molality(substance_id substance, float mass_fraction);
ELPROPS_API expected<double> molarity(substance_id substance, float mass_fraction, float density);

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
  // The lowest and highest mass fractions around the answer at which the
  // model gives the same value. Where the property levels off they lie far
  // apart (plateau): every mass fraction between them gives this value, and
  // this one answer stands for them all.
  float run_first = 0.0f, run_last = 0.0f;
  bool plateau = false;
  // The warnings and notes of the point at that mass fraction, as compute()
  // gives them.
  std::vector<warning> warnings;
};

// The word for a side: "exact", "lower", "upper".
ELPROPS_API std::string_view side_name(concentration_root::side side) noexcept;

// The range a property reaches over some mass fractions at a temperature:
// its ends, the mass fractions that give them, and the warnings and notes
// compute() gives at those two points (a value that cannot be true, above
// the solubility, ...).
struct reachable_range {
  bool known = false;  // false: no mass fraction to take the range over
  double min = 0.0, max = 0.0;
  float min_at = 0.0f, max_at = 0.0f;
  std::vector<warning> min_warnings, max_warnings;
};

struct concentration_solution {
  // Every admissible mass fraction that gives the value, ascending: one where
  // the property is monotonic in the concentration, more where it turns.
  std::vector<concentration_root> roots;
  // The range of the property over the admissible mass fractions at that
  // temperature.
  double reachable_min = 0.0, reachable_max = 0.0;
  // The same range with its ends' mass fractions and warnings.
  reachable_range reachable;
  // The salt's solubility at that temperature (NaN outside the table's 0 to
  // 100 °C) and the range over the mass fractions up to it, the solubility
  // included (not known where the solubility is not).
  double solubility = 0.0;
  reachable_range soluble;
};

// A failure of kind out_of_reach when no admissible mass fraction gives the
// value; its message gives both ranges, over the admissible mass fractions
// and up to the solubility, each end with the mass fraction that gives it
// and that point's warnings:
//   "density 5000 is out of reach for sodium chloride at 20 °C: the
//   admissible mass fractions give 998.3648 to 2008.266 (the least at
//   w = 1e-45, the most at w = 0.99999994 [above the solubility ...]); up to
//   the solubility, w = 0.2641, they give 998.3648 to 1200.748 (the least at
//   w = 1e-45, the most at w = 0.2641)"
// inadmissible_input for water or a temperature outside the admissible
// range.
ELPROPS_API expected<concentration_solution> solve_concentration(substance_id substance, float temperature_celsius,
                                                                 property_kind property, double value);

}  // namespace elprops
