#include "model/inverse.h"

#include "model/admissible.h"
#include "model/number_text.h"
#include "model/validity.h"
#include "model/vocabulary.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

namespace elprops::model {
namespace {

// Samples over the admissible range (lowest, highest): the first single
// above the lowest, highest·k/2048 for k = 1..2047 and the last single below
// the highest. For mass fractions: the smallest positive single, k/2048 and
// the largest single below 1.
constexpr int kSamples = 2048;

std::string Number(double v) { return QuantityText(v); }

class Search {
 public:
  Search(const SubstanceTables& tables, std::uint8_t substance, const Axis& axis, const Quantity& quantity,
         double target)
      : tables_(tables), substance_(substance), axis_(axis), quantity_(quantity), target_(target) {}

  [[nodiscard]] double Target() const { return target_; }

  [[nodiscard]] float SampleAt(int k) const {
    if (k == 0) return std::nextafter(axis_.lowest, axis_.highest);
    if (k == kSamples) return std::nextafter(axis_.highest, axis_.lowest);
    return static_cast<float>(static_cast<double>(axis_.highest) * k / kSamples);
  }

  // The quantity at a value of the searched variable.
  [[nodiscard]] std::optional<double> At(float v) const {
    float x = axis_.temperature ? axis_.fixed : v;
    const float t = axis_.temperature ? v : axis_.fixed;
    float limit = 0.0f;
    PropertySet properties;
    if (!ComputeProperties(tables_, substance_, x, t, limit, properties).ok()) return std::nullopt;
    const std::optional<double> q = quantity_(x, t, properties);
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
  [[nodiscard]] float Simplest(float w, double value, float first, float last) const {
    for (int digits = 1; digits <= 9; ++digits) {
      const double scale = std::pow(10.0, digits - 1 - static_cast<int>(std::floor(std::log10(first))));
      const auto candidate = static_cast<float>(std::ceil(static_cast<double>(first) * scale) / scale);
      if (candidate >= first && candidate <= last && At(candidate) == value) return candidate;
    }
    return w;
  }

  // The farthest single from w in `direction` (bit steps) whose value is
  // still `value`, found by galloping and then halving.
  [[nodiscard]] float RunEnd(float w, double value, int direction) const {
    const auto start = static_cast<std::int64_t>(std::bit_cast<std::uint32_t>(w));
    const auto lowest = static_cast<std::int64_t>(std::bit_cast<std::uint32_t>(axis_.lowest));
    const auto highest = static_cast<std::int64_t>(std::bit_cast<std::uint32_t>(axis_.highest));
    const auto same = [&](std::int64_t bits) {
      if (bits <= lowest || bits >= highest) return false;
      return At(std::bit_cast<float>(static_cast<std::uint32_t>(bits))) == value;
    };
    std::int64_t good = 0;  // steps known to keep the value
    std::int64_t bad = 1;   // steps known to lose it, once found
    while (bad <= (std::int64_t{1} << 31) && same(start + direction * bad)) {
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

 private:
  const SubstanceTables& tables_;
  std::uint8_t substance_;
  Axis axis_;
  const Quantity& quantity_;
  double target_;
};

struct Sample {
  float w = 0.0f;
  std::optional<double> value;
};

// The single between lo and hi where the quantity is largest (or smallest),
// by thirds of the singles between them; nothing where it cannot be computed.
std::optional<Sample> Extremum(const Search& search, float lo, float hi, bool largest) {
  auto a = std::bit_cast<std::uint32_t>(lo);
  auto b = std::bit_cast<std::uint32_t>(hi);
  const auto better = [largest](double x, double y) { return largest ? x > y : x < y; };
  while (b - a > 2) {
    const std::uint32_t m1 = a + (b - a) / 3;
    const std::uint32_t m2 = b - (b - a) / 3;
    const std::optional<double> v1 = search.At(std::bit_cast<float>(m1));
    const std::optional<double> v2 = search.At(std::bit_cast<float>(m2));
    if (!v1 || !v2) return std::nullopt;
    if (better(*v1, *v2)) {
      b = m2;
    } else {
      a = m1;
    }
  }
  Sample best;
  for (std::uint32_t bits = a; bits <= b; ++bits) {
    const float w = std::bit_cast<float>(bits);
    const std::optional<double> v = search.At(w);
    if (v && (!best.value || better(*v, *best.value))) best = Sample{w, v};
  }
  if (!best.value) return std::nullopt;
  return best;
}

// The samples over the admissible range, with the turning point added
// wherever the sampled slope changes sign: a peak between two samples can
// reach a value that neither sample shows.
std::vector<Sample> Scan(const Search& search) {
  std::vector<Sample> samples;
  samples.reserve(kSamples + 1);
  for (int k = 0; k <= kSamples; ++k) samples.push_back({search.SampleAt(k), search.At(search.SampleAt(k))});
  std::vector<Sample> refined;
  refined.reserve(samples.size() + 16);
  refined.push_back(samples.front());
  for (std::size_t k = 1; k + 1 < samples.size(); ++k) {
    const Sample& before = samples[k - 1];
    const Sample& here = samples[k];
    const Sample& after = samples[k + 1];
    std::optional<Sample> turn;
    if (before.value && here.value && after.value) {
      // A top may be flat across two samples: either of them counts.
      const double b = *before.value, h = *here.value, a = *after.value;
      const bool peak = h >= b && h >= a && (h > b || h > a);
      const bool trough = h <= b && h <= a && (h < b || h < a);
      if (peak || trough) turn = Extremum(search, before.w, after.w, peak);
    }
    if (turn && turn->w < here.w && turn->w > refined.back().w) refined.push_back(*turn);
    refined.push_back(here);
    if (turn && turn->w > here.w) refined.push_back(*turn);
  }
  refined.push_back(samples.back());
  return refined;
}

// The crossings of the target between neighbouring samples, and the
// samples that meet it exactly, in ascending mass fraction.
std::vector<Root> Crossings(const Search& search, const std::vector<Sample>& samples, Solution& solution) {
  std::vector<Root> roots;
  const Sample* previous = nullptr;
  for (const Sample& s : samples) {
    if (s.value) {
      solution.reachable.Add(s.w, *s.value);
      if (static_cast<double>(s.w) <= solution.solubility) solution.soluble.Add(s.w, *s.value);
      const int side = search.Side(*s.value);
      if (side == 0) {
        roots.push_back(Root{s.w, *s.value, s.w, s.w, Root::Chosen::Exact});
      } else if (previous != nullptr && previous->value && search.Side(*previous->value) == -side) {
        roots.push_back(search.Narrow(previous->w, *previous->value, s.w, *s.value));
      }
    }
    previous = &s;
  }
  return roots;
}

// Each root's run of singles with the same value and its simplest answer;
// a root inside the run of the one before is the same answer.
std::vector<Root> Answers(const Search& search, const std::vector<Root>& roots) {
  std::vector<Root> answers;
  for (const Root& root : roots) {
    if (!answers.empty() && root.achieved == answers.back().achieved && root.massFraction <= answers.back().runLast) {
      continue;
    }
    Root answer = root;
    answer.runFirst = search.RunEnd(root.massFraction, root.achieved, -1);
    answer.runLast = search.RunEnd(root.massFraction, root.achieved, +1);
    answer.massFraction = search.Simplest(root.massFraction, root.achieved, answer.runFirst, answer.runLast);
    // An exact answer is its own neighbour on both sides.
    if (answer.chosen == Root::Chosen::Exact) answer.below = answer.above = answer.massFraction;
    int samplesInRun = 0;
    for (int k = 0; k <= kSamples && samplesInRun < 2; ++k) {
      if (search.SampleAt(k) >= answer.runFirst && search.SampleAt(k) <= answer.runLast) ++samplesInRun;
    }
    answer.plateau = samplesInRun >= 2;
    answers.push_back(answer);
  }
  return answers;
}

}  // namespace

std::string QuantityText(double v) {
  // The most dilute sample is the smallest positive single: its tiny
  // quantities read as 0 in a message.
  if (std::fabs(v) < 1e-30) v = 0.0;
  return GeneralText(v, 7);
}

void Reach::Add(float w, double value) {
  if (!reached || value < min) {
    min = value;
    minAt = w;
  }
  if (!reached || value > max) {
    max = value;
    maxAt = w;
  }
  reached = true;
}

std::string_view PropertyName(Property property) { return kPropertyWords[static_cast<std::size_t>(property)].name; }

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

namespace {

// The roots of one search and, where there are none, the reason; `where`
// says at which fixed concentration or temperature, `over` what was varied.
// `solution` comes with the solubility where the search is over mass
// fractions.
void Solve(const Search& search, Solution& solution, double target, std::string_view what, std::string_view where,
           std::string_view over, std::uint8_t substance) {
  solution.roots = Answers(search, Crossings(search, Scan(search), solution));
  solution.reachableMin = solution.reachable.min;
  solution.reachableMax = solution.reachable.max;
  const std::string name(CatalogueEntry(substance).EnglishName);
  if (!solution.reachable.reached) {
    solution.error = "no admissible " + std::string(over) + " of " + name + " can be computed" + std::string(where);
  } else if (solution.roots.empty()) {
    solution.outOfReach = true;
    solution.outOfReachHead =
        std::string(what) + " " + Number(target) + " is out of reach for " + name + std::string(where);
    solution.error = solution.outOfReachHead + ": the admissible " + std::string(over) + "s give " +
                     Number(solution.reachableMin) + " to " + Number(solution.reachableMax);
  }
}

// The target as matched: a quantity that is a single is matched against the
// single nearest to the target.
double Matched(double target, bool singleQuantity) {
  return singleQuantity && std::fabs(target) <= static_cast<double>(FLT_MAX)
             ? static_cast<double>(static_cast<float>(target))
             : target;
}

}  // namespace

Solution SolveQuantity(const SubstanceTables& tables, std::uint8_t substance, float temperature,
                       const Quantity& quantity, double target, std::string_view what, bool singleQuantity) {
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
  const Axis axis{false, temperature, 0.0f, 1.0f};
  const Search search(tables, substance, axis, quantity, Matched(target, singleQuantity));
  if (const std::optional<SolubilityLimit> limit = Solubility(substance, static_cast<double>(temperature))) {
    solution.solubility = limit->massFraction;
  }
  Solve(search, solution, target, what, " at " + Number(static_cast<double>(temperature)) + " °C", "mass fraction",
        substance);
  // The solubility itself closes the range below it.
  const auto atLimit = static_cast<float>(solution.solubility);
  if (std::isfinite(solution.solubility) && static_cast<double>(atLimit) > solution.solubility) {
    const float below = std::nextafter(atLimit, 0.0f);
    if (const std::optional<double> v = search.At(below)) solution.soluble.Add(below, *v);
  } else if (std::isfinite(solution.solubility) && atLimit > 0.0f) {
    if (const std::optional<double> v = search.At(atLimit)) solution.soluble.Add(atLimit, *v);
  }
  return solution;
}

Solution SolveTemperature(const SubstanceTables& tables, std::uint8_t substance, float massFraction,
                          const Quantity& quantity, double target, std::string_view what, bool singleQuantity) {
  Solution solution;
  if (substance < 1 || substance > kWater) {
    solution.error = "substance " + std::to_string(substance) + " is not in the catalogue";
    return solution;
  }
  if (!std::isfinite(target)) {
    solution.error = std::string(what) + " must be a finite number";
    return solution;
  }
  const Axis axis{true, substance == kWater ? 0.0f : massFraction, kLowestTemperature, TemperatureLimitOf(substance)};
  const Search search(tables, substance, axis, quantity, Matched(target, singleQuantity));
  const std::string where = substance == kWater ? "" : " at mass fraction " + Number(static_cast<double>(massFraction));
  Solve(search, solution, target, what, where, "temperature", substance);
  return solution;
}

Solution SolveConcentration(const SubstanceTables& tables, std::uint8_t substance, float temperature, Property property,
                            double value) {
  const Quantity quantity = [property](float, float, const PropertySet& p) -> std::optional<double> {
    return static_cast<double>(PropertyValue(p, property));
  };
  return SolveQuantity(tables, substance, temperature, quantity, value, PropertyName(property), true);
}

}  // namespace elprops::model
