// Whether a point lies within what the salt and the correlations allow.
//
// A point above the salt's solubility, or above 100 °C where the solution
// boils at atmospheric pressure and the correlations lose accuracy, is still
// computed; it carries a warning. Notes say what is worth knowing but is no
// fault of the point (no solubility data at that temperature, a salt whose
// solubility is not well defined).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <elprops/export.hpp>

namespace elprops {

enum class warning_kind : std::uint8_t {
  above_solubility,    // more salt than dissolves at that temperature
  ill_defined,         // note: the salt hydrolyses or decomposes there
  no_solubility_data,  // note: the solubility table covers 0 to 100 °C
  above_boiling,       // above 100 °C: boiling, and the correlations less accurate
};

struct warning {
  warning_kind kind = warning_kind::above_solubility;
  std::string message;  // in English, as elprops-cli prints it

  [[nodiscard]] bool is_note() const noexcept {
    return kind == warning_kind::ill_defined || kind == warning_kind::no_solubility_data;
  }
};

// The warnings and notes of a point (substance 1 to 19, mass fraction,
// temperature in degrees Celsius), solubility first; empty when there are
// none. The point need not be computable.
ELPROPS_API std::vector<warning> check_validity(int substance, float mass_fraction, float temperature_celsius);

// The solubility of a salt (1 to 18) at a temperature from 0 to 100 °C, as
// the mass fraction of the anhydrous salt in the saturated solution,
// interpolated linearly in the table; a negative value outside the table or
// for water.
ELPROPS_API double solubility(int substance, float temperature_celsius) noexcept;

}  // namespace elprops
