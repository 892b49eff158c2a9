#include "cli/output/quantities.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "cli/input/point_input.h"

namespace elprops::cli {

std::vector<quantity_kind> QuantitySelection::DefaultKinds() {
  std::vector<quantity_kind> kinds;
  for (const property_info& p : property_table()) kinds.push_back(as_quantity(p.kind));
  return kinds;
}

bool QuantitySelection::AnyDerived() const {
  return std::ranges::any_of(kinds, [](quantity_kind k) { return !base_property(k); });
}

std::vector<property_kind> SelectedProperties(std::span<const quantity_kind> quantities) {
  std::vector<property_kind> base;
  for (const quantity_kind k : quantities) {
    if (const std::optional<property_kind> p = base_property(k)) base.push_back(*p);
  }
  return base;
}

std::vector<property_kind> QuantitySelection::BaseProperties() const { return SelectedProperties(kinds); }

std::string QuantityChoices() {
  std::string text;
  for (const quantity_info& q : quantity_table()) {
    if (!text.empty()) text += ", ";
    text += q.name;
  }
  return text;
}

std::optional<std::vector<quantity_kind>> ParseQuantities(const std::vector<std::string>& items, std::string& error) {
  std::vector<quantity_kind> kinds;
  const auto add = [&kinds](quantity_kind k) {
    if (std::ranges::find(kinds, k) == kinds.end()) kinds.push_back(k);
  };
  for (const std::string& item : items) {
    std::string_view rest = item;
    for (;;) {
      const std::size_t comma = rest.find(',');
      const std::string_view name = TrimBlanks(rest.substr(0, comma));
      if (name == "all") {
        for (const quantity_info& q : quantity_table()) add(q.kind);
      } else if (const std::optional<quantity_kind> k = parse_quantity(name)) {
        add(*k);
      } else {
        error = "--properties \"" + std::string(name) + "\" is not a quantity: give all or any of " +
                QuantityChoices() + " (also prandtl, pr, nu, alpha, beta, dh), separated by commas";
        return std::nullopt;
      }
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }
  return kinds;
}

std::optional<QuantitySelection> ReadSelection(const std::vector<std::string>& items,
                                               std::string_view referenceTemperature, std::string& error) {
  QuantitySelection selection;
  if (!items.empty()) {
    std::optional<std::vector<quantity_kind>> kinds = ParseQuantities(items, error);
    if (!kinds) return std::nullopt;
    selection.kinds = std::move(*kinds);
  }
  if (referenceTemperature.empty()) return selection;
  const ParsedDecimal t = ParseDecimal(referenceTemperature);
  const ParsedNumber single = RoundToSingle(t);
  if (!t.ok() || !single.ok() || !std::isfinite(single.value)) {
    error = "--reference-temperature \"" + std::string(referenceTemperature) + "\" is not a number of degrees Celsius";
    return std::nullopt;
  }
  // Only the heat taken up has a reference; another quantity does not
  // fail for a reference the substance does not admit.
  if (std::ranges::find(selection.kinds, quantity_kind::heat_taken_up) != selection.kinds.end()) {
    selection.derived.reference_temperature = single.value;
  }
  return selection;
}

std::string ShortestDoubleText(double value) {
  char text[40];
  const auto r = std::to_chars(text, text + sizeof text, value);
  return {text, r.ptr};
}

std::string DigitsText(double value, int digits, std::string_view decimalSeparator) {
  char text[48];
  const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  std::string shown(text, r.ptr);
  if (const std::size_t dot = shown.find('.'); dot != std::string::npos) shown.replace(dot, 1, decimalSeparator);
  return shown;
}

int DisplayDigits(quantity_kind kind) {
  if (base_property(kind)) return 7;
  return kind == quantity_kind::thermal_expansion ? 4 : 6;
}

}  // namespace elprops::cli
