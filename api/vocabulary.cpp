#include <array>
#include <cstddef>

#include <elprops/vocabulary.hpp>

#include "model/inverse.h"
#include "model/units.h"
#include "model/vocabulary.h"

namespace elprops {
namespace {

// The public tables are the model's words in the public types.
constexpr std::array<property_info, property_count> MakeProperties() {
  std::array<property_info, property_count> out{};
  for (std::size_t i = 0; i < out.size(); ++i) {
    const model::PropertyWords& w = model::kPropertyWords[i];
    out[i] = {
        static_cast<property_kind>(i), w.name, w.words, w.symbol, w.unit, w.asciiUnit, w.russianCaption, w.russianUnit};
  }
  return out;
}

constexpr std::array<unit_info, concentration_unit_count> MakeUnits() {
  std::array<unit_info, concentration_unit_count> out{};
  for (std::size_t i = 0; i < out.size(); ++i) {
    const model::UnitWords& w = model::kUnitWords[i];
    out[i] = {
        static_cast<concentration_unit>(i), w.name, w.symbol, w.words, w.quantity, w.russianSymbol, w.needsDensity};
  }
  return out;
}

constexpr std::array<property_info, property_count> kProperties = MakeProperties();
constexpr std::array<unit_info, concentration_unit_count> kUnits = MakeUnits();

// The tables are in enumeration order, and the model names them alike.
constexpr bool InOrder() {
  for (std::size_t i = 0; i < kProperties.size(); ++i) {
    if (static_cast<std::size_t>(kProperties[i].kind) != i) return false;
  }
  for (std::size_t i = 0; i < kUnits.size(); ++i) {
    if (static_cast<std::size_t>(kUnits[i].unit) != i) return false;
  }
  return true;
}
static_assert(InOrder());
static_assert(static_cast<int>(property_kind::thermal_conductivity) ==
              static_cast<int>(model::Property::ThermalConductivity));
static_assert(static_cast<int>(concentration_unit::mass_concentration) ==
              static_cast<int>(model::ConcentrationUnit::MassConcentration));

// ASCII letters compared without case, whatever the C locale says.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (lower(a[k]) != lower(b[k])) return false;
  }
  return true;
}

}  // namespace

std::span<const property_info> property_table() noexcept { return kProperties; }

const property_info& describe(property_kind property) noexcept {
  return kProperties[static_cast<std::size_t>(property)];
}

std::optional<property_kind> parse_property(std::string_view text) noexcept {
  for (const property_info& p : kProperties) {
    if (text == p.name) return p.kind;
    // A hyphen may stand for the underscore.
    if (text.size() == p.name.size() && text.find('-') != std::string_view::npos) {
      bool same = true;
      for (std::size_t k = 0; k < text.size() && same; ++k) {
        same = text[k] == p.name[k] || (text[k] == '-' && p.name[k] == '_');
      }
      if (same) return p.kind;
    }
  }
  return std::nullopt;
}

std::span<const unit_info> unit_table() noexcept { return kUnits; }

const unit_info& describe(concentration_unit unit) noexcept { return kUnits[static_cast<std::size_t>(unit)]; }

std::optional<concentration_unit> parse_concentration_unit(std::string_view text) noexcept {
  if (text == "%") return concentration_unit::mass_percent;
  for (const unit_info& u : kUnits) {
    if (SameIgnoringAsciiCase(text, u.name)) return u.unit;
  }
  return std::nullopt;
}

}  // namespace elprops
