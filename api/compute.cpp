#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include <elprops/compute.hpp>
#include <elprops/validity.hpp>

#include "admissible.h"
#include "catalogue.h"
#include "correlations.h"
#include "evaluate.h"

namespace elprops {
namespace api {
namespace {

// Filled once, on first use, and constant afterwards: safe to share between
// threads.
const model::SubstanceTables& Tables() {
  static const model::SubstanceTables tables = model::MakeSubstanceTables();
  return tables;
}

properties FromModel(const model::PropertySet& set) {
  return {set.Density, set.Viscosity, set.SurfaceTension, set.HeatCapacity, set.ThermalConductivity};
}

void Put(const PointSink& sink, std::size_t i, const properties& value) {
  if (sink.columns == nullptr) {
    sink.rows[i] = value;
    return;
  }
  sink.columns->density[i] = value.density;
  sink.columns->viscosity[i] = value.viscosity;
  sink.columns->surface_tension[i] = value.surface_tension;
  sink.columns->heat_capacity[i] = value.heat_capacity;
  sink.columns->thermal_conductivity[i] = value.thermal_conductivity;
}

template <typename T>
T At(std::span<const T> values, std::size_t i) {
  return values.size() == 1 ? values[0] : values[i];
}

}  // namespace

error_kind EvaluatePoint(int substance, float massFraction, float temperature, properties& out, std::string* message) {
  if (substance < 1 || substance > model::kSubstanceCount) {
    if (message != nullptr) {
      *message = "unknown substance index " + std::to_string(substance) + ": give 1 to 19";
    }
    return error_kind::inadmissible_input;
  }
  const auto index = static_cast<std::uint8_t>(substance);
  if (auto reason = model::InadmissibleReason(index, massFraction, temperature)) {
    if (message != nullptr) *message = std::move(*reason);
    return error_kind::inadmissible_input;
  }
  float x = massFraction;
  float limit = 0.0f;
  model::PropertySet set;
  const model::ComputeStatus status = model::ComputeProperties(Tables(), index, x, temperature, limit, set);
  if (!status.ok()) {
    if (message != nullptr) *message = "arithmetic error: " + status.Message();
    return error_kind::arithmetic_fault;
  }
  out = FromModel(set);
  return error_kind::none;
}

// One point after the other through the one-point path. A faster kernel for
// many points replaces this loop and nothing else.
std::size_t EvaluatePoints(std::span<const int> substances, std::span<const float> massFractions,
                           std::span<const float> temperatures, std::size_t count, const PointSink& sink) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  const properties failed{kNaN, kNaN, kNaN, kNaN, kNaN};
  std::size_t failures = 0;
  std::string message;
  for (std::size_t i = 0; i < count; ++i) {
    properties value;
    const bool wantMessage = !sink.messages.empty();
    const error_kind kind = EvaluatePoint(At(substances, i), At(massFractions, i), At(temperatures, i), value,
                                          wantMessage ? &message : nullptr);
    sink.errors[i] = kind;
    if (kind == error_kind::none) {
      Put(sink, i, value);
      if (wantMessage) sink.messages[i].clear();
    } else {
      ++failures;
      Put(sink, i, failed);
      if (wantMessage) sink.messages[i] = message;
    }
  }
  return failures;
}

namespace {

// The point count of the inputs, or an exception when their sizes or those
// of the outputs do not fit.
std::size_t PointCount(std::size_t substances, std::size_t massFractions, std::size_t temperatures) {
  const std::size_t count = std::max({substances, massFractions, temperatures});
  for (const std::size_t size : {substances, massFractions, temperatures}) {
    if (size != count && size != 1) {
      throw std::invalid_argument("elprops::compute_many: the inputs have " + std::to_string(substances) + ", " +
                                  std::to_string(massFractions) + " and " + std::to_string(temperatures) +
                                  " elements; each must have the same number or one");
    }
  }
  return count;
}

void RequireOutput(std::string_view name, std::size_t size, std::size_t count) {
  if (size < count) {
    throw std::invalid_argument("elprops::compute_many: " + std::string(name) + " has " + std::to_string(size) +
                                " elements for " + std::to_string(count) + " points");
  }
}

void RequireCommon(std::span<error_kind> errors, std::span<std::string> messages, std::size_t count) {
  RequireOutput("errors", errors.size(), count);
  if (!messages.empty()) RequireOutput("messages", messages.size(), count);
}

}  // namespace
}  // namespace api

result compute(int substance, float mass_fraction, float temperature_celsius) {
  properties value;
  std::string message;
  const error_kind kind = api::EvaluatePoint(substance, mass_fraction, temperature_celsius, value, &message);
  if (kind != error_kind::none) return compute_error{kind, std::move(message)};
  return result(value, check_validity(substance, mass_fraction, temperature_celsius));
}

std::size_t compute_many(std::span<const int> substances, std::span<const float> mass_fractions,
                         std::span<const float> temperatures_celsius, std::span<properties> results,
                         std::span<error_kind> errors, std::span<std::string> messages) {
  const std::size_t count = api::PointCount(substances.size(), mass_fractions.size(), temperatures_celsius.size());
  api::RequireOutput("results", results.size(), count);
  api::RequireCommon(errors, messages, count);
  return api::EvaluatePoints(substances, mass_fractions, temperatures_celsius, count,
                             api::PointSink{results, nullptr, errors, messages});
}

std::size_t compute_many(std::span<const int> substances, std::span<const float> mass_fractions,
                         std::span<const float> temperatures_celsius, const property_columns& results,
                         std::span<error_kind> errors, std::span<std::string> messages) {
  const std::size_t count = api::PointCount(substances.size(), mass_fractions.size(), temperatures_celsius.size());
  api::RequireOutput("density", results.density.size(), count);
  api::RequireOutput("viscosity", results.viscosity.size(), count);
  api::RequireOutput("surface_tension", results.surface_tension.size(), count);
  api::RequireOutput("heat_capacity", results.heat_capacity.size(), count);
  api::RequireOutput("thermal_conductivity", results.thermal_conductivity.size(), count);
  api::RequireCommon(errors, messages, count);
  return api::EvaluatePoints(substances, mass_fractions, temperatures_celsius, count,
                             api::PointSink{{}, &results, errors, messages});
}

}  // namespace elprops
