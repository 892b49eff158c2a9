#include "cli/output/point_output.h"

#include <charconv>
#include <elprops/substance.hpp>
#include <elprops/text.hpp>
#include <elprops/units.hpp>
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

std::span<const std::string_view> PointFields(bool unitColumns, bool reference) {
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

void WriteCsvHeader(OutputBuffer& out, bool unitColumns, bool reference) {
  RecordWriter(out, Format::Csv, PointFields(unitColumns, reference)).WriteHeader();
}

namespace {

void WriteRecord(OutputBuffer& out, Format format, const PointOutcome& point, bool unitColumns, bool reference) {
  RecordWriter record(out, format, PointFields(unitColumns, reference));
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
  if (point.values) {
    for (const property_info& property : property_table()) record.Float(property_value(*point.values, property.kind));
    record.Null().TextOrNull(point.warning);
  } else {
    for (int k = 0; k < 5; ++k) record.Null();
    record.Text(point.error).Null();
  }
  if (reference) WriteReferenceFields(record, point.values ? &point.reference : nullptr);
  record.EndRecord();
}

}  // namespace

void WriteCsvRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns, bool reference) {
  WriteRecord(out, Format::Csv, point, unitColumns, reference);
}

void WriteJsonRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns, bool reference) {
  WriteRecord(out, Format::Json, point, unitColumns, reference);
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

void WriteTextBlock(OutputBuffer& out, const PointOutcome& point, std::string_view decimalSeparator, bool unitLine,
                    bool reference) {
  if (!point.values || point.substance == 0) return;
  const substance_info& substance = substances()[point.substance - 1u];
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
  if (unitLine) {
    const auto number = [decimalSeparator](double value) {
      char text[40];
      const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
      std::string shown(text, result.ptr);
      if (const std::size_t dot = shown.find('.'); dot != std::string::npos) shown.replace(dot, 1, decimalSeparator);
      return shown;
    };
    out.Append("mass fraction " + number(static_cast<double>(point.massFraction.value_or(0.0f))) + " kg/kg, molality " +
               number(point.molality.value_or(0.0)) + " mol/kg, molarity " + number(point.molarity.value_or(0.0)) +
               " mol/L\n");
  }
  out.Append('\n');
  // The label is the report's, which takes the model's set of properties.
  const properties& v = *point.values;
  AppendLines(
      out, report::ResultLabelText({v.density, v.viscosity, v.surface_tension, v.heat_capacity, v.thermal_conductivity},
                                   decimalSeparator));
  AppendWarningLines(out, point.warnings);
  if (reference) AppendReferenceLines(out, point.reference, decimalSeparator);
  out.EndRow();
}

}  // namespace elprops::cli
