// The validity warnings: the model's, in the public library's types.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <elprops/text.hpp>
#include <elprops/validity.hpp>

#include "api/evaluate.h"
#include "model/catalogue.h"
#include "model/correlations.h"
#include "model/validity.h"

namespace elprops {
namespace {

static_assert(static_cast<int>(warning_kind::above_boiling) == static_cast<int>(model::WarningKind::AboveBoiling));
static_assert(static_cast<int>(warning_kind::not_physical) == static_cast<int>(model::WarningKind::NotPhysical));
static_assert(static_cast<int>(warning_kind::no_solubility_data) ==
              static_cast<int>(model::WarningKind::NoSolubilityData));

template <typename T>
T At(std::span<const T> values, std::size_t i) {
  return values.size() == 1 ? values[0] : values[i];
}

}  // namespace

std::string_view warning_kind_name(warning_kind kind) noexcept {
  switch (kind) {
    case warning_kind::above_solubility:
      return "above_solubility";
    case warning_kind::ill_defined:
      return "ill_defined";
    case warning_kind::no_solubility_data:
      return "no_solubility_data";
    case warning_kind::above_boiling:
      return "above_boiling";
    case warning_kind::not_physical:
      return "not_physical";
  }
  return {};
}

expected<std::vector<warning>> check_validity(substance_id substance, float mass_fraction, float temperature_celsius) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  std::vector<warning> out;
  for (const model::Warning& w : model::CheckValidity(*index, mass_fraction, temperature_celsius)) {
    out.push_back({static_cast<warning_kind>(w.kind), w.message});
  }
  return out;
}

std::string join_warnings(const std::vector<warning>& warnings) {
  std::string text;
  for (const warning& w : warnings) {
    if (!text.empty()) text += "; ";
    text += w.message;
  }
  return text;
}

void check_validity_many(std::span<const substance_id> substances, std::span<const float> mass_fractions,
                         std::span<const float> temperatures_celsius, std::span<std::string> texts) {
  const std::size_t count = std::max({substances.size(), mass_fractions.size(), temperatures_celsius.size()});
  for (const std::size_t size : {substances.size(), mass_fractions.size(), temperatures_celsius.size()}) {
    if (size != count && size != 1) {
      throw std::invalid_argument(
          "elprops::check_validity_many: each input must have the same number of elements "
          "or one");
    }
  }
  if (texts.size() < count) throw std::invalid_argument("elprops::check_validity_many: too few texts for the points");
  for (std::size_t i = 0; i < count; ++i) {
    const substance_id id = At(substances, i);
    if (!is_known(id)) {
      texts[i].clear();
      continue;
    }
    texts[i] =
        api::WarningText(static_cast<std::uint8_t>(index_of(id)), At(mass_fractions, i), At(temperatures_celsius, i));
  }
}

void append_warning_text(std::string& text, substance_id substance, float mass_fraction, float temperature_celsius) {
  if (!is_known(substance)) return;
  model::AppendValidityText(text, static_cast<std::uint8_t>(index_of(substance)), mass_fraction, temperature_celsius);
}

void check_validity_many(std::span<const substance_id> substances, std::span<const float> mass_fractions,
                         std::span<const float> temperatures_celsius, const const_property_columns& values,
                         std::span<std::string> texts) {
  check_validity_many(substances, mass_fractions, temperatures_celsius, texts);
  const std::size_t count = std::max({substances.size(), mass_fractions.size(), temperatures_celsius.size()});
  const std::span<const float> columns[] = {values.density, values.viscosity, values.surface_tension,
                                            values.heat_capacity, values.thermal_conductivity};
  for (const std::span<const float>& column : columns) {
    if (column.size() != 1 && column.size() < count) {
      throw std::invalid_argument("elprops::check_validity_many: a column of values is shorter than the points");
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!is_known(At(substances, i))) continue;
    api::AppendImpossibleValues(texts[i],
                                {At(values.density, i), At(values.viscosity, i), At(values.surface_tension, i),
                                 At(values.heat_capacity, i), At(values.thermal_conductivity, i)});
  }
}

expected<validity_threshold> validity_threshold_at(substance_id substance, float temperature_celsius) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  const model::ValidityLimit quick = model::ValidityLimitAt(*index, temperature_celsius);
  return validity_threshold{quick.limit, quick.withinWarned};
}

static_assert(static_cast<int>(solubility_status::ill_defined) ==
              static_cast<int>(model::SolubilityStatus::IllDefined));

expected<double> solubility(substance_id substance, float temperature_celsius) {
  const expected<solubility_limit> limit = solubility_limit_at(substance, temperature_celsius);
  if (!limit) return limit.error();
  return limit->mass_fraction;
}

expected<solubility_limit> solubility_limit_at(substance_id substance, float temperature_celsius) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  if (*index == model::kWater) return failure{error_kind::inadmissible_input, "water has no solubility"};
  const auto limit = model::Solubility(*index, static_cast<double>(temperature_celsius));
  if (!limit) {
    return failure{error_kind::inadmissible_input,
                   "no solubility data at " + shortest_text(temperature_celsius) + " °C: the table covers 0 to 100 °C"};
  }
  return solubility_limit{limit->massFraction, static_cast<solubility_status>(limit->status), limit->solid};
}

}  // namespace elprops
