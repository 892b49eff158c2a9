// Whether a point lies within what the salt and the correlations allow.
//
// A point above the salt's solubility, or above 100 °C where the solution
// boils at atmospheric pressure and the correlations lose accuracy, is still
// computed; it carries a warning. Notes say what is worth knowing but is no
// fault of the point (no solubility data at that temperature, a salt whose
// solubility is not well defined).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/expected.hpp>
#include <elprops/export.hpp>
#include <elprops/substance.hpp>

namespace elprops {

enum class warning_kind : std::uint8_t {
  above_solubility,    // more salt than dissolves at that temperature
  ill_defined,         // note: the salt hydrolyses or decomposes there
  no_solubility_data,  // note: the solubility table covers 0 to 100 °C
  above_boiling,       // above 100 °C: boiling, and the correlations less accurate
  not_physical,        // a computed value at or below zero: the correlation is beyond its range
};

// The name of a kind, as the Python module and JSON give it:
// "above_solubility", "ill_defined", "no_solubility_data", "above_boiling",
// "not_physical".
ELPROPS_API std::string_view warning_kind_name(warning_kind kind) noexcept;

struct warning {
  warning_kind kind = warning_kind::above_solubility;
  std::string message;  // in English, as elprops-cli prints it

  [[nodiscard]] bool is_note() const noexcept {
    return kind == warning_kind::ill_defined || kind == warning_kind::no_solubility_data;
  }
};

// The warnings and notes of a point's place (mass fraction, temperature in
// degrees Celsius), solubility first; empty when there are none. The point
// need not be computable; the substance must be known. compute() adds the
// warnings of computed values that cannot be true (not_physical).
ELPROPS_API expected<std::vector<warning>> check_validity(substance_id substance, float mass_fraction,
                                                          float temperature_celsius);

// The warnings and notes joined by "; ", as elprops-cli writes them.
ELPROPS_API std::string join_warnings(const std::vector<warning>& warnings);

// The warning texts of many points at once, as check_validity joined by
// join_warnings gives them (an input of one element stands for every point;
// an unknown substance gives an empty text). Points that share a substance
// and a temperature are checked once. Throws std::invalid_argument when the
// sizes do not fit.
ELPROPS_API void check_validity_many(std::span<const substance_id> substances, std::span<const float> mass_fractions,
                                     std::span<const float> temperatures_celsius, std::span<std::string> texts);

// The same text of one point appended to `text`, in the room it has (no
// allocation once it is large enough), worked out afresh: for a caller
// that keeps the texts it needs again itself. Nothing for an unknown
// substance.
ELPROPS_API void append_warning_text(std::string& text, substance_id substance, float mass_fraction,
                                     float temperature_celsius);

// The five properties of many computed points, one column each (a read-only
// counterpart of property_columns).
struct const_property_columns {
  std::span<const float> density;
  std::span<const float> viscosity;
  std::span<const float> surface_tension;
  std::span<const float> heat_capacity;
  std::span<const float> thermal_conductivity;
};

// The warning texts of computed points as compute() gives them: the
// warnings of the place, then those of values that cannot be true, from
// the points' values (every column of n elements, or of one for every
// point).
ELPROPS_API void check_validity_many(std::span<const substance_id> substances, std::span<const float> mass_fractions,
                                     std::span<const float> temperatures_celsius, const const_property_columns& values,
                                     std::span<std::string> texts);

// The quick form of the check at one temperature: every mass fraction above
// `limit` carries the solubility warning; `warned_below` says whether those
// at or below it carry a warning or note all the same (above 100 °C, no
// data, an ill-defined salt).
struct validity_threshold {
  double limit = std::numeric_limits<double>::infinity();
  bool warned_below = false;
};
ELPROPS_API expected<validity_threshold> validity_threshold_at(substance_id substance, float temperature_celsius);

// The solubility of a salt at a temperature from 0 to 100 °C, as the mass
// fraction of the anhydrous salt in the saturated solution, interpolated
// linearly in the table; a failure outside the table or for water.
ELPROPS_API expected<double> solubility(substance_id substance, float temperature_celsius);

// How far the table's solubility can be trusted.
enum class solubility_status : std::uint8_t {
  ok,           // two or more sources agree, or a well-covered single handbook value
  uncertain,    // sources differ, a single source, or a doubtful value
  ill_defined,  // the salt hydrolyses or decomposes: the value is indicative only
};

struct solubility_limit {
  double mass_fraction = 0.0;  // of the anhydrous salt in the saturated solution
  solubility_status status = solubility_status::ok;
  std::string_view solid;  // the solid phase ("NaCl", "CaCl2·6H2O"); empty where no source names it
};

// The solubility with what is known of it; a failure as for solubility().
ELPROPS_API expected<solubility_limit> solubility_limit_at(substance_id substance, float temperature_celsius);

}  // namespace elprops
