#include "model/units.h"

#include "model/number_text.h"
#include "model/vocabulary.h"

#include <array>
#include <cctype>
#include <cmath>
#include <utility>

#include "model/inverse.h"

namespace elprops::model {
namespace {

struct AtomicWeight {
  std::string_view symbol;
  double weight;  // g/mol
};

// IUPAC standard atomic weights, abridged to five significant figures, of
// the elements in the catalogue's formulas.
constexpr std::array<AtomicWeight, 12> kAtomicWeights{{
    {"H", 1.0080},
    {"C", 12.011},
    {"N", 14.007},
    {"O", 15.999},
    {"Na", 22.990},
    {"Mg", 24.305},
    {"S", 32.06},
    {"Cl", 35.45},
    {"K", 39.098},
    {"Ca", 40.078},
    {"Fe", 55.845},
    {"Ba", 137.33},
}};

std::optional<double> ElementWeight(std::string_view symbol) {
  for (const auto& element : kAtomicWeights) {
    if (element.symbol == symbol) return element.weight;
  }
  return std::nullopt;
}

// Reads a formula from `pos`: elements and parenthesised groups, each with
// an optional count, up to the end or a closing parenthesis.
class FormulaReader {
 public:
  explicit FormulaReader(std::string_view text) : text_(text) {}

  // The sum of the weights is a decimal of at most four places; it is
  // rounded to the double nearest to that decimal, so that the rounding of
  // each addition leaves no tail (132.134, not 132.13400000000001).
  std::optional<double> Whole() {
    const std::optional<double> mass = Group();
    if (!mass || pos_ != text_.size()) return std::nullopt;
    return std::round(*mass * 1e4) / 1e4;
  }

 private:
  std::optional<double> Group() {
    double total = 0.0;
    bool any = false;
    while (pos_ < text_.size() && text_[pos_] != ')') {
      std::optional<double> part;
      if (text_[pos_] == '(') {
        ++pos_;
        part = Group();
        if (!part || pos_ >= text_.size() || text_[pos_] != ')') return std::nullopt;
        ++pos_;
      } else if (std::isupper(static_cast<unsigned char>(text_[pos_]))) {
        std::size_t end = pos_ + 1;
        while (end < text_.size() && std::islower(static_cast<unsigned char>(text_[end]))) ++end;
        part = ElementWeight(text_.substr(pos_, end - pos_));
        pos_ = end;
        if (!part) return std::nullopt;
      } else {
        return std::nullopt;
      }
      total += *part * Count();
      any = true;
    }
    if (!any) return std::nullopt;
    return total;
  }

  double Count() {
    int count = 0;
    bool digits = false;
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
      count = count * 10 + (text_[pos_] - '0');
      digits = true;
      ++pos_;
    }
    return digits ? count : 1;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

std::string Number(double v) { return GeneralText(v, 7); }

Conversion Failed(std::string error) {
  Conversion c;
  c.error = std::move(error);
  return c;
}

Conversion Direct(double w) {
  Conversion c;
  c.ok = true;
  c.massFraction = static_cast<float>(w);
  c.achieved = w;
  return c;
}

}  // namespace

std::optional<double> FormulaMolarMass(std::string_view formula) { return FormulaReader(formula).Whole(); }

double StandardMolarMass(std::uint8_t substance) {
  // Every catalogue formula is made of the elements above; each is read
  // once.
  static const std::array<double, kSubstanceCount + 1> masses = [] {
    std::array<double, kSubstanceCount + 1> m{};
    for (std::uint8_t s = 1; s <= kSubstanceCount; ++s) m[s] = *FormulaMolarMass(CatalogueEntry(s).Formula);
    return m;
  }();
  if (substance >= 1 && substance <= kSubstanceCount) return masses[substance];
  return *FormulaMolarMass(CatalogueEntry(substance).Formula);
}

std::string_view UnitName(ConcentrationUnit unit) { return kUnitWords[static_cast<std::size_t>(unit)].name; }

Conversion ToMassFraction(const SubstanceTables& tables, std::uint8_t substance, ConcentrationUnit unit, double value,
                          float temperature) {
  if (!std::isfinite(value)) return Failed("the concentration must be a finite number");
  if (value < 0.0) return Failed("a concentration cannot be negative (" + Number(value) + ")");
  if (unit == ConcentrationUnit::MassFraction) return Direct(value);
  if (unit == ConcentrationUnit::MassPercent) return Direct(value / 100.0);
  if (substance < 1 || substance >= kWater) {
    return Failed(substance == kWater ? "water has no concentration in " + std::string(UnitName(unit))
                                      : "substance " + std::to_string(substance) + " is not in the catalogue");
  }
  const double molarMass = StandardMolarMass(substance);
  if (unit == ConcentrationUnit::Molality) {
    const double solute = value * molarMass;  // g of solute per kg of water
    return Direct(solute / (1000.0 + solute));
  }

  const bool molar = unit == ConcentrationUnit::Molarity;
  const Quantity quantity = [molar, molarMass](float w, float, const PropertySet& p) -> std::optional<double> {
    const double perLitre = static_cast<double>(w) * static_cast<double>(p.Density);  // g/L
    return molar ? perLitre / molarMass : perLitre;
  };
  const Solution solution = SolveQuantity(tables, substance, temperature, quantity, value, UnitName(unit));
  if (solution.roots.empty()) {
    Conversion failed = Failed(solution.error);
    failed.outOfReach = solution.outOfReach;
    return failed;
  }
  // w·ρ rises with w wherever the density does not fall faster than the
  // concentration grows; should it ever turn, the most dilute answer stands.
  Conversion c;
  c.ok = true;
  c.massFraction = solution.roots.front().massFraction;
  c.achieved = solution.roots.front().achieved;
  return c;
}

double MolalityOf(std::uint8_t substance, float massFraction) {
  const double w = static_cast<double>(massFraction);
  return 1000.0 * w / (StandardMolarMass(substance) * (1.0 - w));
}

double MolarityOf(std::uint8_t substance, float massFraction, float density) {
  return MassConcentrationOf(massFraction, density) / StandardMolarMass(substance);
}

double MassConcentrationOf(float massFraction, float density) {
  return static_cast<double>(massFraction) * static_cast<double>(density);
}

}  // namespace elprops::model
