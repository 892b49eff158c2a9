#include <algorithm>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <elprops/compute.hpp>
#include <elprops/validity.hpp>

#include "api/evaluate.h"
#include "model/admissible.h"
#include "model/catalogue.h"
#include "model/correlations.h"

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

// The admissible points go through the model's many-points computation a
// block at a time; each gets the bits and the fault that the one-point path
// gives it.
std::size_t EvaluatePoints(std::span<const int> substances, std::span<const float> massFractions,
                           std::span<const float> temperatures, std::size_t count, const PointSink& sink) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  constexpr std::size_t kBlock = 4096;
  const properties failed{kNaN, kNaN, kNaN, kNaN, kNaN};
  const bool wantMessage = !sink.messages.empty();
  std::size_t failures = 0;

  std::vector<std::size_t> point;  // the caller's index of each computed point
  std::vector<std::uint8_t> blockSubstances;
  std::vector<float> blockFractions, blockTemperatures;
  std::vector<model::PropertySet> blockResults;
  std::vector<model::ComputeStatus> blockStatus;
  for (std::size_t begin = 0; begin < count; begin += kBlock) {
    const std::size_t end = std::min(count, begin + kBlock);
    point.clear();
    blockSubstances.clear();
    blockFractions.clear();
    blockTemperatures.clear();
    for (std::size_t i = begin; i < end; ++i) {
      const int substance = At(substances, i);
      std::optional<std::string> reason;
      if (substance < 1 || substance > model::kSubstanceCount) {
        reason = "unknown substance index " + std::to_string(substance) + ": give 1 to 19";
      } else {
        reason =
            model::InadmissibleReason(static_cast<std::uint8_t>(substance), At(massFractions, i), At(temperatures, i));
      }
      if (reason) {
        ++failures;
        sink.errors[i] = error_kind::inadmissible_input;
        Put(sink, i, failed);
        if (wantMessage) sink.messages[i] = std::move(*reason);
        continue;
      }
      point.push_back(i);
      blockSubstances.push_back(static_cast<std::uint8_t>(substance));
      blockFractions.push_back(At(massFractions, i));
      blockTemperatures.push_back(At(temperatures, i));
    }
    blockResults.assign(point.size(), model::PropertySet{});
    blockStatus.assign(point.size(), model::ComputeStatus{});
    // The spans are of one size, so the computation always runs.
    (void)model::ComputeMany(Tables(), blockSubstances, blockFractions, blockTemperatures, blockResults, blockStatus);
    for (std::size_t k = 0; k < point.size(); ++k) {
      const std::size_t i = point[k];
      if (blockStatus[k].ok()) {
        sink.errors[i] = error_kind::none;
        Put(sink, i, FromModel(blockResults[k]));
        if (wantMessage) sink.messages[i].clear();
      } else {
        ++failures;
        sink.errors[i] = error_kind::arithmetic_fault;
        Put(sink, i, failed);
        if (wantMessage) sink.messages[i] = "arithmetic error: " + blockStatus[k].Message();
      }
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
