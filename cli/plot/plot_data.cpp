#include "cli/plot/plot_data.h"

#include <cmath>

#include "cli/input/sweep.h"
#include "cli/output/point_output.h"
#include "model/admissible.h"
#include "model/correlations.h"
#include "model/units.h"
#include "model/validity.h"

namespace elprops::cli {
namespace {

struct PropertyText {
  std::string_view russian;
  std::string_view english;
};

// The axis labels: the property and its unit as the window shows them, in
// the order of the properties.
constexpr PropertyText kPropertyTexts[] = {
    {"Плотность, кг/м³", "Density, kg/m³"},
    {"Вязкость, Па·с", "Viscosity, Pa·s"},
    {"Поверхностное натяжение, Н/м", "Surface tension, N/m"},
    {"Теплоёмкость, Дж/(кг·К)", "Heat capacity, J/(kg·K)"},
    {"Теплопроводность, Вт/(м·К)", "Thermal conductivity, W/(m·K)"},
};

std::string_view Pick(PlotLanguage language, std::string_view russian, std::string_view english) {
  return language == PlotLanguage::Russian ? russian : english;
}

// Cyrillic capitals of UTF-8 text to small letters; everything else as it is.
std::string LowerCyrillic(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0xD0 && i + 1 < text.size()) {
      const auto d = static_cast<unsigned char>(text[i + 1]);
      if (d >= 0x90 && d <= 0x9F) {  // А to П
        out += '\xD0';
        out += static_cast<char>(d + 0x20);
        ++i;
        continue;
      }
      if (d >= 0xA0 && d <= 0xAF) {  // Р to Я
        out += '\xD1';
        out += static_cast<char>(d - 0x20);
        ++i;
        continue;
      }
      if (d == 0x81) {  // Ё
        out += "\xD1\x91";
        ++i;
        continue;
      }
    }
    out += static_cast<char>(c);
  }
  return out;
}

// The first letter of UTF-8 text as a capital (Latin or Cyrillic).
std::string CapitalizeFirst(std::string text) {
  if (text.empty()) return text;
  const auto c = static_cast<unsigned char>(text[0]);
  if (c >= 'a' && c <= 'z') {
    text[0] = static_cast<char>(c - 'a' + 'A');
  } else if (text.size() > 1) {
    const auto d = static_cast<unsigned char>(text[1]);
    if (c == 0xD0 && d >= 0xB0 && d <= 0xBF) {  // а to п
      text[1] = static_cast<char>(d - 0x20);
    } else if (c == 0xD1 && d >= 0x80 && d <= 0x8F) {  // р to я
      text[0] = '\xD0';
      text[1] = static_cast<char>(d + 0x20);
    } else if (c == 0xD1 && d == 0x91) {  // ё
      text[0] = '\xD0';
      text[1] = '\x81';
    }
  }
  return text;
}

// The list caption names a salt cation first ("КАЛЬЦИЯ ХЛОРИД"); the name
// reads anion first ("хлорид кальция").
std::string RussianName(std::uint8_t substance) {
  const std::string_view caption = TrimBlanks(model::kCatalogue[substance - 1u].Caption);
  const std::size_t blank = caption.find(' ');
  std::string name(caption);
  if (blank != std::string_view::npos) {
    name = std::string(TrimBlanks(caption.substr(blank + 1)));
    name += ' ';
    name += caption.substr(0, blank);
  }
  return CapitalizeFirst(LowerCyrillic(name));
}

// A formula with its digits as subscripts: "(NH₄)₂SO₄".
std::string SubscriptFormula(std::string_view formula) {
  std::string out;
  for (const char c : formula) {
    if (c >= '0' && c <= '9') {
      // U+2080 to U+2089.
      out += "\xE2\x82";
      out += static_cast<char>(0x80 + (c - '0'));
    } else {
      out += c;
    }
  }
  return out;
}

// A single in its shortest text with the given decimal separator.
std::string NumberText(float value, std::string_view separator) {
  std::string text;
  for (const char c : ShortestText(value)) {
    if (c == '.') {
      text += separator;
    } else {
      text += c;
    }
  }
  return text;
}

// A concentration unit in the texts: its quantity's symbol and its unit.
struct UnitText {
  std::string_view symbol;
  std::string_view russian;
  std::string_view english;
};

// In the order of model::ConcentrationUnit.
constexpr UnitText kUnitTexts[] = {
    {"x", "кг/кг", "kg/kg"}, {"w", "%", "%"}, {"m", "моль/кг", "mol/kg"}, {"c", "моль/л", "mol/L"}, {"γ", "г/л", "g/L"},
};

const UnitText& TextOf(model::ConcentrationUnit unit) { return kUnitTexts[static_cast<std::size_t>(unit)]; }

// "x = 0,1", "m = 1 моль/кг" or "t = 20 °C".
std::string ValueLabel(PlotAxis axis, float fixed, std::string_view separator, model::ConcentrationUnit unit,
                       PlotLanguage language) {
  if (axis == PlotAxis::Concentration) return "t = " + NumberText(fixed, separator) + " °C";
  const UnitText& text = TextOf(unit);
  std::string label = std::string(text.symbol) + " = " + NumberText(fixed, separator);
  if (unit != model::ConcentrationUnit::MassFraction)
    label += " " + std::string(Pick(language, text.russian, text.english));
  return label;
}

// A mass fraction in `unit` at temperature `t`; NaN when the density it
// needs cannot be computed.
double InUnit(const model::SubstanceTables& tables, std::uint8_t substance, double w, float t,
              model::ConcentrationUnit unit) {
  switch (unit) {
    case model::ConcentrationUnit::MassFraction:
      return w;
    case model::ConcentrationUnit::MassPercent:
      return w * 100.0;
    case model::ConcentrationUnit::Molality:
      return model::MolalityOf(substance, static_cast<float>(w));
    case model::ConcentrationUnit::Molarity:
    case model::ConcentrationUnit::MassConcentration: {
      float x = static_cast<float>(w);
      float limit = 0.0f;
      model::PropertySet p;
      if (!model::ComputeProperties(tables, substance, x, t, limit, p).ok()) return std::nan("");
      return unit == model::ConcentrationUnit::Molarity ? model::MolarityOf(substance, static_cast<float>(w), p.Density)
                                                        : model::MassConcentrationOf(static_cast<float>(w), p.Density);
    }
  }
  return std::nan("");
}

bool AboveSolubility(std::uint8_t substance, float massFraction, float temperature) {
  for (const model::Warning& warning : model::CheckValidity(substance, massFraction, temperature)) {
    if (warning.kind == model::WarningKind::AboveSolubility) return true;
  }
  return false;
}

// The values of the options of one quantity, each a value or a range.
bool ExpandValues(const std::vector<std::string>& texts, std::string_view option, std::vector<Sweep>& sweeps,
                  std::string& error) {
  for (const std::string& text : texts) {
    std::optional<Sweep> sweep = Sweep::Parse(text, error);
    if (!sweep) {
      error = std::string(option) + " " + error;
      return false;
    }
    sweeps.push_back(*sweep);
  }
  return true;
}

bool IsRange(const std::vector<Sweep>& sweeps) {
  for (const Sweep& s : sweeps) {
    if (s.Count() > 1) return true;
  }
  return false;
}

std::size_t ValueCount(const std::vector<Sweep>& sweeps) {
  std::size_t n = 0;
  for (const Sweep& s : sweeps) n += s.Count();
  return n;
}

}  // namespace

std::optional<std::vector<PlotProperty>> PlotPropertiesNamed(std::string_view name) {
  if (name == "all") {
    return std::vector<PlotProperty>{PlotProperty::Density, PlotProperty::Viscosity, PlotProperty::SurfaceTension,
                                     PlotProperty::HeatCapacity, PlotProperty::ThermalConductivity};
  }
  // The names with underscores only, as the help gives them.
  for (std::size_t i = 0; i < std::size(kPropertyTexts); ++i) {
    const auto property = static_cast<PlotProperty>(i);
    if (model::PropertyName(property) == name) return std::vector<PlotProperty>{property};
  }
  return std::nullopt;
}

std::optional<PlotRequest> MakePlotRequest(const PlotOptions& options, std::string& error) {
  PlotRequest request;
  if (auto properties = PlotPropertiesNamed(options.property)) {
    request.properties = std::move(*properties);
  } else {
    error = "unknown property \"" + options.property +
            "\": give density, viscosity, surface_tension, heat_capacity, thermal_conductivity or all";
    return std::nullopt;
  }
  if (options.substances.empty()) {
    error = "--substance is required";
    return std::nullopt;
  }
  std::vector<std::uint8_t> substances;
  for (const std::string& text : options.substances) {
    const std::optional<std::uint8_t> substance = FindSubstance(text);
    if (!substance) {
      error = "unknown substance \"" + text + "\": give its index 1 to 19 or its formula (see elprops-cli list)";
      return std::nullopt;
    }
    substances.push_back(*substance);
  }

  std::vector<Sweep> temperatures;
  std::vector<Sweep> concentrations;
  if (!ExpandValues(options.temperatures, "--temperature", temperatures, error) ||
      !ExpandValues(options.concentrations, "--concentration", concentrations, error)) {
    return std::nullopt;
  }
  if (!options.unit.empty()) {
    const std::optional<model::ConcentrationUnit> unit = model::ParseConcentrationUnit(options.unit);
    if (!unit) {
      error = "--unit \"" + options.unit + "\": give fraction, percent, molality, molarity or g/L";
      return std::nullopt;
    }
    request.unit = *unit;
  }
  if (options.axis == "temperature") {
    request.axis = PlotAxis::Temperature;
  } else if (options.axis == "concentration") {
    request.axis = PlotAxis::Concentration;
  } else if (!options.axis.empty()) {
    error = "--x \"" + options.axis + "\": give temperature or concentration";
    return std::nullopt;
  } else if (IsRange(temperatures) && IsRange(concentrations)) {
    error =
        "both --temperature and --concentration are ranges: choose the horizontal axis with --x temperature or "
        "--x concentration";
    return std::nullopt;
  } else if (IsRange(temperatures)) {
    request.axis = PlotAxis::Temperature;
  } else if (IsRange(concentrations)) {
    request.axis = PlotAxis::Concentration;
  } else {
    error = "no range: give --temperature or --concentration as a range FROM:TO:STEP of more than one value";
    return std::nullopt;
  }
  const bool alongTemperature = request.axis == PlotAxis::Temperature;
  const std::vector<Sweep>& axisSweeps = alongTemperature ? temperatures : concentrations;
  const std::vector<Sweep>& otherSweeps = alongTemperature ? concentrations : temperatures;
  const std::string axisOption = alongTemperature ? "--temperature" : "--concentration";
  const std::string otherOption = alongTemperature ? "--concentration" : "--temperature";
  if (axisSweeps.size() != 1 || axisSweeps[0].Count() < 2) {
    error = "the horizontal axis needs " + axisOption + " given once, as a range FROM:TO:STEP of more than one value";
    return std::nullopt;
  }
  const Sweep& axis = axisSweeps[0];
  if (axis.Count() > kMaxPlotPoints) {
    error = axisOption + " gives " + std::to_string(axis.Count()) + " values; a plot takes at most " +
            std::to_string(kMaxPlotPoints) + " (use a larger step)";
    return std::nullopt;
  }
  if (!axis.At(0).ok() || !axis.At(axis.Count() - 1).ok()) {
    error = axisOption + " goes beyond the single-precision range";
    return std::nullopt;
  }
  for (std::size_t k = 0; k < axis.Count(); ++k) request.xs.push_back(axis.At(k));

  for (const std::uint8_t s : substances) {
    if (s == model::kWater && !alongTemperature) {
      error = "water has no concentration: plot it against --temperature";
      return std::nullopt;
    }
  }
  std::vector<ParsedNumber> others;
  if (ValueCount(otherSweeps) > kMaxPlotCurves) {
    error = otherOption + " gives " + std::to_string(ValueCount(otherSweeps)) + " values; a plot takes at most " +
            std::to_string(kMaxPlotCurves) + " curves";
    return std::nullopt;
  }
  for (const Sweep& s : otherSweeps) {
    for (std::size_t k = 0; k < s.Count(); ++k) {
      others.push_back(s.At(k));
      if (!others.back().ok()) {
        error = otherOption + " goes beyond the single-precision range";
        return std::nullopt;
      }
    }
  }
  if (others.empty()) {
    for (const std::uint8_t s : substances) {
      if (alongTemperature && s == model::kWater) continue;
      error = otherOption + " is required" +
              (alongTemperature ? " for " + std::string(model::kCatalogue[s - 1u].Formula) : std::string());
      return std::nullopt;
    }
    others.push_back(ParsedNumber{});  // water only: its concentration 0
  }

  if (substances.size() > 1) {
    if (others.size() != 1) {
      error = "several substances are drawn at a single value: give one " + otherOption;
      return std::nullopt;
    }
    if (substances.size() > kMaxPlotCurves) {
      error = "a plot takes at most " + std::to_string(kMaxPlotCurves) + " substances";
      return std::nullopt;
    }
    request.bySubstance = true;
    for (const std::uint8_t s : substances) {
      // Water has no concentration; it is drawn beside the solutions.
      const bool water = s == model::kWater && alongTemperature;
      request.curves.push_back({s, water ? ParsedNumber{} : others[0]});
    }
  } else {
    for (const ParsedNumber& value : others) request.curves.push_back({substances[0], value});
  }
  return request;
}

PlotData MakePlotData(const model::SubstanceTables& tables, const PlotRequest& request, PlotLanguage language,
                      std::string_view decimalSeparator) {
  PlotData data;
  report::PlotFigure& figure = data.figure;
  const bool alongTemperature = request.axis == PlotAxis::Temperature;
  const model::ConcentrationUnit unit = request.unit;
  const bool inFraction = unit == model::ConcentrationUnit::MassFraction;
  figure.decimalSeparator = std::string(decimalSeparator);
  if (alongTemperature) {
    figure.xAxisLabel = std::string(Pick(language, "Температура, °C", "Temperature, °C"));
  } else if (inFraction) {
    figure.xAxisLabel = std::string(Pick(language, "Концентрация, кг/кг", "Concentration, kg/kg"));
  } else {
    const UnitText& text = TextOf(unit);
    figure.xAxisLabel = std::string(Pick(language, "Концентрация ", "Concentration ")) + std::string(text.symbol) +
                        ", " + std::string(Pick(language, text.russian, text.english));
  }
  if (!request.xs.empty()) {
    figure.xFrom = static_cast<double>(request.xs.front().value);
    figure.xTo = static_cast<double>(request.xs.back().value);
  }
  const auto valueLabel = [&](float fixed) {
    return ValueLabel(request.axis, fixed, decimalSeparator, unit, language);
  };
  const bool water = request.curves.size() == 1 && request.curves[0].substance == model::kWater && alongTemperature &&
                     request.curves[0].fixed.ok() && request.curves[0].fixed.value == 0.0f;
  if (!request.curves.empty()) figure.title = SubstanceTitle(request.curves[0].substance, language);
  if (request.bySubstance) {
    // The substances are in the legend; the title says where they are drawn.
    for (const PlotCurveRequest& curve : request.curves) {
      if (curve.substance == model::kWater && alongTemperature) continue;
      figure.title = std::string(Pick(language, "Растворы при ", "Solutions at ")) + valueLabel(curve.fixed.value);
      break;
    }
  }
  // The label of a boundary line: what it is, and whose.
  const auto boundaryLabel = [&](std::string_view russian, std::string_view english, const PlotCurveRequest& asked) {
    std::string label(Pick(language, russian, english));
    if (request.bySubstance) {
      label += " " + SubscriptFormula(model::kCatalogue[asked.substance - 1u].Formula);
    } else {
      label += std::string(Pick(language, " при ", " at ")) + valueLabel(asked.fixed.value);
    }
    return label;
  };

  // Evaluate every point once; the panels take their property from it.
  struct Evaluated {
    report::PlotGap gap = report::PlotGap::None;
    bool beyondSolubility = false;
    model::PropertySet properties;
  };
  std::vector<std::vector<Evaluated>> results(request.curves.size());
  PointOutcome outcome;
  for (std::size_t c = 0; c < request.curves.size(); ++c) {
    const PlotCurveRequest& asked = request.curves[c];
    const std::string_view formula = model::kCatalogue[asked.substance - 1u].Formula;
    const bool isWater = asked.substance == model::kWater;
    bool above = false;
    bool below = false;
    // Where the curve crosses calcium chloride's saturation, when its
    // concentration is not a fixed mass fraction: the x of the last point
    // on one side, the excess over the limit there, then on the other.
    std::optional<std::pair<double, double>> lastSide;
    std::optional<double> crossing;
    for (const ParsedNumber& x : request.xs) {
      const ParsedNumber given = alongTemperature ? asked.fixed : x;
      const ParsedNumber temperature = alongTemperature ? x : asked.fixed;
      ParsedNumber concentration = given;
      Evaluated point;
      ++data.points;
      if (given.ok() && temperature.ok() && !inFraction && !isWater) {
        const model::Conversion conversion =
            model::ToMassFraction(tables, asked.substance, unit, static_cast<double>(given.value), temperature.value);
        if (!conversion.ok) {
          point.gap = report::PlotGap::Unconvertible;
          ++data.unconvertible;
          results[c].push_back(point);
          continue;
        }
        concentration.value = conversion.massFraction;
      }
      if (!concentration.ok() || !temperature.ok() ||
          InadmissibleReason(asked.substance, concentration.value, temperature.value)) {
        point.gap = report::PlotGap::Inadmissible;
        ++data.inadmissible;
      } else {
        const bool saturated = asked.substance == model::kCalciumChloride &&
                               model::SaturationConcentration(temperature.value) < concentration.value;
        if (asked.substance == model::kCalciumChloride && alongTemperature) {
          const double excess = static_cast<double>(concentration.value) -
                                static_cast<double>(model::SaturationConcentration(temperature.value));
          const double at = static_cast<double>(x.value);
          if (lastSide && !crossing && (lastSide->second > 0.0) != saturated) {
            const double share = lastSide->second / (lastSide->second - excess);
            crossing = lastSide->first + share * (at - lastSide->first);
          }
          lastSide = std::make_pair(at, excess);
        }
        if (saturated) {
          point.gap = report::PlotGap::AboveSaturation;
          ++data.aboveSaturation;
          above = true;
        } else {
          below = below || asked.substance == model::kCalciumChloride;
          EvaluatePoint(tables, formula, concentration, temperature, outcome);
          if (outcome.ok()) {
            point.properties = *outcome.properties;
            point.beyondSolubility = AboveSolubility(asked.substance, concentration.value, temperature.value);
            if (point.beyondSolubility) ++data.beyondSolubility;
          } else {
            point.gap = report::PlotGap::ArithmeticFault;
            if (data.failed++ == 0) data.firstFault = outcome.error;
          }
        }
      }
      results[c].push_back(point);
    }
    if (above && below) {
      // The curve crosses the saturation: its limit is marked where the
      // curve begins or ends.
      report::PlotBoundary boundary;
      boundary.curve = c;
      if (!alongTemperature) {
        boundary.x =
            InUnit(tables, asked.substance, static_cast<double>(model::SaturationConcentration(asked.fixed.value)),
                   asked.fixed.value, unit);
      } else if (inFraction) {
        boundary.x = std::log(static_cast<double>(asked.fixed.value) / 0.52551) / 0.00156214;
      } else {
        boundary.x = crossing.value_or(std::nan(""));
      }
      if (std::isfinite(boundary.x)) {
        boundary.x = std::fmin(std::fmax(boundary.x, figure.xFrom), figure.xTo);
        boundary.label = boundaryLabel("насыщение", "saturation", asked);
        figure.boundaries.push_back(std::move(boundary));
      }
    }
    // On a concentration axis the solubility at the curve's temperature is
    // marked where it lies inside the plot. A salt whose solubility is not
    // well defined there has none marked.
    if (!alongTemperature && asked.fixed.ok()) {
      const std::optional<model::SolubilityLimit> limit = model::Solubility(asked.substance, asked.fixed.value);
      if (limit && limit->status != model::SolubilityStatus::IllDefined) {
        const double at = InUnit(tables, asked.substance, limit->massFraction, asked.fixed.value, unit);
        if (std::isfinite(at) && at >= figure.xFrom && at <= figure.xTo) {
          report::PlotBoundary boundary;
          boundary.kind = report::PlotBoundaryKind::Solubility;
          boundary.curve = c;
          boundary.x = at;
          boundary.label = boundaryLabel("растворимость", "solubility", asked);
          if (limit->status == model::SolubilityStatus::Uncertain) {
            boundary.label += std::string(Pick(language, " (неточно)", " (uncertain)"));
          }
          figure.boundaries.push_back(std::move(boundary));
        }
      }
    }
  }

  for (const PlotProperty property : request.properties) {
    report::PlotPanel panel;
    const PropertyText& text = kPropertyTexts[static_cast<std::size_t>(property)];
    panel.axisLabel = std::string(Pick(language, text.russian, text.english));
    for (std::size_t c = 0; c < request.curves.size(); ++c) {
      const PlotCurveRequest& asked = request.curves[c];
      report::PlotCurve curve;
      if (request.bySubstance) {
        curve.label = SubstanceTitle(asked.substance, language);
      } else if (!water) {
        curve.label = valueLabel(asked.fixed.value);
      }
      for (std::size_t k = 0; k < request.xs.size(); ++k) {
        report::PlotPoint point;
        point.x = request.xs[k].value;
        point.gap = results[c][k].gap;
        point.beyondSolubility = results[c][k].beyondSolubility;
        if (point.gap == report::PlotGap::None) point.value = PropertyValue(results[c][k].properties, property);
        curve.points.push_back(point);
      }
      panel.curves.push_back(std::move(curve));
    }
    figure.panels.push_back(std::move(panel));
  }

  if (data.LeftOut() > 0) {
    std::string note = std::string(Pick(language, "Пропущено точек: ", "Points left out: ")) +
                       std::to_string(data.LeftOut()) + std::string(Pick(language, " из ", " of ")) +
                       std::to_string(data.points);
    std::string reasons;
    const auto reason = [&](std::size_t count, std::string_view russian, std::string_view english) {
      if (count == 0) return;
      if (!reasons.empty()) reasons += "; ";
      reasons += std::string(Pick(language, russian, english)) + ": " + std::to_string(count);
    };
    reason(data.aboveSaturation, "выше насыщения хлорида кальция", "above the saturation of calcium chloride");
    reason(data.unconvertible, "концентрация не переводится в массовую долю", "no mass fraction for the concentration");
    reason(data.inadmissible, "вне допустимых значений", "outside the admissible values");
    reason(data.failed, "ошибка вычисления", "arithmetic fault");
    figure.notes.push_back(note + " (" + reasons + ")");
  }
  if (data.beyondSolubility > 0) {
    figure.notes.push_back(
        std::string(Pick(language, "Выше растворимости (штриховая линия): ", "Above the solubility (dashed): ")) +
        std::to_string(data.beyondSolubility) + std::string(Pick(language, " из ", " of ")) +
        std::to_string(data.points) + std::string(Pick(language, " точек", " points")));
  }
  return data;
}

std::optional<PlotLanguage> PlotLanguageNamed(std::string_view name) {
  if (name == "ru") return PlotLanguage::Russian;
  if (name == "en") return PlotLanguage::English;
  return std::nullopt;
}

PlotLanguage DefaultPlotLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value == nullptr || *value == '\0') continue;
    return std::string_view(value).starts_with("ru") ? PlotLanguage::Russian : PlotLanguage::English;
  }
  return PlotLanguage::English;
}

PlotSize DefaultPlotSize(report::PlotFileFormat format) {
  if (format == report::PlotFileFormat::Pdf) return {210, 148};
  return {1200, 800};
}

std::optional<PlotSize> ParsePlotSize(std::string_view text, report::PlotFileFormat format, std::string& error) {
  const bool pdf = format == report::PlotFileFormat::Pdf;
  const std::string_view unit = pdf ? " mm" : " px";
  const int least = pdf ? 60 : 300;
  const int most = pdf ? 2000 : 10000;
  const std::size_t x = text.find_first_of("xX");
  PlotSize size;
  const auto whole = [](std::string_view part, int& value) {
    if (part.empty() || part.size() > 6) return false;
    value = 0;
    for (const char c : part) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    return true;
  };
  if (x == std::string_view::npos || !whole(text.substr(0, x), size.width) || !whole(text.substr(x + 1), size.height)) {
    error = "--size \"" + std::string(text) + "\" is not WIDTHxHEIGHT in whole" + (pdf ? " millimetres" : " pixels") +
            " (e.g. " + (pdf ? "210x148" : "1200x800") + ")";
    return std::nullopt;
  }
  if (size.width < least || size.height < least || size.width > most || size.height > most) {
    error = "--size \"" + std::string(text) + "\": width and height must be from " + std::to_string(least) +
            std::string(unit) + " to " + std::to_string(most) + std::string(unit);
    return std::nullopt;
  }
  return size;
}

std::string SubstanceTitle(std::uint8_t substance, PlotLanguage language) {
  const model::CatalogueRow& row = model::kCatalogue[substance - 1u];
  const std::string name =
      language == PlotLanguage::Russian ? RussianName(substance) : CapitalizeFirst(std::string(row.EnglishName));
  return name + " " + SubscriptFormula(row.Formula);
}

}  // namespace elprops::cli
