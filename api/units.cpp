// Units, the inverse search and the validity warnings: the model's, in the
// public library's types.
#include <elprops/units.hpp>
#include <elprops/validity.hpp>

#include "model/catalogue.h"
#include "model/inverse.h"
#include "model/units.h"
#include "model/validity.h"

namespace elprops {
namespace {

const model::SubstanceTables& Tables() {
  static const model::SubstanceTables tables = model::MakeSubstanceTables();
  return tables;
}

// The public enumerations are the model's, in the same order.
static_assert(static_cast<int>(warning_kind::above_boiling) == static_cast<int>(model::WarningKind::AboveBoiling));
static_assert(static_cast<int>(warning_kind::no_solubility_data) ==
              static_cast<int>(model::WarningKind::NoSolubilityData));
static_assert(static_cast<int>(concentration_unit::mass_concentration) ==
              static_cast<int>(model::ConcentrationUnit::MassConcentration));
static_assert(static_cast<int>(concentration_unit::molality) == static_cast<int>(model::ConcentrationUnit::Molality));
static_assert(static_cast<int>(property_kind::thermal_conductivity) ==
              static_cast<int>(model::Property::ThermalConductivity));
static_assert(static_cast<int>(property_kind::surface_tension) == static_cast<int>(model::Property::SurfaceTension));
static_assert(static_cast<int>(concentration_root::side::upper) == static_cast<int>(model::Root::Chosen::Upper));

bool IsSalt(int substance) { return substance >= 1 && substance < model::kWater; }
bool IsKnown(int substance) { return substance >= 1 && substance <= model::kSubstanceCount; }

}  // namespace

std::vector<warning> check_validity(int substance, float mass_fraction, float temperature_celsius) {
  std::vector<warning> out;
  if (!IsKnown(substance)) return out;
  for (const model::Warning& w :
       model::CheckValidity(static_cast<std::uint8_t>(substance), mass_fraction, temperature_celsius)) {
    out.push_back({static_cast<warning_kind>(w.kind), w.message});
  }
  return out;
}

double solubility(int substance, float temperature_celsius) noexcept {
  if (!IsSalt(substance)) return -1.0;
  const auto limit = model::Solubility(static_cast<std::uint8_t>(substance), static_cast<double>(temperature_celsius));
  return limit ? limit->massFraction : -1.0;
}

std::optional<concentration_unit> parse_concentration_unit(std::string_view text) noexcept {
  const auto unit = model::ParseConcentrationUnit(text);
  if (!unit) return std::nullopt;
  return static_cast<concentration_unit>(*unit);
}

double standard_molar_mass(int substance) {
  return IsKnown(substance) ? model::StandardMolarMass(static_cast<std::uint8_t>(substance)) : 0.0;
}

conversion to_mass_fraction(int substance, concentration_unit unit, double value, float temperature_celsius) {
  if (!IsKnown(substance)) {
    return {false, 0.0f, 0.0, "unknown substance index " + std::to_string(substance) + ": give 1 to 19"};
  }
  const model::Conversion c =
      model::ToMassFraction(Tables(), static_cast<std::uint8_t>(substance), static_cast<model::ConcentrationUnit>(unit),
                            value, temperature_celsius);
  return {c.ok, c.massFraction, c.achieved, c.error};
}

double molality(int substance, float mass_fraction) {
  return IsKnown(substance) ? model::MolalityOf(static_cast<std::uint8_t>(substance), mass_fraction) : 0.0;
}

double molarity(int substance, float mass_fraction, float density) {
  return IsKnown(substance) ? model::MolarityOf(static_cast<std::uint8_t>(substance), mass_fraction, density) : 0.0;
}

std::optional<property_kind> parse_property(std::string_view text) noexcept {
  const auto property = model::ParseProperty(text);
  if (!property) return std::nullopt;
  return static_cast<property_kind>(*property);
}

concentration_solution solve_concentration(int substance, float temperature_celsius, property_kind property,
                                           double value) {
  concentration_solution out;
  if (!IsKnown(substance)) {
    out.error = "unknown substance index " + std::to_string(substance) + ": give 1 to 19";
    return out;
  }
  const model::Solution s =
      model::SolveConcentration(Tables(), static_cast<std::uint8_t>(substance), temperature_celsius,
                                static_cast<model::Property>(property), value);
  for (const model::Root& r : s.roots) {
    out.roots.push_back({r.massFraction, r.achieved, r.below, r.above,
                         static_cast<concentration_root::side>(static_cast<std::uint8_t>(r.chosen))});
  }
  out.reachable_min = s.reachableMin;
  out.reachable_max = s.reachableMax;
  out.error = s.error;
  return out;
}

}  // namespace elprops
