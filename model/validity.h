// Whether a point lies within what the salt and the correlations allow.
//
// The solubility of the eighteen salts from 0 to 100 °C comes from the table
// data/solubility.csv (its sources are cited in docs/solubility-sources.md),
// built into the library when it is compiled. Between tabulated temperatures
// the limit is interpolated linearly; outside 0–100 °C there is no data and
// nothing is extrapolated. Nothing here changes a computed value: a point
// with a warning is computed like any other.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/correlations.h"

namespace elprops::model {

enum class SolubilityStatus : std::uint8_t {
  Ok,          // two or more sources agree, or a well-covered single handbook value
  Uncertain,   // sources differ, a single source, or a doubtful value
  IllDefined,  // the salt hydrolyses or decomposes: the value is indicative only
};

// One row of the solubility table.
struct SolubilityRow {
  std::string_view formula;
  double temperature;      // °C
  double massFraction;     // of the anhydrous salt in the saturated solution
  std::string_view solid;  // the solid phase, empty where no source names it
  SolubilityStatus status;
  std::string_view note;
};

// Every row of the table, by salt in catalogue order and then by temperature.
const std::vector<SolubilityRow>& SolubilityTable();

// The solubility of substance 1..18 at `temperature`, interpolated between
// the neighbouring rows. The solid phase and the status are those of the
// nearer row (the colder one when both are as near). Nothing outside
// 0–100 °C, for water and for an unknown index.
struct SolubilityLimit {
  double massFraction = 0.0;
  std::string_view solid;
  SolubilityStatus status = SolubilityStatus::Ok;
  std::string_view note;  // the nearer row's note
};
std::optional<SolubilityLimit> Solubility(std::uint8_t substance, double temperature);

enum class WarningKind : std::uint8_t {
  AboveSolubility,   // more salt than dissolves at that temperature
  IllDefined,        // a note: the salt's solubility is not well defined there
  NoSolubilityData,  // a note: the table ends at 100 °C
  AboveBoiling,      // above 100 °C: boiling, and the correlations less accurate
  NotPhysical,       // a computed value at or below zero: the correlation is beyond its range
};

struct Warning {
  WarningKind kind;
  std::string message;  // English, e.g. "above the solubility of NaCl at 20 °C (0.2641; the solid is NaCl)"
  // A note says something worth knowing; a warning says the point is beyond
  // what the salt or the correlations allow.
  [[nodiscard]] bool IsNote() const { return kind == WarningKind::IllDefined || kind == WarningKind::NoSolubilityData; }
};

// The warnings and notes of one point, in a fixed order: solubility first,
// then temperature. Empty for a point within the table and below 100 °C.
std::vector<Warning> CheckValidity(std::uint8_t substance, float massFraction, float temperature);

// Those of CheckValidity joined into one line, "; " between them, appended
// to `out` in the room it has.
void AppendValidityText(std::string& out, std::uint8_t substance, float massFraction, float temperature);

// What CheckValidity says of every point of one substance at one
// temperature, without its texts, quickly, for many points: a mass fraction
// above `limit` has the solubility warning; whether a point at or below it
// has a warning or note all the same. Without a solubility to compare with
// (water, no data, an ill-defined one) the limit is infinite.
struct ValidityLimit {
  double limit = std::numeric_limits<double>::infinity();
  bool withinWarned = false;
};
ValidityLimit ValidityLimitAt(std::uint8_t substance, float temperature);

// The warnings of computed values that cannot be true (a density,
// viscosity, surface tension, heat capacity or thermal conductivity at or
// below zero); empty for a point whose values all can be. The values stay as
// computed.
std::vector<Warning> ImpossibleValues(const PropertySet& values);

// The warnings of a point joined into one line, "; " between them.
std::string JoinWarnings(const std::vector<Warning>& warnings);

}  // namespace elprops::model
