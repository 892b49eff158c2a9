// The five properties of a solution at one point, or of many points.
//
// Results are single-precision floats in SI units, the same bits the window
// and elprops-cli show. A point outside the window's admissible ranges is an
// error, not a result: for a salt the mass fraction must lie strictly
// between 0 and 1, for water it must be 0; the temperature must lie strictly
// between 1e-20 and the substance's limit (270 degrees Celsius, 200 for
// water). Every function may be called from several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <elprops/export.hpp>
#include <elprops/substance.hpp>
#include <elprops/validity.hpp>

namespace elprops {

struct properties {
  float density = 0.0f;               // kg/m³
  float viscosity = 0.0f;             // Pa·s
  float surface_tension = 0.0f;       // N/m
  float heat_capacity = 0.0f;         // J/(kg·K)
  float thermal_conductivity = 0.0f;  // W/(m·K)
};

enum class error_kind : std::uint8_t {
  none = 0,            // the point was computed
  inadmissible_input,  // unknown substance, or a value outside the admissible ranges
  arithmetic_fault,    // the correlations left the number range (a logarithm of a
                       // value that is not positive, an overflow), e.g. near saturation
};

struct compute_error {
  error_kind kind = error_kind::none;
  std::string message;  // in English, the words elprops-cli uses
};

// Either the five properties or the error of one point. A computed point
// also carries its warnings: above the salt's solubility, above 100 °C.
class result {
 public:
  result(const properties& value) : outcome_(value) {}  // NOLINT: implicit on purpose
  result(const properties& value, std::vector<warning> warnings) : outcome_(value), warnings_(std::move(warnings)) {}
  result(compute_error failure) : outcome_(std::move(failure)) {}  // NOLINT

  [[nodiscard]] bool has_value() const noexcept { return outcome_.index() == 0; }
  explicit operator bool() const noexcept { return has_value(); }

  // The properties; throws std::bad_variant_access when the point failed.
  [[nodiscard]] const properties& value() const { return std::get<properties>(outcome_); }
  // The properties without a check: only when has_value().
  const properties& operator*() const noexcept { return *std::get_if<properties>(&outcome_); }
  const properties* operator->() const noexcept { return std::get_if<properties>(&outcome_); }

  // The error; throws std::bad_variant_access when the point was computed.
  [[nodiscard]] const compute_error& error() const { return std::get<compute_error>(outcome_); }

  // The warnings and notes of a computed point (see check_validity); empty
  // for a failed one. They never change a value.
  [[nodiscard]] const std::vector<warning>& warnings() const noexcept { return warnings_; }

 private:
  std::variant<properties, compute_error> outcome_;
  std::vector<warning> warnings_;
};

// One point: a substance (index 1 to 19, see find_substance), the mass
// fraction in kg/kg and the temperature in degrees Celsius. Errors come back
// in the result; only a failed allocation throws.
ELPROPS_API result compute(int substance, float mass_fraction, float temperature_celsius);
inline result compute(const substance_info& substance, float mass_fraction, float temperature_celsius) {
  return compute(substance.index, mass_fraction, temperature_celsius);
}

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
ELPROPS_API std::size_t compute_many(std::span<const int> substances, std::span<const float> mass_fractions,
                                     std::span<const float> temperatures_celsius, std::span<properties> results,
                                     std::span<error_kind> errors, std::span<std::string> messages = {});
ELPROPS_API std::size_t compute_many(std::span<const int> substances, std::span<const float> mass_fractions,
                                     std::span<const float> temperatures_celsius, const property_columns& results,
                                     std::span<error_kind> errors, std::span<std::string> messages = {});

}  // namespace elprops
