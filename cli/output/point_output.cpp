#include "cli/output/point_output.h"

#include <charconv>
#include <elprops/substance.hpp>
#include <elprops/text.hpp>
#include <elprops/units.hpp>
#include <map>
#include <mutex>
#include <utility>

#include "report/display_text.h"

namespace elprops::cli {

namespace {

// The mass fraction a point was given to the correlations at, for a point
// whose computation failed: its row shows it all the same.
std::optional<float> MassFractionOf(substance_id substance, double concentration, float temperature,
                                    concentration_unit unit) {
  if (unit == concentration_unit::mass_fraction) return static_cast<float>(concentration);
  const expected<conversion> converted = to_mass_fraction(substance, unit, concentration, temperature);
  if (!converted) return std::nullopt;
  return converted->mass_fraction;
}

void Reset(PointOutcome& outcome, concentration_unit unit) {
  outcome.error.clear();
  outcome.values.reset();
  outcome.derived.reset();
  outcome.concentration.reset();
  outcome.temperature.reset();
  outcome.concentrationText = {};
  outcome.temperatureText = {};
  outcome.echoCells = false;
  outcome.unit = unit;
  outcome.unitText = describe(unit).name;
  outcome.massFraction.reset();
  outcome.molality.reset();
  outcome.molarity.reset();
  outcome.warnings.clear();
  outcome.warning.clear();
  outcome.reference.known = false;
}

// The concentration as the library is given it: see EvaluatePoint.
ParsedDecimal ConcentrationRead(const ParsedDecimal& concentration, concentration_unit unit) {
  if (unit != concentration_unit::mass_fraction) return concentration;
  const ParsedNumber single = RoundToSingle(concentration);
  return {static_cast<double>(single.value), single.error};
}

}  // namespace

void EvaluatePoint(std::string_view substanceText, const ParsedDecimal& concentration, const ParsedNumber& temperature,
                   PointOutcome& outcome, concentration_unit unit, bool warnings, bool reference) {
  const expected<substance_info> substance = find_substance(substanceText);
  if (substance) {
    EvaluatePoint(*substance, concentration, temperature, outcome, unit, warnings, reference);
    return;
  }
  Reset(outcome, unit);
  outcome.substance = 0;
  outcome.substanceText = TrimBlanks(substanceText);
  const ParsedDecimal read = ConcentrationRead(concentration, unit);
  if (read.ok()) outcome.concentration = read.value;
  if (temperature.ok()) outcome.temperature = temperature.value;
  outcome.error = substance.error().message;
}

void EvaluatePoint(const substance_info& substance, const ParsedDecimal& concentration, const ParsedNumber& temperature,
                   PointOutcome& outcome, concentration_unit unit, bool warnings, bool reference) {
  Reset(outcome, unit);
  outcome.substance = static_cast<std::uint8_t>(substance.index);
  outcome.substanceText = substance.formula;
  const ParsedDecimal read = ConcentrationRead(concentration, unit);
  if (read.ok()) outcome.concentration = read.value;
  if (temperature.ok()) outcome.temperature = temperature.value;
  if (!read.ok()) {
    outcome.error = unit == concentration_unit::mass_fraction ? "concentration beyond the single-precision range"
                                                              : "concentration beyond the double-precision range";
    return;
  }
  if (!temperature.ok()) {
    outcome.error = "temperature beyond the single-precision range";
    return;
  }
  result computed = compute(substance.id(), read.value, temperature.value, unit);
  if (!computed) {
    outcome.error = computed.error().message;
    if (computed.error().kind == error_kind::arithmetic_fault) {
      outcome.massFraction = MassFractionOf(substance.id(), read.value, temperature.value, unit);
    }
    return;
  }
  point p = std::move(computed).value();
  outcome.massFraction = p.mass_fraction;
  outcome.molality = p.molality;
  outcome.molarity = p.molarity;
  outcome.values = static_cast<const properties&>(p);
  if (warnings) {
    outcome.warning = join_warnings(p.warnings);
    outcome.warnings = std::move(p.warnings);
  }
  if (reference) FindReference(substance.id(), p.mass_fraction, temperature.value, outcome.reference);
}

void AddDerived(PointOutcome& outcome, const derived_options& options) {
  if (!outcome.values || outcome.substance == 0 || !outcome.massFraction || !outcome.temperature) return;
  const substance_info& substance = substances()[outcome.substance - 1u];
  expected<derived_properties> derived =
      compute_derived(substance.id(), *outcome.massFraction, *outcome.temperature, options);
  if (derived) {
    outcome.derived = *derived;
    return;
  }
  // Every cell of a point is empty when one of its quantities fails.
  outcome.values.reset();
  outcome.warnings.clear();
  outcome.warning.clear();
  outcome.reference.known = false;
  outcome.error = derived.error().message;
}

void UnreadablePoint(std::string_view substance, std::string_view concentration, std::string_view temperature,
                     std::string message, PointOutcome& outcome) {
  const expected<substance_info> known = find_substance(substance);
  outcome.substance = known ? static_cast<std::uint8_t>(known->index) : 0;
  outcome.massFraction.reset();
  outcome.molality.reset();
  outcome.molarity.reset();
  outcome.warnings.clear();
  outcome.warning.clear();
  outcome.reference.known = false;
  outcome.substanceText = known ? known->formula : TrimBlanks(substance);
  outcome.values.reset();
  outcome.derived.reset();
  outcome.concentration.reset();
  outcome.temperature.reset();
  EchoCells(concentration, temperature, outcome);
  outcome.error = std::move(message);
}

void EchoCells(std::string_view concentration, std::string_view temperature, PointOutcome& outcome) {
  outcome.concentrationText = TrimBlanks(concentration);
  outcome.temperatureText = TrimBlanks(temperature);
  outcome.echoCells = true;
}

std::string ConcentrationText(const PointOutcome& outcome) {
  if (!outcome.concentration) return std::string(outcome.concentrationText);
  if (outcome.unit == concentration_unit::mass_fraction)
    return shortest_text(static_cast<float>(*outcome.concentration));
  return nine_digit_text(*outcome.concentration);
}

namespace {

std::span<const std::string_view> FiveFields(bool unitColumns, bool reference) {
  static constexpr std::string_view kWithUnits[] = {
      "substance", "concentration", "temperature",     "unit",          "mass_fraction",        "molality", "molarity",
      "density",   "viscosity",     "surface_tension", "heat_capacity", "thermal_conductivity", "error",    "warning"};
  static constexpr std::string_view kWithoutUnits[] = {
      "substance",       "concentration", "temperature",          "density", "viscosity",
      "surface_tension", "heat_capacity", "thermal_conductivity", "error",   "warning"};
  const std::span<const std::string_view> fields =
      unitColumns ? std::span<const std::string_view>(kWithUnits) : std::span<const std::string_view>(kWithoutUnits);
  return reference ? WithReferenceFields(fields) : fields;
}

bool IsFive(std::span<const quantity_kind> quantities) {
  if (quantities.empty()) return true;
  if (quantities.size() != static_cast<std::size_t>(property_count)) return false;
  for (std::size_t k = 0; k < quantities.size(); ++k) {
    if (static_cast<std::size_t>(quantities[k]) != k) return false;
  }
  return true;
}

std::vector<std::string_view> MakeFields(bool unitColumns, bool reference, std::span<const quantity_kind> quantities) {
  const std::span<const std::string_view> five = FiveFields(unitColumns, false);
  // The input (and unit) fields, the quantities, error and warning.
  std::vector<std::string_view> fields(five.begin(), five.end() - property_count - 2);
  for (const quantity_kind k : quantities) fields.push_back(describe(k).name);
  fields.insert(fields.end(), {"error", "warning"});
  if (!reference) return fields;
  const std::span<const std::string_view> all = ReferenceFields();
  for (const quantity_kind k : quantities) {
    if (!base_property(k)) continue;
    const auto first = all.begin() + 4 * static_cast<std::ptrdiff_t>(k);
    fields.insert(fields.end(), first, first + 4);
  }
  fields.push_back(all.back());
  return fields;
}

}  // namespace

std::span<const std::string_view> PointFields(bool unitColumns, bool reference,
                                              std::span<const quantity_kind> quantities) {
  if (IsFive(quantities)) return FiveFields(unitColumns, reference);
  static std::mutex mutex;
  static std::map<std::string, std::vector<std::string_view>> made;
  std::string key{unitColumns ? 'u' : '-', reference ? 'r' : '-'};
  for (const quantity_kind k : quantities) key += static_cast<char>('a' + static_cast<int>(k));
  const std::lock_guard lock(mutex);
  std::vector<std::string_view>& fields = made[key];
  if (fields.empty()) fields = MakeFields(unitColumns, reference, quantities);
  return fields;
}

void WriteCsvHeader(OutputBuffer& out, bool unitColumns, bool reference, std::span<const quantity_kind> quantities) {
  RecordWriter(out, Format::Csv, PointFields(unitColumns, reference, quantities)).WriteHeader();
}

namespace {

void WriteQuantities(RecordWriter& record, const PointOutcome& point, std::span<const quantity_kind> quantities) {
  if (IsFive(quantities)) {
    for (const property_info& property : property_table()) record.Float(property_value(*point.values, property.kind));
    return;
  }
  for (const quantity_kind k : quantities) {
    if (const std::optional<property_kind> p = base_property(k)) {
      record.Float(property_value(*point.values, *p));
    } else if (point.derived) {
      record.Shortest(quantity_value(*point.values, *point.derived, k));
    } else {
      record.Null();
    }
  }
}

void WriteRecord(OutputBuffer& out, Format format, const PointOutcome& point, bool unitColumns, bool reference,
                 std::span<const quantity_kind> quantities) {
  RecordWriter record(out, format, PointFields(unitColumns, reference, quantities));
  record.Text(point.substanceText);
  if (point.echoCells && !point.values) {
    record.Echo(point.concentrationText).Echo(point.temperatureText);
  } else {
    if (!point.concentration) {
      record.TextOrNull(point.concentrationText);
    } else if (point.unit == concentration_unit::mass_fraction) {
      record.Float(static_cast<float>(*point.concentration));
    } else {
      record.Double(*point.concentration);
    }
    record.NumberOr(point.temperature, point.temperatureText);
  }
  if (unitColumns) {
    record.Text(point.unitText)
        .FloatOrNull(point.massFraction)
        .DoubleOrNull(point.molality)
        .DoubleOrNull(point.molarity);
  }
  const std::size_t count = quantities.empty() ? std::size_t{property_count} : quantities.size();
  if (point.values) {
    WriteQuantities(record, point, quantities);
    record.Null().TextOrNull(point.warning);
  } else {
    for (std::size_t k = 0; k < count; ++k) record.Null();
    record.Text(point.error).Null();
  }
  if (reference && IsFive(quantities)) {
    WriteReferenceFields(record, point.values ? &point.reference : nullptr);
  } else if (reference) {
    WriteReferenceFields(record, point.values ? &point.reference : nullptr, SelectedProperties(quantities));
  }
  record.EndRecord();
}

}  // namespace

void WriteCsvRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns, bool reference,
                 std::span<const quantity_kind> quantities) {
  WriteRecord(out, Format::Csv, point, unitColumns, reference, quantities);
}

void WriteJsonRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns, bool reference,
                  std::span<const quantity_kind> quantities) {
  WriteRecord(out, Format::Json, point, unitColumns, reference, quantities);
}

namespace {

// The labels join their lines with a carriage return; a terminal wants
// line feeds.
void AppendLines(OutputBuffer& out, std::string_view text) {
  for (const char c : text) out.Append(c == '\r' ? '\n' : c);
  out.Append('\n');
}

}  // namespace

void AppendWarningLines(OutputBuffer& out, std::span<const warning> warnings) {
  for (const warning& w : warnings) {
    out.Append(w.is_note() ? "note: " : "warning: ");
    out.Append(w.message);
    out.Append('\n');
  }
}

namespace {

std::string GeneralDigits(double value, std::string_view decimalSeparator) {
  return DigitsText(value, 6, decimalSeparator);
}

// The substance line and the input label's lines (the window's in Russian,
// "mass fraction w = 0.1 kg/kg, temperature t = 20 °C" in English), then
// with `unitLine` the point in the three units.
void AppendPointLines(OutputBuffer& out, const PointOutcome& point, bool russian, std::string_view decimalSeparator,
                      bool unitLine) {
  const substance_info& substance = substances()[point.substance - 1u];
  if (russian) {
    out.Append(substance.russian_name);
    out.Append(" (");
    out.Append(substance.formula);
    out.Append(", ");
    out.Append(substance.english_name);
    out.Append(")\n");
    // The window's label shows the mass fraction the model was given.
    std::string inputs =
        report::InputLabelText(point.substance, point.massFraction.value_or(0.0f), point.temperature.value_or(0.0f));
    // Water's input label keeps its first line empty; here it is left out.
    if (inputs.starts_with('\r')) inputs.erase(0, 1);
    AppendLines(out, inputs);
  } else {
    out.Append(std::string(substance.formula) + " (" + std::string(substance.english_name) + ")\n");
    if (!substance.is_water()) {
      out.Append("mass fraction w = " + shortest_text(point.massFraction.value_or(0.0f)) + " kg/kg, ");
    }
    out.Append("temperature t = " + shortest_text(point.temperature.value_or(0.0f)) + " °C\n");
  }
  if (unitLine) {
    out.Append("mass fraction " +
               GeneralDigits(static_cast<double>(point.massFraction.value_or(0.0f)), decimalSeparator) +
               " kg/kg, molality " + GeneralDigits(point.molality.value_or(0.0), decimalSeparator) +
               " mol/kg, molarity " + GeneralDigits(point.molarity.value_or(0.0), decimalSeparator) + " mol/L\n");
  }
  out.Append('\n');
}

// One quantity's lines: "density ρ = 1070.638 kg/m³"; in Russian the
// window's two lines of a property, or the caption and the value of a
// derived one, and an empty line after.
void AppendQuantityLines(OutputBuffer& out, const PointOutcome& point, quantity_kind kind, bool russian,
                         std::string_view decimalSeparator, const std::string& windowLines) {
  const quantity_info& q = describe(kind);
  const std::optional<property_kind> base = base_property(kind);
  if (russian && base) {
    // The window's label: caption, value, empty line for each property.
    std::size_t begin = 0;
    for (int line = 0; line < 3 * static_cast<int>(*base); ++line) begin = windowLines.find('\r', begin) + 1;
    const std::size_t end = windowLines.find('\r', windowLines.find('\r', begin) + 1);
    AppendLines(out, std::string_view(windowLines).substr(begin, end - begin));
    out.Append('\n');
    return;
  }
  const double value = point.derived ? quantity_value(*point.values, *point.derived, kind)
                                     : static_cast<double>(property_value(*point.values, *base));
  const std::string number = DigitsText(value, DisplayDigits(kind), decimalSeparator);
  if (russian) {
    out.Append(std::string(q.russian_caption) + " -\n" + number);
    if (!q.russian_unit.empty()) out.Append("  " + std::string(q.russian_unit));
    out.Append("\n\n");
    return;
  }
  out.Append(std::string(q.words) + " " + std::string(q.symbol) + " = " + number);
  if (!q.unit.empty()) out.Append(" " + std::string(q.unit));
  out.Append('\n');
}

}  // namespace

void WriteTextBlock(OutputBuffer& out, const PointOutcome& point, std::string_view decimalSeparator, bool unitLine,
                    bool reference) {
  if (!point.values || point.substance == 0) return;
  AppendPointLines(out, point, true, decimalSeparator, unitLine);
  // The label is the report's, which takes the model's set of properties.
  const properties& v = *point.values;
  AppendLines(
      out, report::ResultLabelText({v.density, v.viscosity, v.surface_tension, v.heat_capacity, v.thermal_conductivity},
                                   decimalSeparator));
  AppendWarningLines(out, point.warnings);
  if (reference) AppendReferenceLines(out, point.reference, decimalSeparator);
  out.EndRow();
}

void WriteQuantityBlock(OutputBuffer& out, const PointOutcome& point, std::span<const quantity_kind> quantities,
                        bool russian, std::string_view decimalSeparator, bool unitLine, bool reference) {
  if (!point.values || point.substance == 0) return;
  AppendPointLines(out, point, russian, decimalSeparator, unitLine);
  const properties& v = *point.values;
  const std::string windowLines =
      russian
          ? report::ResultLabelText(
                {v.density, v.viscosity, v.surface_tension, v.heat_capacity, v.thermal_conductivity}, decimalSeparator)
          : std::string();
  for (const quantity_kind k : quantities) AppendQuantityLines(out, point, k, russian, decimalSeparator, windowLines);
  AppendWarningLines(out, point.warnings);
  if (reference) AppendReferenceLines(out, point.reference, SelectedProperties(quantities), decimalSeparator);
  out.EndRow();
}

}  // namespace elprops::cli
