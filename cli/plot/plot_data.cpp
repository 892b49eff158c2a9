#include "cli/plot/plot_data.h"

#include <algorithm>
#include <cmath>
#include <elprops/compute.hpp>
#include <elprops/derived.hpp>
#include <elprops/reference.hpp>
#include <elprops/saturation.hpp>
#include <elprops/text.hpp>
#include <elprops/units.hpp>
#include <elprops/validity.hpp>
#include <utility>

#include "cli/input/sweep.h"

namespace elprops::cli {
namespace {

std::string_view Pick(PlotLanguage language, std::string_view russian, std::string_view english) {
  return language == PlotLanguage::Russian ? russian : english;
}

// --- Words ----------------------------------------------------------------------

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
std::string RussianName(std::string_view caption) {
  caption = TrimBlanks(caption);
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

// "a, b, c or d".
template <typename Names>
std::string Alternatives(const Names& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += names[i];
  }
  return text;
}

// The letter of each concentration unit's quantity in the labels, in the
// order of concentration_unit: w for the mass fraction (x is the mole
// fraction).
constexpr std::string_view kQuantityLetters[] = {"w", "w", "m", "c", "γ"};
static_assert(std::size(kQuantityLetters) == concentration_unit_count);

std::string_view QuantityLetter(concentration_unit unit) { return kQuantityLetters[static_cast<std::size_t>(unit)]; }

// A concentration unit's symbol in the language: "моль/кг", "mol/kg".
std::string_view UnitSymbol(concentration_unit unit, PlotLanguage language) {
  return Pick(language, describe(unit).russian_symbol, describe(unit).symbol);
}

// A panel's axis label: the quantity as the window names it, and the unit
// the panel shows (none for a number without unit).
std::string PropertyAxisLabel(PlotProperty property, const PlotValueUnit& unit, PlotLanguage language) {
  const quantity_info& info = describe(property);
  const bool russian = language == PlotLanguage::Russian;
  std::string label =
      russian ? CapitalizeFirst(LowerCyrillic(info.russian_caption)) : CapitalizeFirst(std::string(info.words));
  // A name stays a capital: "Число Прандтля".
  const std::size_t blank = label.find(' ');
  if (property == quantity_kind::prandtl_number && russian && blank != std::string::npos) {
    label = label.substr(0, blank + 1) + CapitalizeFirst(label.substr(blank + 1));
  }
  const std::string_view symbol = russian ? unit.russianSymbol : unit.symbol;
  if (!symbol.empty()) label += ", " + std::string(symbol);
  return label;
}

// Whether no solution has a value of the quantity at or below zero: all but
// the thermal expansion (negative in water below 4 °C) and the heat taken
// up (negative below the reference temperature).
bool MustBePositive(PlotProperty property) {
  return property != quantity_kind::thermal_expansion && property != quantity_kind::heat_taken_up;
}

// The units a panel may show a property in, the SI unit first, with the
// names the options take.
struct ValueUnitRow {
  PlotProperty property;
  std::vector<std::string_view> names;
  PlotValueUnit unit;
};

const std::vector<ValueUnitRow>& ValueUnitRows() {
  static const std::vector<ValueUnitRow> rows{
      {PlotProperty::viscosity, {"Pa·s", "Pa*s", "Pa.s", "Pas"}, {"Pa·s", "Па·с", 1.0}},
      {PlotProperty::viscosity, {"mPa·s", "mPa*s", "mPa.s", "mPas", "cP"}, {"mPa·s", "мПа·с", 1e3}},
      {PlotProperty::surface_tension, {"N/m"}, {"N/m", "Н/м", 1.0}},
      {PlotProperty::surface_tension, {"mN/m"}, {"mN/m", "мН/м", 1e3}},
      {PlotProperty::heat_capacity, {"J/(kg·K)", "J/(kg*K)", "J/kgK"}, {"J/(kg·K)", "Дж/(кг·К)", 1.0}},
      {PlotProperty::heat_capacity, {"kJ/(kg·K)", "kJ/(kg*K)", "kJ/kgK"}, {"kJ/(kg·K)", "кДж/(кг·К)", 1e-3}},
  };
  return rows;
}

// The texts of one plot: its language, its decimal separator and the
// quantity its curves are labelled by.
class PlotWording {
 public:
  PlotWording(const PlotRequest& request, PlotLanguage language, std::string_view separator)
      : request_(request), language_(language), separator_(separator) {}

  [[nodiscard]] std::string_view Pick(std::string_view russian, std::string_view english) const {
    return cli::Pick(language_, russian, english);
  }
  [[nodiscard]] PlotLanguage Language() const { return language_; }

  // A single in its shortest text with the decimal separator.
  [[nodiscard]] std::string Number(float value) const {
    std::string text;
    for (const char c : shortest_text(value)) {
      if (c == '.') {
        text += separator_;
      } else {
        text += c;
      }
    }
    return text;
  }

  // "w = 0,1", "m = 1 моль/кг" or "t = 20 °C".
  [[nodiscard]] std::string ValueLabel(float fixed) const {
    if (request_.axis == PlotAxis::Concentration) return "t = " + Number(fixed) + " °C";
    std::string label = std::string(QuantityLetter(request_.unit)) + " = " + Number(fixed);
    if (request_.unit != concentration_unit::mass_fraction)
      label += " " + std::string(UnitSymbol(request_.unit, language_));
    return label;
  }

  // The label of a boundary line: what it is, and whose.
  [[nodiscard]] std::string BoundaryLabel(std::string_view russian, std::string_view english,
                                          const PlotCurveRequest& curve) const {
    std::string label(Pick(russian, english));
    if (request_.bySubstance) {
      const expected<substance_info> info = find_substance(curve.substance);
      if (info) label += " " + SubscriptFormula(info->formula);
    } else {
      label += std::string(Pick(" при ", " at ")) + ValueLabel(curve.fixed.value);
    }
    return label;
  }

  [[nodiscard]] std::string XAxisLabel() const {
    if (request_.axis == PlotAxis::Temperature) return std::string(Pick("Температура, °C", "Temperature, °C"));
    const bool massFraction =
        request_.unit == concentration_unit::mass_fraction || request_.unit == concentration_unit::mass_percent;
    std::string label(massFraction ? Pick("Массовая доля", "Mass fraction") : Pick("Концентрация", "Concentration"));
    label += " " + std::string(QuantityLetter(request_.unit));
    return label + ", " + std::string(UnitSymbol(request_.unit, language_));
  }

 private:
  const PlotRequest& request_;
  PlotLanguage language_;
  std::string_view separator_;
};

// --- The request -------------------------------------------------------------------

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

std::optional<std::vector<substance_info>> FindSubstances(const std::vector<std::string>& names, std::string& error) {
  if (names.empty()) {
    error = "--substance is required";
    return std::nullopt;
  }
  std::vector<substance_info> substances;
  for (const std::string& name : names) {
    expected<substance_info> substance = find_substance(name);
    if (!substance) {
      error = substance.error().message;
      return std::nullopt;
    }
    substances.push_back(*substance);
  }
  return substances;
}

// The unit of --unit; the mass fraction when it is not given.
std::optional<concentration_unit> UnitNamed(const std::string& name, std::string& error) {
  if (name.empty()) return concentration_unit::mass_fraction;
  const std::optional<concentration_unit> unit = parse_concentration_unit(name);
  if (!unit) {
    std::vector<std::string_view> names;
    for (const unit_info& info : unit_table()) names.push_back(info.name);
    error = "--unit \"" + name + "\": give " + Alternatives(names);
  }
  return unit;
}

// The horizontal axis: as --x names it, or the quantity given as a range.
std::optional<PlotAxis> ChooseAxis(const std::string& named, const std::vector<Sweep>& temperatures,
                                   const std::vector<Sweep>& concentrations, std::string& error) {
  if (named == "temperature") return PlotAxis::Temperature;
  if (named == "concentration") return PlotAxis::Concentration;
  if (!named.empty()) {
    error = "--x \"" + named + "\": give temperature or concentration";
  } else if (IsRange(temperatures) && IsRange(concentrations)) {
    error =
        "both --temperature and --concentration are ranges: choose the horizontal axis with --x temperature or "
        "--x concentration";
  } else if (IsRange(temperatures)) {
    return PlotAxis::Temperature;
  } else if (IsRange(concentrations)) {
    return PlotAxis::Concentration;
  } else {
    error = "no range: give --temperature or --concentration as a range FROM:TO:STEP of more than one value";
  }
  return std::nullopt;
}

// The horizontal values: one range of more than one value, each within
// the single range.
std::optional<std::vector<ParsedNumber>> AxisValues(const std::vector<Sweep>& sweeps, const std::string& option,
                                                    std::string& error) {
  if (sweeps.size() != 1 || sweeps[0].Count() < 2) {
    error = "the horizontal axis needs " + option + " given once, as a range FROM:TO:STEP of more than one value";
    return std::nullopt;
  }
  const Sweep& axis = sweeps[0];
  if (axis.Count() > kMaxPlotPoints) {
    error = option + " gives " + std::to_string(axis.Count()) + " values; a plot takes at most " +
            std::to_string(kMaxPlotPoints) + " (use a larger step)";
    return std::nullopt;
  }
  if (!axis.At(0).ok() || !axis.At(axis.Count() - 1).ok()) {
    error = option + " goes beyond the single-precision range";
    return std::nullopt;
  }
  std::vector<ParsedNumber> xs;
  for (std::size_t k = 0; k < axis.Count(); ++k) xs.push_back(axis.At(k));
  return xs;
}

// The values of the quantity that is not on the axis, one curve each.
std::optional<std::vector<ParsedNumber>> CurveValues(const std::vector<Sweep>& sweeps, const std::string& option,
                                                     std::string& error) {
  if (ValueCount(sweeps) > kMaxPlotCurves) {
    error = option + " gives " + std::to_string(ValueCount(sweeps)) + " values; a plot takes at most " +
            std::to_string(kMaxPlotCurves) + " curves";
    return std::nullopt;
  }
  std::vector<ParsedNumber> values;
  for (const Sweep& s : sweeps) {
    for (std::size_t k = 0; k < s.Count(); ++k) {
      values.push_back(s.At(k));
      if (!values.back().ok()) {
        error = option + " goes beyond the single-precision range";
        return std::nullopt;
      }
    }
  }
  return values;
}

// The curves: one per value for one substance, one per substance at a
// single value. Water, which has no concentration, is drawn at 0 beside
// the solutions along a temperature axis.
bool AddCurves(const std::vector<substance_info>& substances, std::vector<ParsedNumber> values,
               const std::string& option, PlotRequest& request, std::string& error) {
  const bool alongTemperature = request.axis == PlotAxis::Temperature;
  if (values.empty()) {
    for (const substance_info& s : substances) {
      if (alongTemperature && s.is_water()) continue;
      error = option + " is required" + (alongTemperature ? " for " + std::string(s.formula) : std::string());
      return false;
    }
    values.push_back(ParsedNumber{});  // water only: its concentration 0
  }
  if (substances.size() == 1) {
    for (const ParsedNumber& value : values) request.curves.push_back({substances[0].id(), value});
    return true;
  }
  if (values.size() != 1) {
    error = "several substances are drawn at a single value: give one " + option;
    return false;
  }
  if (substances.size() > kMaxPlotCurves) {
    error = "a plot takes at most " + std::to_string(kMaxPlotCurves) + " substances";
    return false;
  }
  request.bySubstance = true;
  for (const substance_info& s : substances) {
    const bool water = s.is_water() && alongTemperature;
    request.curves.push_back({s.id(), water ? ParsedNumber{} : values[0]});
  }
  return true;
}

// --- Computing the points ------------------------------------------------------------

bool IsCalciumChloride(substance_id substance) {
  static const substance_id calciumChloride = find_substance("CaCl2").value().id();
  return substance == calciumChloride;
}

// Whether a point's concentration is converted to a mass fraction: a salt's
// concentration given in another unit.
bool Converts(const PlotRequest& request, substance_id substance) {
  return request.unit != concentration_unit::mass_fraction && substance != water;
}

// A point of a curve as given: the concentration, in the request's unit,
// and the temperature.
struct PointInput {
  ParsedNumber concentration;
  ParsedNumber temperature;
};

PointInput InputOf(const PlotRequest& request, const PlotCurveRequest& curve, std::size_t k) {
  if (request.axis == PlotAxis::Temperature) return {curve.fixed, request.xs[k]};
  return {request.xs[k], curve.fixed};
}

// What compute_many gives for every point, curve after curve.
struct ComputedPoints {
  std::vector<properties> rows;
  std::vector<error_kind> errors;
  std::vector<std::string> messages;
  std::vector<float> massFractions;
};

// Every point computed at once. A number beyond the single range is given
// as 0 (a temperature that is refused); such a point is a gap whatever
// comes back.
ComputedPoints ComputePoints(const PlotRequest& request) {
  std::vector<substance_id> substances;
  std::vector<float> temperatures;
  std::vector<double> concentrations;
  std::vector<concentration_unit> units;
  for (const PlotCurveRequest& curve : request.curves) {
    for (std::size_t k = 0; k < request.xs.size(); ++k) {
      const PointInput in = InputOf(request, curve, k);
      const bool readable = in.concentration.ok() && in.temperature.ok();
      substances.push_back(curve.substance);
      concentrations.push_back(readable ? static_cast<double>(in.concentration.value) : 0.0);
      temperatures.push_back(readable ? in.temperature.value : 0.0f);
      units.push_back(Converts(request, curve.substance) ? request.unit : concentration_unit::mass_fraction);
    }
  }
  const std::size_t n = substances.size();
  ComputedPoints out{std::vector<properties>(n), std::vector<error_kind>(n), std::vector<std::string>(n),
                     std::vector<float>(n)};
  if (request.unit == concentration_unit::mass_fraction) {
    for (std::size_t i = 0; i < n; ++i) out.massFractions[i] = static_cast<float>(concentrations[i]);
    compute_many(substances, out.massFractions, temperatures, out.rows, out.errors, out.messages);
  } else {
    point_outputs outputs;
    outputs.rows = out.rows;
    outputs.errors = out.errors;
    outputs.messages = out.messages;
    outputs.mass_fractions = out.massFractions;
    compute_many(substances, concentrations, temperatures, units, outputs);
  }
  return out;
}

// One point as the plot shows it.
struct EvaluatedPoint {
  report::PlotGap gap = report::PlotGap::None;
  bool beyondSolubility = false;
  properties values;
  derived_properties derived;  // when a panel shows a derived quantity
  // The mass fraction of an admissible point.
  std::optional<float> massFraction;
  // The reference models' values, when asked for, at a point with values.
  std::optional<reference_set> reference;
};

// A point refused by compute_many: a gap because its concentration has no
// mass fraction in the unit, or because the window's input would refuse it.
report::PlotGap RefusalGap(const PlotRequest& request, substance_id substance, const PointInput& in) {
  if (Converts(request, substance) &&
      !to_mass_fraction(substance, request.unit, static_cast<double>(in.concentration.value), in.temperature.value)) {
    return report::PlotGap::Unconvertible;
  }
  return report::PlotGap::Inadmissible;
}

// Point i, curve `curve`: a gap when its concentration does not convert,
// when the window's input would refuse it, when calcium chloride is above
// its saturation or when its computation failed; else its values.
EvaluatedPoint Evaluate(const PlotRequest& request, substance_id substance, const PointInput& in,
                        const ComputedPoints& computed, std::size_t i) {
  EvaluatedPoint point;
  if (!in.concentration.ok() || !in.temperature.ok()) {
    point.gap = report::PlotGap::Inadmissible;
    return point;
  }
  const error_kind error = computed.errors[i];
  if (error != error_kind::none && error != error_kind::arithmetic_fault) {
    point.gap = RefusalGap(request, substance, in);
    return point;
  }
  // A point whose correlations faulted keeps the mass fraction they were given.
  point.massFraction = computed.massFractions[i];
  const float t = in.temperature.value;
  if (IsCalciumChloride(substance) && calcium_chloride_saturation(t) < *point.massFraction) {
    point.gap = report::PlotGap::AboveSaturation;
  } else if (error != error_kind::none) {
    point.gap = report::PlotGap::ArithmeticFault;
  } else {
    point.values = computed.rows[i];
    const expected<validity_threshold> threshold = validity_threshold_at(substance, t);
    point.beyondSolubility = threshold && static_cast<double>(*point.massFraction) > threshold->limit;
  }
  return point;
}

void Count(const EvaluatedPoint& point, const std::string& message, PlotData& data) {
  ++data.points;
  switch (point.gap) {
    case report::PlotGap::None:
      if (point.beyondSolubility) ++data.beyondSolubility;
      break;
    case report::PlotGap::Inadmissible:
      ++data.inadmissible;
      break;
    case report::PlotGap::AboveSaturation:
      ++data.aboveSaturation;
      break;
    case report::PlotGap::ArithmeticFault:
      if (data.failed++ == 0) data.firstFault = message;
      break;
    case report::PlotGap::Unconvertible:
      ++data.unconvertible;
      break;
  }
}

// Where a calcium chloride curve lies against the saturation: on both
// sides or not, and where it crosses it along a temperature axis, between
// the last point on one side (its x and its excess over the limit) and the
// first on the other.
struct SaturationTrack {
  bool above = false;
  bool below = false;
  std::optional<std::pair<double, double>> lastSide;
  std::optional<double> crossing;

  void Add(double x, float massFraction, float temperature) {
    const float limit = calcium_chloride_saturation(temperature);
    const bool saturated = limit < massFraction;
    const double excess = static_cast<double>(massFraction) - static_cast<double>(limit);
    if (lastSide && !crossing && (lastSide->second > 0.0) != saturated) {
      const double share = lastSide->second / (lastSide->second - excess);
      crossing = lastSide->first + share * (x - lastSide->first);
    }
    lastSide = std::make_pair(x, excess);
    (saturated ? above : below) = true;
  }
};

struct EvaluatedCurve {
  std::vector<EvaluatedPoint> points;
  SaturationTrack saturation;
};

// Every point of every curve, counted into `data`.
std::vector<EvaluatedCurve> EvaluateCurves(const PlotRequest& request, PlotData& data) {
  const ComputedPoints computed = ComputePoints(request);
  std::vector<EvaluatedCurve> curves(request.curves.size());
  std::size_t i = 0;
  for (std::size_t c = 0; c < request.curves.size(); ++c) {
    const substance_id substance = request.curves[c].substance;
    for (std::size_t k = 0; k < request.xs.size(); ++k, ++i) {
      const PointInput in = InputOf(request, request.curves[c], k);
      EvaluatedPoint point = Evaluate(request, substance, in, computed, i);
      std::string message = computed.messages[i];
      if (request.NeedsDerived() && point.gap == report::PlotGap::None) {
        const expected<derived_properties> derived =
            compute_derived(substance, *point.massFraction, in.temperature.value, request.derived);
        if (derived) {
          point.derived = *derived;
        } else {
          point.gap = report::PlotGap::ArithmeticFault;
          message = derived.error().message;
        }
      }
      Count(point, message, data);
      if (request.reference && point.gap == report::PlotGap::None) {
        expected<reference_set> reference = reference_values(substance, *point.massFraction, in.temperature.value);
        if (reference) point.reference = *reference;
      }
      if (IsCalciumChloride(substance) && point.massFraction) {
        curves[c].saturation.Add(static_cast<double>(request.xs[k].value), *point.massFraction, in.temperature.value);
      }
      curves[c].points.push_back(std::move(point));
    }
  }
  return curves;
}

// --- Boundaries, panels and notes ------------------------------------------------------

// A mass fraction in the request's unit at a temperature; NaN when it has
// none there.
double InUnit(const PlotRequest& request, substance_id substance, double massFraction, float temperature) {
  if (request.unit == concentration_unit::mass_fraction) return massFraction;
  return from_mass_fraction(substance, request.unit, static_cast<float>(massFraction), temperature)
      .value_or(std::nan(""));
}

// The saturation of calcium chloride, where a curve that crosses it begins
// or ends.
void AddSaturationBoundary(const PlotRequest& request, std::size_t c, const SaturationTrack& track,
                           const PlotWording& wording, report::PlotFigure& figure) {
  if (!track.above || !track.below) return;
  const PlotCurveRequest& curve = request.curves[c];
  report::PlotBoundary boundary;
  boundary.curve = c;
  if (request.axis == PlotAxis::Concentration) {
    const float t = curve.fixed.value;
    boundary.x = InUnit(request, curve.substance, static_cast<double>(calcium_chloride_saturation(t)), t);
  } else if (request.unit == concentration_unit::mass_fraction) {
    boundary.x = calcium_chloride_saturation_temperature(curve.fixed.value);
  } else {
    boundary.x = track.crossing.value_or(std::nan(""));
  }
  if (!std::isfinite(boundary.x)) return;
  boundary.x = std::fmin(std::fmax(boundary.x, figure.xFrom), figure.xTo);
  boundary.label = wording.BoundaryLabel("предел ввода", "input limit", curve);
  figure.boundaries.push_back(std::move(boundary));
}

// On a concentration axis the solubility at the curve's temperature, where
// it lies inside the plot. A salt whose solubility is not well defined
// there has none marked.
void AddSolubilityBoundary(const PlotRequest& request, std::size_t c, const PlotWording& wording,
                           report::PlotFigure& figure) {
  const PlotCurveRequest& curve = request.curves[c];
  if (request.axis != PlotAxis::Concentration || !curve.fixed.ok()) return;
  const float t = curve.fixed.value;
  const expected<solubility_limit> limit = solubility_limit_at(curve.substance, t);
  if (!limit || limit->status == solubility_status::ill_defined) return;
  const double at = InUnit(request, curve.substance, limit->mass_fraction, t);
  if (!std::isfinite(at) || at < figure.xFrom || at > figure.xTo) return;
  report::PlotBoundary boundary;
  boundary.kind = report::PlotBoundaryKind::Solubility;
  boundary.curve = c;
  boundary.x = at;
  boundary.label = limit->status == solubility_status::uncertain
                       ? wording.BoundaryLabel("растворимость (лит., неточно)", "solubility (lit., uncertain)", curve)
                       : wording.BoundaryLabel("растворимость (лит.)", "solubility (lit.)", curve);
  figure.boundaries.push_back(std::move(boundary));
}

// The title, the horizontal axis and its range.
void FrameFigure(const PlotRequest& request, const PlotWording& wording, std::string_view separator,
                 report::PlotFigure& figure) {
  figure.decimalSeparator = std::string(separator);
  figure.xAxisLabel = wording.XAxisLabel();
  if (!request.xs.empty()) {
    figure.xFrom = static_cast<double>(request.xs.front().value);
    figure.xTo = static_cast<double>(request.xs.back().value);
  }
  if (!request.curves.empty()) figure.title = SubstanceTitle(request.curves[0].substance, wording.Language());
  if (!request.bySubstance) return;
  // The substances are in the legend; the title says where they are drawn.
  for (const PlotCurveRequest& curve : request.curves) {
    if (curve.substance == water && request.axis == PlotAxis::Temperature) continue;
    figure.title = std::string(wording.Pick("Растворы при ", "Solutions at ")) + wording.ValueLabel(curve.fixed.value);
    break;
  }
}

// Water alone along a temperature axis: its one curve needs no legend.
bool WaterAlone(const PlotRequest& request) {
  return request.curves.size() == 1 && request.curves[0].substance == water && request.axis == PlotAxis::Temperature &&
         request.curves[0].fixed.ok() && request.curves[0].fixed.value == 0.0f;
}

// A value in the panel's unit; a value that cannot be true is marked, and
// counted into `data`.
report::PlotPoint PanelPoint(const PlotRequest& request, std::size_t k, const EvaluatedPoint& evaluated,
                             PlotProperty property, PlotData& data) {
  report::PlotPoint point;
  point.x = request.xs[k].value;
  point.gap = evaluated.gap;
  point.beyondSolubility = evaluated.beyondSolubility;
  if (point.gap != report::PlotGap::None) return point;
  const double value = quantity_value(evaluated.values, evaluated.derived, property);
  const double factor = request.valueUnits[static_cast<std::size_t>(property)].factor;
  point.value = static_cast<float>(value * factor);
  point.cannotBeTrue = MustBePositive(property) ? !(value > 0.0) : !std::isfinite(value);
  if (point.cannotBeTrue) ++data.cannotBeTrue;
  return point;
}

// The reference model's value beside a point, in the panel's unit: none
// where no model covers it or its value is not finite or not positive.
report::PlotPoint ReferencePoint(const PlotRequest& request, std::size_t k, const EvaluatedPoint& evaluated,
                                 PlotProperty property, std::string& source) {
  report::PlotPoint point;
  point.x = request.xs[k].value;
  if (!evaluated.reference || !base_property(property)) return point;
  const reference_value& r = (*evaluated.reference)[static_cast<std::size_t>(property)];
  if (!r.available) return point;
  source = std::string(r.source);
  if (!std::isfinite(r.value) || !(r.value > 0.0)) return point;
  point.value = static_cast<float>(r.value * request.valueUnits[static_cast<std::size_t>(property)].factor);
  point.outsideSpan = !r.within_span;
  return point;
}

// One panel per property, one curve per request curve.
void AddPanels(const PlotRequest& request, const std::vector<EvaluatedCurve>& evaluated, const PlotWording& wording,
               PlotData& data) {
  const bool waterAlone = WaterAlone(request);
  for (const PlotProperty property : request.properties) {
    report::PlotPanel panel;
    panel.axisLabel =
        PropertyAxisLabel(property, request.valueUnits[static_cast<std::size_t>(property)], wording.Language());
    for (std::size_t c = 0; c < request.curves.size(); ++c) {
      const PlotCurveRequest& asked = request.curves[c];
      report::PlotCurve curve;
      if (request.bySubstance) {
        curve.label = SubstanceTitle(asked.substance, wording.Language());
      } else if (!waterAlone) {
        curve.label = wording.ValueLabel(asked.fixed.value);
      }
      for (std::size_t k = 0; k < request.xs.size(); ++k) {
        curve.points.push_back(PanelPoint(request, k, evaluated[c].points[k], property, data));
        if (!request.reference) continue;
        std::string source;
        curve.reference.push_back(ReferencePoint(request, k, evaluated[c].points[k], property, source));
        curve.referenceSources.push_back(std::move(source));
      }
      panel.curves.push_back(std::move(curve));
    }
    data.figure.panels.push_back(std::move(panel));
  }
}

// The words of a property in the language: "surface tension",
// "поверхностное натяжение".
std::string PropertyWords(PlotProperty property, PlotLanguage language) {
  const quantity_info& info = describe(property);
  return language == PlotLanguage::Russian ? LowerCyrillic(info.russian_caption) : std::string(info.words);
}

// "a, b" of the texts, each once, in their first order.
std::string JoinOnce(const std::vector<std::string>& texts) {
  std::vector<std::string> seen;
  for (const std::string& text : texts) {
    if (!text.empty() && std::find(seen.begin(), seen.end(), text) == seen.end()) seen.push_back(text);
  }
  std::string joined;
  for (const std::string& text : seen) joined += (joined.empty() ? "" : ", ") + text;
  return joined;
}

// The note of the values that cannot be true, by property.
void AddCannotBeTrueNote(const PlotRequest& request, const PlotWording& wording, PlotData& data) {
  if (data.cannotBeTrue == 0) return;
  std::string counts;
  for (std::size_t p = 0; p < data.figure.panels.size(); ++p) {
    std::size_t n = 0;
    for (const report::PlotCurve& curve : data.figure.panels[p].curves) {
      for (const report::PlotPoint& point : curve.points) n += point.cannotBeTrue ? 1 : 0;
    }
    if (n == 0) continue;
    if (!counts.empty()) counts += "; ";
    counts += PropertyWords(request.properties[p], wording.Language()) + ": " + std::to_string(n);
  }
  const std::string of = std::to_string(data.points * data.figure.panels.size());
  data.figure.notes.push_back(std::string(wording.Pick("Не нарисовано, значение не может быть верным (≤ 0): ",
                                                       "Not drawn, the value cannot be true (≤ 0): ")) +
                              std::to_string(data.cannotBeTrue) + std::string(wording.Pick(" из ", " of ")) + of +
                              std::string(wording.Pick(" точек (", " points (")) + counts + ")");
}

// The reference models' legend and notes: which models, which curves none
// covers, and how many of their points lie outside their measurements.
void AddReferenceNotes(const PlotRequest& request, const PlotWording& wording, PlotData& data) {
  if (!request.reference) return;
  report::PlotFigure& figure = data.figure;
  std::vector<std::string> sources;
  std::string perPanel;
  std::string uncovered;
  std::size_t outside = 0;
  std::size_t shown = 0;
  for (std::size_t p = 0; p < figure.panels.size(); ++p) {
    const std::string words = PropertyWords(request.properties[p], wording.Language());
    std::vector<std::string> panelSources;
    std::vector<std::string> none;
    for (std::size_t c = 0; c < figure.panels[p].curves.size(); ++c) {
      const report::PlotCurve& curve = figure.panels[p].curves[c];
      const std::string covered = JoinOnce(curve.referenceSources);
      if (covered.empty()) {
        const expected<substance_info> info = find_substance(request.curves[c].substance);
        if (info) none.push_back(SubscriptFormula(info->formula));
      }
      panelSources.insert(panelSources.end(), curve.referenceSources.begin(), curve.referenceSources.end());
      for (const report::PlotPoint& point : curve.reference) {
        shown += point.Drawn() ? 1 : 0;
        outside += point.Drawn() && point.outsideSpan ? 1 : 0;
      }
    }
    const std::string joined = JoinOnce(panelSources);
    if (!joined.empty()) perPanel += (perPanel.empty() ? "" : "; ") + words + ": " + joined;
    sources.push_back(joined);
    const std::string missing = JoinOnce(none);
    if (!missing.empty())
      uncovered += (uncovered.empty() ? "" : "; ") + words + std::string(wording.Pick(" для ", " of ")) + missing;
  }
  const std::string all = JoinOnce(sources);
  if (!all.empty()) {
    const bool one = figure.panels.size() == 1;
    figure.referenceLabel = std::string(wording.Pick("эталонная модель: ", "reference model: ")) +
                            (one ? all : std::string(wording.Pick("см. ниже", "see below")));
    if (!one) {
      figure.notes.push_back(std::string(wording.Pick("Эталонные модели (штрихи): ", "Reference models (dashed): ")) +
                             perPanel);
    }
  }
  if (outside > 0) {
    figure.notes.push_back(std::string(wording.Pick("Эталон вне диапазона своих измерений (точки, светлее): ",
                                                    "Reference outside the span of its measurements (dotted, "
                                                    "lighter): ")) +
                           std::to_string(outside) + std::string(wording.Pick(" из ", " of ")) + std::to_string(shown) +
                           std::string(wording.Pick(" точек", " points")));
  }
  if (!uncovered.empty()) {
    figure.notes.push_back(std::string(wording.Pick("Нет эталонной модели: ", "No reference model covers the ")) +
                           uncovered);
  }
}

// The notes under the plot: how many points were left out and why, how
// many lie beyond the solubility, the values that cannot be true and the
// reference models.
void AddNotes(const PlotRequest& request, const PlotWording& wording, PlotData& data) {
  const std::string of = std::string(wording.Pick(" из ", " of "));
  if (data.LeftOut() > 0) {
    std::string note = std::string(wording.Pick("Пропущено точек: ", "Points left out: ")) +
                       std::to_string(data.LeftOut()) + of + std::to_string(data.points);
    std::string reasons;
    const auto reason = [&](std::size_t count, std::string_view russian, std::string_view english) {
      if (count == 0) return;
      if (!reasons.empty()) reasons += "; ";
      reasons += std::string(wording.Pick(russian, english)) + ": " + std::to_string(count);
    };
    reason(data.aboveSaturation, "выше предела ввода хлорида кальция (как в окне программы)",
           "above the input limit of calcium chloride, as in the window");
    reason(data.unconvertible, "концентрация не переводится в массовую долю", "no mass fraction for the concentration");
    reason(data.inadmissible, "вне допустимых значений", "outside the admissible values");
    reason(data.failed, "ошибка вычисления", "arithmetic fault");
    data.figure.notes.push_back(note + " (" + reasons + ")");
  }
  if (data.beyondSolubility > 0) {
    data.figure.notes.push_back(std::string(wording.Pick("Выше растворимости по литературе (короткие штрихи): ",
                                                         "Above the solubility in the literature (short dashes): ")) +
                                std::to_string(data.beyondSolubility) + of + std::to_string(data.points) +
                                std::string(wording.Pick(" точек", " points")));
  }
  AddCannotBeTrueNote(request, wording, data);
  AddReferenceNotes(request, wording, data);
}

// The units of the panels: the SI units, or those the options name.
// The derived quantities whose SI values are powers of ten away from the
// numbers an axis reads well are shown in the unit engineers quote them in.
constexpr std::pair<PlotProperty, PlotValueUnit> kDerivedPanelUnits[] = {
    {quantity_kind::kinematic_viscosity, {"mm²/s", "мм²/с", 1e6}},
    {quantity_kind::thermal_diffusivity, {"mm²/s", "мм²/с", 1e6}},
    {quantity_kind::specific_volume, {"dm³/kg", "дм³/кг", 1e3}},
    {quantity_kind::volumetric_heat_capacity, {"MJ/(m³·K)", "МДж/(м³·К)", 1e-6}},
    {quantity_kind::heat_taken_up, {"kJ/kg", "кДж/кг", 1e-3}},
};

bool ValueUnits(const PlotOptions& options, PlotRequest& request, std::string& error) {
  for (const quantity_info& info : quantity_table()) {
    request.valueUnits[static_cast<std::size_t>(info.kind)] = {info.unit, info.russian_unit, 1.0};
  }
  for (const auto& [quantity, unit] : kDerivedPanelUnits) request.valueUnits[static_cast<std::size_t>(quantity)] = unit;
  const std::pair<PlotProperty, const std::string*> asked[] = {
      {PlotProperty::viscosity, &options.viscosityUnit},
      {PlotProperty::surface_tension, &options.surfaceTensionUnit},
      {PlotProperty::heat_capacity, &options.heatCapacityUnit},
  };
  for (const auto& [property, name] : asked) {
    if (name->empty()) continue;
    const std::optional<PlotValueUnit> unit = PlotValueUnitNamed(property, *name);
    if (!unit) {
      std::string option(describe(property).name);
      std::replace(option.begin(), option.end(), '_', '-');
      error = "--" + option + "-unit \"" + *name + "\": give " + PlotValueUnitNames(property);
      return false;
    }
    request.valueUnits[static_cast<std::size_t>(property)] = *unit;
  }
  return true;
}

// --- The plotted points as CSV ---------------------------------------------------------

// What became of a point, as the CSV names it.
std::string_view PointStatus(const report::PlotPoint& point) {
  switch (point.gap) {
    case report::PlotGap::None:
      if (point.cannotBeTrue) return "cannot_be_true";
      return point.beyondSolubility ? "beyond_solubility" : "drawn";
    case report::PlotGap::Inadmissible:
      return "inadmissible";
    case report::PlotGap::AboveSaturation:
      return "above_saturation";
    case report::PlotGap::ArithmeticFault:
      return "arithmetic_fault";
    case report::PlotGap::Unconvertible:
      return "unconvertible";
  }
  return "";
}

// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// The reference's cells of a row: value, source, inside or outside.
std::string ReferenceCells(const report::PlotCurve& curve, std::size_t k) {
  if (k >= curve.reference.size() || curve.referenceSources[k].empty()) return ",,,";
  const report::PlotPoint& r = curve.reference[k];
  std::string cells = ",";
  if (r.value) cells += shortest_text(*r.value);
  cells += "," + CsvField(curve.referenceSources[k]) + ",";
  if (r.value) cells += r.outsideSpan ? "outside" : "inside";
  return cells;
}

}  // namespace

std::optional<PlotValueUnit> PlotValueUnitNamed(PlotProperty property, std::string_view name) {
  for (const ValueUnitRow& row : ValueUnitRows()) {
    if (row.property != property) continue;
    if (name.empty()) return row.unit;
    if (std::find(row.names.begin(), row.names.end(), name) != row.names.end()) return row.unit;
  }
  if (name.empty() || name == describe(property).unit || name == describe(property).ascii_unit) {
    return PlotValueUnit{describe(property).unit, describe(property).russian_unit, 1.0};
  }
  return std::nullopt;
}

std::string PlotValueUnitNames(PlotProperty property) {
  std::vector<std::string_view> names;
  for (const ValueUnitRow& row : ValueUnitRows()) {
    if (row.property == property) names.push_back(row.unit.symbol);
  }
  if (names.empty()) names.push_back(describe(property).unit);
  return Alternatives(names);
}

std::string PlotDataCsv(const PlotRequest& request, const PlotData& data) {
  std::string csv = "substance,temperature_C,concentration,concentration_unit,property,value,unit,point";
  csv += request.reference ? ",reference,reference_source,reference_span\n" : "\n";
  const bool alongTemperature = request.axis == PlotAxis::Temperature;
  for (std::size_t p = 0; p < data.figure.panels.size(); ++p) {
    const PlotProperty property = request.properties[p];
    const std::string propertyCells = std::string(describe(property).name) + ",";
    const std::string unit = CsvField(request.valueUnits[static_cast<std::size_t>(property)].symbol);
    for (std::size_t c = 0; c < request.curves.size(); ++c) {
      const PlotCurveRequest& asked = request.curves[c];
      const expected<substance_info> info = find_substance(asked.substance);
      const std::string formula = info ? CsvField(info->formula) : std::string();
      const report::PlotCurve& curve = data.figure.panels[p].curves[c];
      const std::string concentrationUnit(asked.substance == water ? "" : describe(request.unit).name);
      for (std::size_t k = 0; k < curve.points.size() && k < request.xs.size(); ++k) {
        const report::PlotPoint& point = curve.points[k];
        const ParsedNumber& t = alongTemperature ? request.xs[k] : asked.fixed;
        const ParsedNumber& w = alongTemperature ? asked.fixed : request.xs[k];
        csv += formula + "," + shortest_text(t.value) + "," + shortest_text(w.value) + "," +
               CsvField(concentrationUnit) + "," + propertyCells;
        if (point.value) csv += shortest_text(*point.value);
        csv += "," + unit + "," + std::string(PointStatus(point));
        if (request.reference) csv += ReferenceCells(curve, k);
        csv += "\n";
      }
    }
  }
  return csv;
}

bool PlotRequest::NeedsDerived() const {
  return std::any_of(properties.begin(), properties.end(),
                     [](PlotProperty property) { return !base_property(property); });
}

std::optional<std::vector<PlotProperty>> PlotPropertiesNamed(std::string_view name) {
  if (name == "all") {
    std::vector<PlotProperty> properties;
    for (const property_info& info : property_table()) properties.push_back(as_quantity(info.kind));
    return properties;
  }
  const std::optional<quantity_kind> quantity = parse_quantity(name);
  if (!quantity) return std::nullopt;
  return std::vector<PlotProperty>{*quantity};
}

namespace {

// The reference temperature of the heat taken up, admissible for every
// substance of the plot; false, with `error` set, otherwise.
bool ReadReferenceTemperature(const PlotOptions& options, const std::vector<substance_info>& substances,
                              PlotRequest& request, std::string& error) {
  if (options.referenceTemperature.empty()) return true;
  const auto& shown = request.properties;
  if (std::find(shown.begin(), shown.end(), quantity_kind::heat_taken_up) == shown.end()) {
    error = "--reference-temperature is for -p heat_taken_up";
    return false;
  }
  const ParsedNumber t = RoundToSingle(ParseDecimal(options.referenceTemperature));
  if (!t.ok() || !std::isfinite(t.value)) {
    error = "--reference-temperature \"" + options.referenceTemperature + "\" is not a number";
    return false;
  }
  request.derived.reference_temperature = t.value;
  for (const substance_info& s : substances) {
    // The heat taken up from the reference to itself fails just when the
    // reference is not admissible (the mass fraction is admissible for all).
    const expected<double> probe = heat_taken_up(s.id(), s.is_water() ? 0.0f : 0.01f, t.value, t.value);
    if (!probe) {
      error = "--reference-temperature for " + std::string(s.formula) + ": " + probe.error().message;
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<PlotRequest> MakePlotRequest(const PlotOptions& options, std::string& error) {
  PlotRequest request;
  if (auto properties = PlotPropertiesNamed(options.property)) {
    request.properties = std::move(*properties);
  } else {
    std::vector<std::string_view> names;
    for (const quantity_info& info : quantity_table()) names.push_back(info.name);
    names.push_back("all");
    error = "unknown property \"" + options.property + "\": give " + Alternatives(names);
    return std::nullopt;
  }
  const std::optional<std::vector<substance_info>> substances = FindSubstances(options.substances, error);
  if (!substances) return std::nullopt;
  std::vector<Sweep> temperatures;
  std::vector<Sweep> concentrations;
  if (!ExpandValues(options.temperatures, "--temperature", temperatures, error) ||
      !ExpandValues(options.concentrations, "--concentration", concentrations, error)) {
    return std::nullopt;
  }
  const std::optional<concentration_unit> unit = UnitNamed(options.unit, error);
  if (!unit) return std::nullopt;
  request.unit = *unit;
  const std::optional<PlotAxis> axis = ChooseAxis(options.axis, temperatures, concentrations, error);
  if (!axis) return std::nullopt;
  request.axis = *axis;

  const bool alongTemperature = request.axis == PlotAxis::Temperature;
  const std::string axisOption = alongTemperature ? "--temperature" : "--concentration";
  const std::string otherOption = alongTemperature ? "--concentration" : "--temperature";
  std::optional<std::vector<ParsedNumber>> xs =
      AxisValues(alongTemperature ? temperatures : concentrations, axisOption, error);
  if (!xs) return std::nullopt;
  request.xs = std::move(*xs);
  for (const substance_info& s : *substances) {
    if (s.is_water() && !alongTemperature) {
      error = "water has no concentration: plot it against --temperature";
      return std::nullopt;
    }
  }
  std::optional<std::vector<ParsedNumber>> values =
      CurveValues(alongTemperature ? concentrations : temperatures, otherOption, error);
  if (!values || !AddCurves(*substances, std::move(*values), otherOption, request, error)) return std::nullopt;
  request.reference = options.reference;
  if (request.reference && request.NeedsDerived()) {
    error = "--reference draws the reference models of the five properties, not of " +
            std::string(describe(request.properties[0]).name);
    return std::nullopt;
  }
  if (!ReadReferenceTemperature(options, *substances, request, error)) return std::nullopt;
  return ValueUnits(options, request, error) ? std::optional<PlotRequest>(std::move(request)) : std::nullopt;
}

PlotData MakePlotData(const PlotRequest& request, PlotLanguage language, std::string_view decimalSeparator) {
  PlotData data;
  const PlotWording wording(request, language, decimalSeparator);
  FrameFigure(request, wording, decimalSeparator, data.figure);
  const std::vector<EvaluatedCurve> curves = EvaluateCurves(request, data);
  for (std::size_t c = 0; c < curves.size(); ++c) {
    AddSaturationBoundary(request, c, curves[c].saturation, wording, data.figure);
    AddSolubilityBoundary(request, c, wording, data.figure);
  }
  AddPanels(request, curves, wording, data);
  AddNotes(request, wording, data);
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

std::string SubstanceTitle(substance_id substance, PlotLanguage language) {
  const expected<substance_info> info = find_substance(substance);
  if (!info) return {};
  const std::string name = language == PlotLanguage::Russian ? RussianName(info->russian_name)
                                                             : CapitalizeFirst(std::string(info->english_name));
  return name + " " + SubscriptFormula(info->formula);
}

}  // namespace elprops::cli
