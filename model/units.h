// Concentration in the units chemists use, converted to and from the mass
// fraction that the correlations take.
//
// Molar masses here are the standard ones, computed from each substance's
// formula with the IUPAC standard atomic weights (abridged to five
// significant figures). The catalogue's MolarMass column is a coefficient of
// the surface-tension correlation and is never used for conversions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/catalogue.h"
#include "model/correlations.h"

namespace elprops::model {

enum class ConcentrationUnit : std::uint8_t {
  MassFraction,       // kg of solute per kg of solution
  MassPercent,        // the mass fraction times 100
  Molality,           // mol of solute per kg of water
  Molarity,           // mol of solute per litre of solution
  MassConcentration,  // g of solute per litre of solution
};

// The name the unit options take: "fraction", "percent", ...
std::string_view UnitName(ConcentrationUnit unit);

// The molar mass in g/mol of a formula such as "Ba(NO3)2" or "NH4HCO3":
// element symbols with optional counts and parenthesised groups. Nothing for
// a formula with an unknown element or a misplaced parenthesis.
std::optional<double> FormulaMolarMass(std::string_view formula);

// The standard molar mass of substance 1..19 from its catalogue formula.
double StandardMolarMass(std::uint8_t substance);

// A concentration given in some unit, as the mass fraction the model takes.
struct Conversion {
  bool ok = false;
  float massFraction = 0.0f;  // the single the correlations are given
  // For molarity and g/L: the same quantity computed back from
  // massFraction with the model's own density, to show how close it came.
  double achieved = 0.0;
  std::string error;        // why there is no mass fraction
  bool outOfReach = false;  // the value lies outside what the admissible mass fractions reach
};

// Converts `value` in `unit` for `substance` (1..18) at `temperature`. The
// mass fraction, percent and molality convert directly
// (w = m·M / (1000 + m·M) for a molality m); molarity and g/L depend on the
// density of the solution itself, so w·ρ(w, T) = target is solved on the
// model. A target outside what the admissible mass fractions reach at that
// temperature is an error naming the reachable range.
Conversion ToMassFraction(const SubstanceTables& tables, std::uint8_t substance, ConcentrationUnit unit, double value,
                          float temperature);

// The other units of a computed point: molality from the mass fraction,
// molarity and mass concentration from the mass fraction and the point's
// density (kg/m³).
double MolalityOf(std::uint8_t substance, float massFraction);
double MolarityOf(std::uint8_t substance, float massFraction, float density);
double MassConcentrationOf(float massFraction, float density);

}  // namespace elprops::model
