#include "api/evaluate.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <elprops/substance.hpp>
#include <elprops/text.hpp>
#include <elprops/validity.hpp>
#include <elprops/vocabulary.hpp>

#include "model/admissible.h"
#include "model/correlations.h"
#include "model/units.h"
#include "model/validity.h"

namespace elprops::api {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

}  // namespace

float RoundToSingle(double value) {
  if (std::isnan(value)) return kNaN;
  if (std::fabs(value) > static_cast<double>(FLT_MAX)) {
    return std::signbit(value) ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(value);
}

namespace {

std::vector<warning> PublicWarnings(const std::vector<model::Warning>& warnings) {
  std::vector<warning> out;
  out.reserve(warnings.size());
  for (const model::Warning& w : warnings) out.push_back({static_cast<warning_kind>(w.kind), w.message});
  return out;
}

}  // namespace

// A unit other than the mass fraction needs an admissible temperature first
// (molarity and g/L are solved on the density at it); water has no
// concentration in any unit, which the input rules say of the point itself.
expected<float> MassFraction(std::uint8_t substance, double concentration, float temperature, concentration_unit unit) {
  if (unit == concentration_unit::mass_fraction || concentration == 0.0) return RoundToSingle(concentration);
  const bool water = substance == model::kWater;
  if (auto reason = model::InadmissibleReason(substance, water ? 0.0f : 0.5f, temperature)) {
    return failure{error_kind::inadmissible_input, std::move(*reason)};
  }
  if (water) return RoundToSingle(concentration);
  const model::Conversion converted = model::ToMassFraction(
      Tables(), substance, static_cast<model::ConcentrationUnit>(unit), concentration, temperature);
  if (!converted.ok) return failure{error_kind::inadmissible_input, converted.error};
  // Said of the quantity the caller gave, not of the mass fraction it
  // became: 100 percent, or a molality so high that no water is left.
  if (!(converted.massFraction > 0.0f && converted.massFraction < 1.0f)) {
    const unit_info& u = describe(unit);
    std::string text(u.words);
    // A value that came in as a float is written as the float's shortest
    // text: 100.1, not 100.099998.
    const bool single = std::fabs(concentration) <= static_cast<double>(FLT_MAX) &&
                        static_cast<double>(static_cast<float>(concentration)) == concentration;
    text += " " + (single ? shortest_text(static_cast<float>(concentration)) : nine_digit_text(concentration)) + " " +
            std::string(u.symbol);
    if (unit == concentration_unit::mass_percent) {
      text += " is not between 0 and 100 (both excluded)";
    } else {
      text += " gives the mass fraction " + shortest_text(converted.massFraction) +
              ", which is not between 0 and 1 (both excluded)";
    }
    return failure{error_kind::inadmissible_input, std::move(text)};
  }
  return converted.massFraction;
}

namespace {

properties FromModel(const model::PropertySet& set) {
  return {set.Density, set.Viscosity, set.SurfaceTension, set.HeatCapacity, set.ThermalConductivity};
}

}  // namespace

const model::SubstanceTables& Tables() {
  static const model::SubstanceTables tables = model::MakeSubstanceTables();
  return tables;
}

expected<std::uint8_t> ModelIndex(substance_id substance) {
  if (!is_known(substance)) {
    return failure{error_kind::inadmissible_input, unknown_substance_message(std::to_string(index_of(substance)))};
  }
  return static_cast<std::uint8_t>(index_of(substance));
}

result EvaluatePoint(substance_id substance, double concentration, float temperature, concentration_unit unit,
                     bool withWarnings) {
  const expected<std::uint8_t> index = ModelIndex(substance);
  if (!index) return index.error();
  const expected<float> massFraction = MassFraction(*index, concentration, temperature, unit);
  if (!massFraction) return massFraction.error();
  float x = *massFraction;
  if (auto reason = model::InadmissibleReason(*index, x, temperature)) {
    return failure{error_kind::inadmissible_input, std::move(*reason)};
  }
  float limit = 0.0f;
  model::PropertySet set;
  const model::ComputeStatus status = model::ComputeProperties(Tables(), *index, x, temperature, limit, set);
  if (!status.ok()) return failure{error_kind::arithmetic_fault, "arithmetic error: " + status.Message()};
  point p;
  static_cast<properties&>(p) = FromModel(set);
  p.mass_fraction = x;
  if (*index != model::kWater) {
    p.molality = model::MolalityOf(*index, x);
    p.molarity = model::MolarityOf(*index, x, set.Density);
  }
  if (withWarnings) {
    p.warnings = PublicWarnings(model::CheckValidity(*index, x, temperature));
    for (warning& w : PublicWarnings(model::ImpossibleValues(set))) p.warnings.push_back(std::move(w));
  }
  return p;
}

namespace {

// What a thread remembers of the warnings at one substance and temperature:
// the quick limit, and once one is needed a text of either side of it (in a
// slot of their own, so that the table itself stays small).
struct WarningEntry {
  std::uint64_t key = 0;  // 0: empty; a known substance is never 0
  double limit = 0.0;
  std::uint32_t texts = 0;  // 1 + the slot of the texts, 0: none yet
  bool withinWarned = false;
};

struct WarningTexts {
  std::string within, above;
  bool madeWithin = false, madeAbove = false;
};

// A flat table with open addressing, emptied when half full, so that a
// fine temperature sweep never grows it without bound.
class WarningCache {
 public:
  WarningCache() : entries_(kSize) {}

  const std::string& Text(std::uint8_t substance, float massFraction, float temperature) {
    static const std::string kNone;
    if (unkept_ > 0) {
      // Set aside: each text made afresh.
      --unkept_;
      single_.clear();
      model::AppendValidityText(single_, substance, massFraction, temperature);
      return single_;
    }
    WarningEntry& e = Find(substance, temperature);
    const bool above = static_cast<double>(massFraction) > e.limit;
    if (!above && !e.withinWarned) return kNone;
    if (e.texts == 0) {
      // The slots of a table emptied before are used again.
      if (textsUsed_ == texts_.size()) texts_.emplace_back();
      texts_[textsUsed_].madeWithin = texts_[textsUsed_].madeAbove = false;
      e.texts = static_cast<std::uint32_t>(++textsUsed_);
    }
    WarningTexts& t = texts_[e.texts - 1];
    bool& made = above ? t.madeAbove : t.madeWithin;
    std::string& text = above ? t.above : t.within;
    if (!made) {
      // Any point of the same side has the same text.
      text.clear();
      model::AppendValidityText(text, substance, massFraction, temperature);
      made = true;
    }
    return text;
  }

 private:
  static constexpr unsigned kBits = 16;
  static constexpr std::size_t kSize = std::size_t{1} << kBits;

  WarningEntry& Find(std::uint8_t substance, float temperature) {
    const std::uint64_t key = (std::uint64_t{substance} << 32) | std::bit_cast<std::uint32_t>(temperature);
    std::size_t at = (key * 0x9E3779B97F4A7C15ull) >> (64 - kBits);
    for (;; at = (at + 1) & (kSize - 1)) {
      WarningEntry& e = entries_[at];
      if (e.key == key) {
        ++found_;
        return e;
      }
      if (e.key == 0) break;
    }
    if (used_ >= kSize / 2) {
      // Set aside for a while when it saved less than a lookup in four (a
      // measurement log, where temperatures seldom come back).
      std::fill(entries_.begin(), entries_.end(), WarningEntry{});
      if (found_ < used_ / 4) unkept_ = 4 * kSize;
      textsUsed_ = 0;
      used_ = 0;
      found_ = 0;
      return Find(substance, temperature);
    }
    ++used_;
    const model::ValidityLimit quick = model::ValidityLimitAt(substance, temperature);
    entries_[at] = WarningEntry{key, quick.limit, 0, quick.withinWarned};
    return entries_[at];
  }

  std::vector<WarningEntry> entries_;
  std::size_t used_ = 0;
  std::size_t found_ = 0;   // lookups found since the table was emptied
  std::size_t unkept_ = 0;  // lookups still to make without it
  std::vector<WarningTexts> texts_;
  std::size_t textsUsed_ = 0;
  std::string single_;  // a text made while the table is set aside
};

}  // namespace

bool AppendImpossibleValues(std::string& text, const properties& values) {
  if (values.density > 0.0f && values.viscosity > 0.0f && values.surface_tension > 0.0f &&
      values.heat_capacity > 0.0f && values.thermal_conductivity > 0.0f) {
    return false;
  }
  const model::PropertySet set{values.density, values.viscosity, values.surface_tension, values.heat_capacity,
                               values.thermal_conductivity};
  for (const model::Warning& w : model::ImpossibleValues(set)) {
    if (!text.empty()) text += "; ";
    text += w.message;
  }
  return true;
}

const std::string& WarningText(std::uint8_t substance, float massFraction, float temperature) {
  thread_local WarningCache cache;
  return cache.Text(substance, massFraction, temperature);
}

}  // namespace elprops::api
