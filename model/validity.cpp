#include "model/validity.h"

#include "model/data_text.h"
#include "model/number_text.h"
#include "model/vocabulary.h"

#include <array>
#include <cmath>
#include <span>
#include <stdexcept>
#include <utility>

#include "model/catalogue.h"
#include "model/solubility_data.h"

namespace elprops::model {
namespace {

constexpr double kTableStart = 0.0;  // °C
constexpr double kTableEnd = 100.0;  // °C
constexpr double kBoilingPoint = 100.0;

double ReadNumber(std::string_view text) {
  // The table's numbers are plain decimals with a point; read them without
  // the C locale's help.
  double value = 0.0;
  double scale = 0.0;
  bool digits = false;
  for (const char ch : text) {
    if (ch >= '0' && ch <= '9') {
      value = value * 10.0 + (ch - '0');
      if (scale != 0.0) scale *= 10.0;
      digits = true;
    } else if (ch == '.' && scale == 0.0) {
      scale = 1.0;
    } else {
      throw std::runtime_error("solubility table: not a number: " + std::string(text));
    }
  }
  if (!digits) throw std::runtime_error("solubility table: empty number");
  return scale == 0.0 ? value : value / scale;
}

SolubilityStatus ReadStatus(std::string_view text) {
  if (text == "ok") return SolubilityStatus::Ok;
  if (text == "uncertain") return SolubilityStatus::Uncertain;
  if (text == "ill-defined") return SolubilityStatus::IllDefined;
  throw std::runtime_error("solubility table: unknown status " + std::string(text));
}

std::vector<SolubilityRow> ReadTable() {
  std::vector<SolubilityRow> rows;
  const std::vector<std::string_view> lines = DataLines(kSolubilityCsv);
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const std::string_view line = lines[k];
    const std::vector<std::string_view> f = DataCells(line).value_or(std::vector<std::string_view>{});
    if (f.size() != 7) throw std::runtime_error("solubility table: a row without 7 cells: " + std::string(line));
    rows.push_back(SolubilityRow{f[0], ReadNumber(f[1]), ReadNumber(f[2]), f[3], ReadStatus(f[4]), f[6]});
  }
  return rows;
}

// Four significant digits, as the table gives them, trailing zeros kept.
std::string Fraction(double value) { return FixedText(value, value >= 0.1 ? 4 : (value >= 0.01 ? 5 : 6)); }

std::string Temperature(float t) { return GeneralText(static_cast<double>(t), 6) + " °C"; }

}  // namespace

const std::vector<SolubilityRow>& SolubilityTable() {
  static const std::vector<SolubilityRow> table = ReadTable();
  return table;
}

namespace {

// The rows of each salt, by substance index: [first, last) in the table.
struct SaltRows {
  std::array<std::size_t, kSubstanceCount + 1> first{};
  std::array<std::size_t, kSubstanceCount + 1> last{};
};

const SaltRows& RowsBySalt() {
  static const SaltRows rows = [] {
    SaltRows r;
    const std::vector<SolubilityRow>& table = SolubilityTable();
    for (std::uint8_t s = 1; s < kWater; ++s) {
      const std::string_view formula = CatalogueEntry(s).Formula;
      std::size_t k = 0;
      while (k < table.size() && table[k].formula != formula) ++k;
      r.first[s] = k;
      while (k < table.size() && table[k].formula == formula) ++k;
      r.last[s] = k;
    }
    return r;
  }();
  return rows;
}

}  // namespace

std::optional<SolubilityLimit> Solubility(std::uint8_t substance, double temperature) {
  if (substance < 1 || substance >= kWater) return std::nullopt;
  if (!(temperature >= kTableStart && temperature <= kTableEnd)) return std::nullopt;
  // A salt's rows are together in the table, in order of temperature.
  const SaltRows& salts = RowsBySalt();
  const std::span<const SolubilityRow> rows(SolubilityTable().data() + salts.first[substance],
                                            salts.last[substance] - salts.first[substance]);
  const SolubilityRow* below = nullptr;
  for (const SolubilityRow& row : rows) {
    if (row.temperature <= temperature) {
      below = &row;
      continue;
    }
    if (below == nullptr) return std::nullopt;
    const double share = (temperature - below->temperature) / (row.temperature - below->temperature);
    const SolubilityRow& nearer = share <= 0.5 ? *below : row;
    return SolubilityLimit{below->massFraction + share * (row.massFraction - below->massFraction), nearer.solid,
                           nearer.status, nearer.note};
  }
  if (below != nullptr && below->temperature == temperature) {
    return SolubilityLimit{below->massFraction, below->solid, below->status, below->note};
  }
  return std::nullopt;
}

namespace {

// Appends the warnings and notes of a point to `out` in their order, "; "
// between them, and tells `begun` the kind and the offset in `out` of each
// as it begins: the texts are written straight into what the caller keeps.
template <typename Begun>
void AppendWarnings(std::string& out, std::uint8_t substance, float massFraction, float temperature, Begun&& begun) {
  bool first = true;
  const auto begin = [&](WarningKind kind) -> std::string& {
    if (!first) out += "; ";
    first = false;
    begun(kind, out.size());
    return out;
  };
  const auto t = static_cast<double>(temperature);
  if (substance >= 1 && substance < kWater) {
    const std::string_view formula = CatalogueEntry(substance).Formula;
    const std::optional<SolubilityLimit> limit = Solubility(substance, t);
    if (!limit) {
      begin(WarningKind::NoSolubilityData)
          .append("no solubility data at this temperature (")
          .append(Temperature(temperature))
          .append(") for ")
          .append(formula);
    } else if (limit->status == SolubilityStatus::IllDefined) {
      // The table's note says why, in its first clause ("hydrolyses to ...").
      const std::string_view why = limit->note.substr(0, limit->note.find(';'));
      begin(WarningKind::IllDefined)
          .append("the solubility of ")
          .append(formula)
          .append(" is not well defined: it ")
          .append(why);
    } else if (static_cast<double>(massFraction) > limit->massFraction) {
      std::string& text = begin(WarningKind::AboveSolubility);
      text.append("above the solubility of ").append(formula).append(" at ").append(Temperature(temperature));
      text.append(" (").append(Fraction(limit->massFraction));
      if (!limit->solid.empty()) text.append("; the solid is ").append(limit->solid);
      text += ')';
      if (limit->status == SolubilityStatus::Uncertain) text += "; this limit is uncertain";
    }
  }
  if (t > kBoilingPoint) {
    begin(WarningKind::AboveBoiling)
        .append(
            "above 100 °C the solution boils at atmospheric pressure unless it is kept under "
            "pressure, and the correlations are less accurate (/usr/share/doc/elprops/accuracy.md)");
  }
}

}  // namespace

ValidityLimit ValidityLimitAt(std::uint8_t substance, float temperature) {
  ValidityLimit validity;
  const auto t = static_cast<double>(temperature);
  if (substance >= 1 && substance < kWater) {
    const std::optional<SolubilityLimit> limit = Solubility(substance, t);
    if (!limit || limit->status == SolubilityStatus::IllDefined) {
      validity.withinWarned = true;
    } else {
      validity.limit = limit->massFraction;
    }
  }
  if (t > kBoilingPoint) validity.withinWarned = true;
  return validity;
}

std::vector<Warning> CheckValidity(std::uint8_t substance, float massFraction, float temperature) {
  std::string text;
  std::vector<std::pair<WarningKind, std::size_t>> begins;
  AppendWarnings(text, substance, massFraction, temperature,
                 [&begins](WarningKind kind, std::size_t at) { begins.emplace_back(kind, at); });
  std::vector<Warning> out;
  for (std::size_t k = 0; k < begins.size(); ++k) {
    // Each ends where "; " and the next begin.
    const std::size_t end = k + 1 < begins.size() ? begins[k + 1].second - 2 : text.size();
    out.push_back({begins[k].first, text.substr(begins[k].second, end - begins[k].second)});
  }
  return out;
}

void AppendValidityText(std::string& out, std::uint8_t substance, float massFraction, float temperature) {
  AppendWarnings(out, substance, massFraction, temperature, [](WarningKind, std::size_t) {});
}

std::vector<Warning> ImpossibleValues(const PropertySet& values) {
  std::vector<Warning> out;
  const float v[] = {values.Density, values.Viscosity, values.SurfaceTension, values.HeatCapacity,
                     values.ThermalConductivity};
  for (std::size_t k = 0; k < kPropertyWords.size(); ++k) {
    if (v[k] > 0.0f) continue;
    const std::string number = GeneralText(static_cast<double>(v[k]), 7);
    out.push_back({WarningKind::NotPhysical, "the " + std::string(kPropertyWords[k].words) + " " + number + " " +
                                                 std::string(kPropertyWords[k].asciiUnit) +
                                                 " cannot be true: the correlation is used beyond its range here"});
  }
  return out;
}

std::string JoinWarnings(const std::vector<Warning>& warnings) {
  std::string text;
  for (const Warning& w : warnings) {
    if (!text.empty()) text += "; ";
    text += w.message;
  }
  return text;
}

}  // namespace elprops::model
