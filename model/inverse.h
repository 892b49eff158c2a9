// The inverse question: which mass fractions give a property this value?
//
// The answers are singles: the mass fraction whose computed value lies
// nearest to the target among the admissible singles 0 < w < 1. The search
// samples the whole admissible range, keeps every bracket where the value
// is crossed (a property need not be monotonic in the concentration) and
// narrows each bracket to two neighbouring singles by bisection.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/catalogue.h"
#include "model/correlations.h"

namespace elprops::model {

enum class Property : std::uint8_t { Density, Viscosity, SurfaceTension, HeatCapacity, ThermalConductivity };

std::string_view PropertyName(Property property);  // "density", ...
// A quantity as the messages write it: seven significant digits, a tiny
// one as 0.
std::string QuantityText(double value);
float PropertyValue(const PropertySet& properties, Property property);

// One answer of the search.
struct Root {
  // The answer (a mass fraction, or a temperature where the temperature is
  // solved for): of the run of neighbouring singles that compute the chosen
  // value, the one with the fewest significant digits.
  float massFraction = 0.0f;
  double achieved = 0.0;  // the quantity computed at massFraction
  // The two neighbouring singles that straddle the target, and which of
  // them gave the chosen value; both are the answer where a single gives
  // the target exactly.
  float below = 0.0f, above = 0.0f;
  enum class Chosen : std::uint8_t { Exact, Lower, Upper } chosen = Chosen::Exact;
  // The lowest and highest singles around the answer that compute the same
  // value. Where the property levels off they lie far apart: every mass
  // fraction between them gives this value, and one answer stands for all.
  float runFirst = 0.0f, runLast = 0.0f;
  // The run holds more than one of the search's samples: a plateau.
  bool plateau = false;
};

// The smallest and largest quantity over sampled mass fractions, and the
// mass fractions that give them.
struct Reach {
  bool reached = false;  // some sample could be computed
  double min = 0.0, max = 0.0;
  float minAt = 0.0f, maxAt = 0.0f;
  void Add(float w, double value);
};

struct Solution {
  std::vector<Root> roots;  // in ascending mass fraction; empty when out of reach
  // The smallest and largest quantity that the sampled admissible mass
  // fractions reach at the temperature (both 0 when none is computable).
  double reachableMin = 0.0, reachableMax = 0.0;
  // The same with the mass fractions that give them.
  Reach reachable;
  // The salt's solubility at the temperature (NaN where the table has none)
  // and the range over the sampled mass fractions up to it, the solubility
  // itself included.
  double solubility = std::numeric_limits<double>::quiet_NaN();
  Reach soluble;
  std::string error;  // set when there is no root, with the reachable range
  // Out of reach: the error's first words, which value is out of reach for
  // which salt at which temperature, before the range.
  std::string outOfReachHead;
  // No root although some admissible mass fraction can be computed: the
  // value lies outside the reachable range.
  bool outOfReach = false;
};

// The quantity to match at a mass fraction and temperature, from its
// computed properties; nothing where it is not defined.
using Quantity =
    std::function<std::optional<double>(float massFraction, float temperature, const PropertySet& properties)>;

// What a search varies: the mass fraction at a fixed temperature, or the
// temperature at a fixed mass fraction, over the open range (lowest, highest).
struct Axis {
  bool temperature = false;
  float fixed = 0.0f;
  float lowest = 0.0f, highest = 1.0f;
};

// Every admissible mass fraction of `substance` (1..18) at `temperature`
// whose quantity equals `target`. Points the correlations cannot compute are
// gaps: no bracket spans them. `what` names the quantity in the error text.
// A quantity that is a single (a property) is matched against the single
// nearest to the target: a target typed as the shortest text of a computed
// value is met exactly where that value is computed.
Solution SolveQuantity(const SubstanceTables& tables, std::uint8_t substance, float temperature,
                       const Quantity& quantity, double target, std::string_view what, bool singleQuantity = false);

// Every admissible temperature at which the quantity of `substance` (1..19)
// at `massFraction` (ignored for water) equals `target`; the roots' answers
// are temperatures. Otherwise as SolveQuantity.
Solution SolveTemperature(const SubstanceTables& tables, std::uint8_t substance, float massFraction,
                          const Quantity& quantity, double target, std::string_view what, bool singleQuantity = false);

// The same for one of the five properties.
Solution SolveConcentration(const SubstanceTables& tables, std::uint8_t substance, float temperature, Property property,
                            double value);

}  // namespace elprops::model
