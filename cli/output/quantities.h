// The quantities a run writes (-p/--properties): the five properties and
// the derived ones, in the order asked for, and how their values are
// written.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/derived.hpp>

namespace elprops::cli {

struct QuantitySelection {
  // In the order asked for, each once; by default the five in property
  // order.
  std::vector<quantity_kind> kinds = DefaultKinds();
  derived_options derived;

  static std::vector<quantity_kind> DefaultKinds();
  // The five in property order: the output of a run that asked for nothing.
  [[nodiscard]] bool IsDefault() const { return kinds == DefaultKinds(); }
  [[nodiscard]] bool AnyDerived() const;
  // The base properties among the kinds, in their order.
  [[nodiscard]] std::vector<property_kind> BaseProperties() const;
};

// The base properties among `quantities`, in their order.
std::vector<property_kind> SelectedProperties(std::span<const quantity_kind> quantities);

// The quantities named by the items, each a name parse_quantity takes, a
// comma-separated list of them, or "all" (the five and the derived ones).
// Nothing, with `error` saying what is wrong and listing the choices, for
// an unknown name.
std::optional<std::vector<quantity_kind>> ParseQuantities(const std::vector<std::string>& items, std::string& error);

// The selection of -p/--properties and --reference-temperature (°C, empty
// for 20, used only by heat_taken_up); nothing, with `error` saying what
// is wrong, for an unknown name or a temperature that is not a number.
std::optional<QuantitySelection> ReadSelection(const std::vector<std::string>& items,
                                               std::string_view referenceTemperature, std::string& error);

// The choices, for help and messages: "density, viscosity, ..., heat_taken_up".
std::string QuantityChoices();

// The shortest text that reads back to the double (never a long tail):
// how a derived value is written in CSV and JSON.
std::string ShortestDoubleText(double value);

// A value at `digits` significant digits with the decimal separator given
// ("7.7157", "1.12835e-06"); "nan" and "inf" as they are.
std::string DigitsText(double value, int digits, std::string_view decimalSeparator = ".");

// The significant digits a quantity is shown with in the table and the
// text lines: seven for the five properties (single precision), six for
// the derived ones, four for the thermal expansion coefficient (a slope of
// rounded densities, good to about 2e-7 1/K).
int DisplayDigits(quantity_kind kind);

}  // namespace elprops::cli
