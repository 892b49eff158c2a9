#include "model/inverse.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>

namespace elprops::model {
namespace {

// Samples over the admissible range: the smallest positive single, k/2048
// for k = 1..2047 and the largest single below 1.
constexpr int kSamples = 2048;

std::string Number(double v) {
  // The most dilute sample is the smallest positive single: its tiny
  // quantities read as 0 in a message.
  if (std::fabs(v) < 1e-30) v = 0.0;
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", v);
  return text;
}

class Search {
 public:
  Search(const SubstanceTables& tables, std::uint8_t substance, float temperature, const Quantity& quantity,
         double target)
      : tables_(tables), substance_(substance), temperature_(temperature), quantity_(quantity), target_(target) {}

  [[nodiscard]] std::optional<double> At(float w) const {
    float x = w;
    float limit = 0.0f;
    PropertySet properties;
    if (!ComputeProperties(tables_, substance_, x, temperature_, limit, properties).ok()) return std::nullopt;
    const std::optional<double> q = quantity_(w, properties);
    if (!q || !std::isfinite(*q)) return std::nullopt;
    return q;
  }

  // -1, 0 or +1: the side of the target a value lies on.
  [[nodiscard]] int Side(double value) const { return value < target_ ? -1 : (value > target_ ? 1 : 0); }

  // Narrows [lo, hi] (sides -1/+1 or +1/-1) to two neighbouring singles and
  // chooses the one nearer to the target, the lower one on a tie.
  [[nodiscard]] Root Narrow(float lo, double loValue, float hi, double hiValue) const {
    const int loSide = Side(loValue);
    auto loBits = std::bit_cast<std::uint32_t>(lo);
    auto hiBits = std::bit_cast<std::uint32_t>(hi);
    while (hiBits - loBits > 1) {
      const std::uint32_t midBits = loBits + (hiBits - loBits) / 2;
      const float mid = std::bit_cast<float>(midBits);
      const std::optional<double> value = At(mid);
      if (!value) break;  // a gap inside the bracket: keep what we have
      const int side = Side(*value);
      if (side == 0) return Root{mid, *value, mid, mid, Root::Chosen::Exact};
      if (side == loSide) {
        loBits = midBits;
        loValue = *value;
      } else {
        hiBits = midBits;
        hiValue = *value;
      }
    }
    lo = std::bit_cast<float>(loBits);
    hi = std::bit_cast<float>(hiBits);
    const bool upper = std::fabs(hiValue - target_) < std::fabs(loValue - target_);
    return Root{upper ? hi : lo, upper ? hiValue : loValue, lo, hi, upper ? Root::Chosen::Upper : Root::Chosen::Lower};
  }

  // Many neighbouring singles compute the same value: the model cannot tell
  // them apart. Of that run, the answer is the one with the fewest
  // significant digits (0.1 rather than 0.099999994).
  [[nodiscard]] float Simplest(float w, double value) const {
    const float first = RunEnd(w, value, -1);
    const float last = RunEnd(w, value, +1);
    for (int digits = 1; digits <= 9; ++digits) {
      const double scale = std::pow(10.0, digits - 1 - static_cast<int>(std::floor(std::log10(first))));
      const auto candidate = static_cast<float>(std::ceil(static_cast<double>(first) * scale) / scale);
      if (candidate >= first && candidate <= last && At(candidate) == value) return candidate;
    }
    return w;
  }

 private:
  // The farthest single from w in `direction` (bit steps) whose value is
  // still `value`, found by galloping and then halving.
  [[nodiscard]] float RunEnd(float w, double value, int direction) const {
    const auto start = static_cast<std::int64_t>(std::bit_cast<std::uint32_t>(w));
    const auto same = [&](std::int64_t bits) {
      if (bits < 1 || bits >= static_cast<std::int64_t>(std::bit_cast<std::uint32_t>(1.0f))) return false;
      return At(std::bit_cast<float>(static_cast<std::uint32_t>(bits))) == value;
    };
    std::int64_t good = 0;  // steps known to keep the value
    std::int64_t bad = 1;   // steps known to lose it, once found
    while (bad <= (std::int64_t{1} << 24) && same(start + direction * bad)) {
      good = bad;
      bad *= 2;
    }
    while (bad - good > 1) {
      const std::int64_t mid = good + (bad - good) / 2;
      if (same(start + direction * mid)) {
        good = mid;
      } else {
        bad = mid;
      }
    }
    return std::bit_cast<float>(static_cast<std::uint32_t>(start + direction * good));
  }

 public:
 private:
  const SubstanceTables& tables_;
  std::uint8_t substance_;
  float temperature_;
  const Quantity& quantity_;
  double target_;
};

float SampleAt(int k) {
  if (k == 0) return std::numeric_limits<float>::denorm_min();
  if (k == kSamples) return std::nextafter(1.0f, 0.0f);
  return static_cast<float>(k) / static_cast<float>(kSamples);
}

}  // namespace

std::optional<Property> ParseProperty(std::string_view text) {
  if (text == "density") return Property::Density;
  if (text == "viscosity") return Property::Viscosity;
  if (text == "surface_tension" || text == "surface-tension") return Property::SurfaceTension;
  if (text == "heat_capacity" || text == "heat-capacity") return Property::HeatCapacity;
  if (text == "thermal_conductivity" || text == "thermal-conductivity") return Property::ThermalConductivity;
  return std::nullopt;
}

std::string_view PropertyName(Property property) {
  switch (property) {
    case Property::Density:
      return "density";
    case Property::Viscosity:
      return "viscosity";
    case Property::SurfaceTension:
      return "surface_tension";
    case Property::HeatCapacity:
      return "heat_capacity";
    case Property::ThermalConductivity:
      return "thermal_conductivity";
  }
  return {};
}

float PropertyValue(const PropertySet& properties, Property property) {
  switch (property) {
    case Property::Density:
      return properties.Density;
    case Property::Viscosity:
      return properties.Viscosity;
    case Property::SurfaceTension:
      return properties.SurfaceTension;
    case Property::HeatCapacity:
      return properties.HeatCapacity;
    case Property::ThermalConductivity:
      return properties.ThermalConductivity;
  }
  return 0.0f;
}

Solution SolveQuantity(const SubstanceTables& tables, std::uint8_t substance, float temperature,
                       const Quantity& quantity, double target, std::string_view what) {
  Solution solution;
  if (substance < 1 || substance >= kWater) {
    solution.error = substance == kWater ? "water has no concentration to solve for"
                                         : "substance " + std::to_string(substance) + " is not in the catalogue";
    return solution;
  }
  if (!std::isfinite(target)) {
    solution.error = std::string(what) + " must be a finite number";
    return solution;
  }
  const Search search(tables, substance, temperature, quantity, target);

  std::optional<double> previous;
  float previousW = 0.0f;
  bool reached = false;
  for (int k = 0; k <= kSamples; ++k) {
    const float w = SampleAt(k);
    const std::optional<double> value = search.At(w);
    if (value) {
      if (!reached) {
        solution.reachableMin = solution.reachableMax = *value;
        reached = true;
      }
      solution.reachableMin = std::min(solution.reachableMin, *value);
      solution.reachableMax = std::max(solution.reachableMax, *value);
      const int side = search.Side(*value);
      if (side == 0) {
        solution.roots.push_back(Root{w, *value, w, w, Root::Chosen::Exact});
      } else if (previous && search.Side(*previous) == -side) {
        solution.roots.push_back(search.Narrow(previousW, *previous, w, *value));
      }
    }
    previous = value;
    previousW = w;
  }

  for (Root& root : solution.roots) root.massFraction = search.Simplest(root.massFraction, root.achieved);

  const std::string at = " at " + Number(static_cast<double>(temperature)) + " °C";
  if (!reached) {
    solution.error = "no admissible mass fraction of " + std::string(CatalogueEntry(substance).EnglishName) +
                     " can be computed" + at;
  } else if (solution.roots.empty()) {
    solution.error = std::string(what) + " " + Number(target) + " is out of reach for " +
                     std::string(CatalogueEntry(substance).EnglishName) + at + ": the admissible mass fractions give " +
                     Number(solution.reachableMin) + " to " + Number(solution.reachableMax);
  }
  return solution;
}

Solution SolveConcentration(const SubstanceTables& tables, std::uint8_t substance, float temperature, Property property,
                            double value) {
  const Quantity quantity = [property](float, const PropertySet& p) -> std::optional<double> {
    return static_cast<double>(PropertyValue(p, property));
  };
  return SolveQuantity(tables, substance, temperature, quantity, value, PropertyName(property));
}

}  // namespace elprops::model
