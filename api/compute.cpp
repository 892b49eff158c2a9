#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <elprops/compute.hpp>
#include <elprops/substance.hpp>

#include "api/evaluate.h"
#include "model/admissible.h"
#include "model/catalogue.h"
#include "model/correlations.h"
#include "model/inverse.h"
#include "model/units.h"
#include "model/validity.h"

namespace elprops {
namespace api {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr double kNaNDouble = std::numeric_limits<double>::quiet_NaN();

template <typename T>
T At(std::span<const T> values, std::size_t i) {
  return values.size() == 1 ? values[0] : values[i];
}

// What one point puts into the outputs that were asked for.
struct Filled {
  properties values{kNaN, kNaN, kNaN, kNaN, kNaN};
  float massFraction = kNaN;
  double molality = kNaNDouble;
  double molarity = kNaNDouble;
  const std::string* warning = nullptr;
};

void Put(const point_outputs& out, std::size_t i, error_kind kind, const Filled& f) {
  out.errors[i] = kind;
  if (!out.rows.empty()) out.rows[i] = f.values;
  const property_columns& c = out.columns;
  if (!c.density.empty()) c.density[i] = f.values.density;
  if (!c.viscosity.empty()) c.viscosity[i] = f.values.viscosity;
  if (!c.surface_tension.empty()) c.surface_tension[i] = f.values.surface_tension;
  if (!c.heat_capacity.empty()) c.heat_capacity[i] = f.values.heat_capacity;
  if (!c.thermal_conductivity.empty()) c.thermal_conductivity[i] = f.values.thermal_conductivity;
  if (!out.mass_fractions.empty()) out.mass_fractions[i] = f.massFraction;
  if (!out.molalities.empty()) out.molalities[i] = f.molality;
  if (!out.molarities.empty()) out.molarities[i] = f.molarity;
  if (!out.warnings.empty()) {
    if (f.warning != nullptr) {
      out.warnings[i] = *f.warning;
    } else {
      out.warnings[i].clear();
    }
  }
}

// A failed point; one whose correlations faulted keeps the mass fraction
// they were given.
void PutFailure(const point_outputs& out, std::size_t i, failure f, float massFraction = kNaN) {
  Filled filled;
  filled.massFraction = massFraction;
  Put(out, i, f.kind, filled);
  if (!out.messages.empty()) out.messages[i] = std::move(f.message);
}

// A computed point's outputs from its model values.
void PutComputed(const point_outputs& out, std::size_t i, std::uint8_t substance, float massFraction, float temperature,
                 const properties& values) {
  Filled f;
  f.values = values;
  f.massFraction = massFraction;
  if (!out.molalities.empty() || !out.molarities.empty()) {
    const bool water = substance == model::kWater;
    f.molality = water ? 0.0 : model::MolalityOf(substance, massFraction);
    f.molarity = water ? 0.0 : model::MolarityOf(substance, massFraction, values.density);
  }
  std::string withImpossible;
  if (!out.warnings.empty()) {
    f.warning = &WarningText(substance, massFraction, temperature);
    std::string impossible;
    if (AppendImpossibleValues(impossible, values)) {
      withImpossible = *f.warning;
      if (!withImpossible.empty()) withImpossible += "; ";
      withImpossible += impossible;
      f.warning = &withImpossible;
    }
  }
  Put(out, i, error_kind::none, f);
  if (!out.messages.empty() && !out.messages[i].empty()) out.messages[i].clear();
}

// The points of one block that are computed together.
struct Block {
  std::vector<std::size_t> point;  // the caller's index of each
  std::vector<std::uint8_t> substances;
  std::vector<float> massFractions, temperatures;
  std::vector<model::PropertySet> results;
  std::vector<model::ComputeStatus> status;

  void Clear() {
    point.clear();
    substances.clear();
    massFractions.clear();
    temperatures.clear();
  }
};

// Sorts one point: refused at once, or converted to its mass fraction and
// put in the block. Returns false when it failed.
bool Sort(const PointInputs& in, std::size_t i, const point_outputs& out, Block& block) {
  const substance_id id = At(in.substances, i);
  const float t = At(in.temperatures, i);
  const concentration_unit unit = in.units.empty() ? concentration_unit::mass_fraction : At(in.units, i);
  if (!is_known(id)) {
    PutFailure(out, i, ModelIndex(id).error());
    return false;
  }
  const auto index = static_cast<std::uint8_t>(index_of(id));
  float w = 0.0f;
  if (!in.massFractions.empty()) {
    w = At(in.massFractions, i);
  } else if (unit == concentration_unit::mass_fraction) {
    w = RoundToSingle(At(in.concentrations, i));
  } else {
    const expected<float> converted = MassFraction(index, At(in.concentrations, i), t, unit);
    if (!converted) {
      PutFailure(out, i, converted.error());
      return false;
    }
    w = *converted;
  }
  // The quick test first: the reason's text is made only for a point that
  // has one.
  if (!model::IsAdmissible(index, w, t)) {
    if (auto reason = model::InadmissibleReason(index, w, t)) {
      PutFailure(out, i, failure{error_kind::inadmissible_input, std::move(*reason)});
      return false;
    }
  }
  block.point.push_back(i);
  block.substances.push_back(index);
  block.massFractions.push_back(w);
  block.temperatures.push_back(t);
  return true;
}

// Computes the block through the model's many-points computation; each point
// gets the bits and the fault that the one-point path gives it.
std::size_t ComputeBlock(const point_outputs& out, Block& block) {
  block.results.assign(block.point.size(), model::PropertySet{});
  block.status.assign(block.point.size(), model::ComputeStatus{});
  // The spans are of one size, so the computation always runs.
  (void)model::ComputeMany(Tables(), block.substances, block.massFractions, block.temperatures, block.results,
                           block.status);
  std::size_t failures = 0;
  for (std::size_t k = 0; k < block.point.size(); ++k) {
    const std::size_t i = block.point[k];
    if (!block.status[k].ok()) {
      ++failures;
      PutFailure(out, i, failure{error_kind::arithmetic_fault, "arithmetic error: " + block.status[k].Message()},
                 block.massFractions[k]);
      continue;
    }
    const model::PropertySet& s = block.results[k];
    // Water is computed at concentration 0.
    const float w = block.substances[k] == model::kWater ? 0.0f : block.massFractions[k];
    PutComputed(out, i, block.substances[k], w, block.temperatures[k],
                {s.Density, s.Viscosity, s.SurfaceTension, s.HeatCapacity, s.ThermalConductivity});
  }
  return failures;
}

}  // namespace

std::size_t EvaluatePoints(const PointInputs& in, std::size_t count, const point_outputs& out) {
  constexpr std::size_t kBlock = 4096;
  std::size_t failures = 0;
  Block block;
  for (std::size_t begin = 0; begin < count; begin += kBlock) {
    const std::size_t end = std::min(count, begin + kBlock);
    block.Clear();
    for (std::size_t i = begin; i < end; ++i) {
      if (!Sort(in, i, out, block)) ++failures;
    }
    failures += ComputeBlock(out, block);
  }
  return failures;
}

namespace {

// The point count of the inputs, or an exception when their sizes do not
// fit.
std::size_t PointCount(std::initializer_list<std::size_t> sizes) {
  const std::size_t count = std::max(sizes);
  for (const std::size_t size : sizes) {
    if (size != count && size != 1) {
      std::string text;
      for (const std::size_t s : sizes) text += (text.empty() ? "" : ", ") + std::to_string(s);
      throw std::invalid_argument("elprops::compute_many: the inputs have " + text +
                                  " elements; each must have the same number or one");
    }
  }
  return count;
}

void RequireOutput(std::string_view name, std::size_t size, std::size_t count, bool optional = true) {
  if ((size != 0 || !optional || count == 0) && size < count) {
    throw std::invalid_argument("elprops::compute_many: " + std::string(name) + " has " + std::to_string(size) +
                                " elements for " + std::to_string(count) + " points");
  }
}

void RequireOutputs(const point_outputs& out, std::size_t count) {
  RequireOutput("errors", out.errors.size(), count, false);
  RequireOutput("results", out.rows.size(), count);
  RequireOutput("density", out.columns.density.size(), count);
  RequireOutput("viscosity", out.columns.viscosity.size(), count);
  RequireOutput("surface_tension", out.columns.surface_tension.size(), count);
  RequireOutput("heat_capacity", out.columns.heat_capacity.size(), count);
  RequireOutput("thermal_conductivity", out.columns.thermal_conductivity.size(), count);
  RequireOutput("messages", out.messages.size(), count);
  RequireOutput("mass_fractions", out.mass_fractions.size(), count);
  RequireOutput("molalities", out.molalities.size(), count);
  RequireOutput("molarities", out.molarities.size(), count);
  RequireOutput("warnings", out.warnings.size(), count);
}

}  // namespace
}  // namespace api

float property_value(const properties& values, property_kind property) noexcept {
  return model::PropertyValue(
      {values.density, values.viscosity, values.surface_tension, values.heat_capacity, values.thermal_conductivity},
      static_cast<model::Property>(property));
}

result compute(substance_id substance, float mass_fraction, float temperature_celsius) {
  return api::EvaluatePoint(substance, static_cast<double>(mass_fraction), temperature_celsius,
                            concentration_unit::mass_fraction);
}

result compute(substance_id substance, double concentration, float temperature_celsius, concentration_unit unit) {
  return api::EvaluatePoint(substance, concentration, temperature_celsius, unit);
}

result compute(std::string_view substance, double concentration, float temperature_celsius, concentration_unit unit) {
  const expected<substance_info> found = find_substance(substance);
  if (!found) return found.error();
  return api::EvaluatePoint(found->id(), concentration, temperature_celsius, unit);
}

std::size_t compute_many(std::span<const substance_id> substances, std::span<const float> mass_fractions,
                         std::span<const float> temperatures_celsius, std::span<properties> results,
                         std::span<error_kind> errors, std::span<std::string> messages) {
  const std::size_t count = api::PointCount({substances.size(), mass_fractions.size(), temperatures_celsius.size()});
  point_outputs out;
  out.rows = results;
  out.errors = errors;
  out.messages = messages;
  api::RequireOutput("results", results.size(), count, false);
  api::RequireOutputs(out, count);
  return api::EvaluatePoints({substances, {}, mass_fractions, temperatures_celsius, {}}, count, out);
}

std::size_t compute_many(std::span<const substance_id> substances, std::span<const float> mass_fractions,
                         std::span<const float> temperatures_celsius, const property_columns& results,
                         std::span<error_kind> errors, std::span<std::string> messages) {
  const std::size_t count = api::PointCount({substances.size(), mass_fractions.size(), temperatures_celsius.size()});
  point_outputs out;
  out.columns = results;
  out.errors = errors;
  out.messages = messages;
  api::RequireOutput("density", results.density.size(), count, false);
  api::RequireOutput("viscosity", results.viscosity.size(), count, false);
  api::RequireOutput("surface_tension", results.surface_tension.size(), count, false);
  api::RequireOutput("heat_capacity", results.heat_capacity.size(), count, false);
  api::RequireOutput("thermal_conductivity", results.thermal_conductivity.size(), count, false);
  api::RequireOutputs(out, count);
  return api::EvaluatePoints({substances, {}, mass_fractions, temperatures_celsius, {}}, count, out);
}

std::size_t compute_many(std::span<const substance_id> substances, std::span<const double> concentrations,
                         std::span<const float> temperatures_celsius, std::span<const concentration_unit> units,
                         const point_outputs& outputs) {
  std::initializer_list<std::size_t> sizes = {substances.size(), concentrations.size(), temperatures_celsius.size()};
  std::size_t count = api::PointCount(sizes);
  if (!units.empty())
    count = api::PointCount({substances.size(), concentrations.size(), temperatures_celsius.size(), units.size()});
  api::RequireOutputs(outputs, count);
  return api::EvaluatePoints({substances, concentrations, {}, temperatures_celsius, units}, count, outputs);
}

}  // namespace elprops
