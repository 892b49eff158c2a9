#include "cli/output/point_output.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "cli/output/safe_text.h"
#include "report/display_text.h"

namespace elprops::cli {

void EvaluatePoint(const model::SubstanceTables& tables, std::string_view substanceText,
                   const ParsedNumber& concentration, const ParsedNumber& temperature, PointOutcome& outcome,
                   model::ConcentrationUnit unit, bool warnings) {
  outcome.error.clear();
  outcome.properties.reset();
  outcome.concentration.reset();
  outcome.temperature.reset();
  outcome.concentrationText = {};
  outcome.temperatureText = {};
  outcome.unit = unit;
  outcome.unitText = model::UnitName(unit);
  outcome.massFraction.reset();
  outcome.molality.reset();
  outcome.molarity.reset();
  outcome.warnings.clear();
  outcome.warning.clear();
  const std::optional<std::uint8_t> substance = FindSubstance(substanceText);
  outcome.substance = substance.value_or(0);
  outcome.substanceText = substance ? model::kCatalogue[*substance - 1u].Formula : TrimBlanks(substanceText);
  if (concentration.ok()) outcome.concentration = concentration.value;
  if (temperature.ok()) outcome.temperature = temperature.value;

  if (!substance) {
    outcome.error = "unknown substance \"" + std::string(TrimBlanks(substanceText)) +
                    "\": give its index 1 to 19 or its formula (see the list command)";
    return;
  }
  if (!concentration.ok()) {
    outcome.error = "concentration beyond the single-precision range";
    return;
  }
  if (!temperature.ok()) {
    outcome.error = "temperature beyond the single-precision range";
    return;
  }
  float x = concentration.value;
  if (unit != model::ConcentrationUnit::MassFraction && x != 0.0f) {
    // The conversion needs an admissible temperature (molarity and g/L are
    // solved on the density at it); the water's refusal of a concentration
    // comes from the check below.
    const bool water = *substance == model::kWater;
    if (auto reason = InadmissibleReason(*substance, water ? 0.0f : 0.5f, temperature.value)) {
      outcome.error = std::move(*reason);
      return;
    }
    if (!water) {
      const model::Conversion converted =
          model::ToMassFraction(tables, *substance, unit, static_cast<double>(x), temperature.value);
      if (!converted.ok) {
        outcome.error = converted.error;
        return;
      }
      x = converted.massFraction;
    }
  }
  if (auto reason = InadmissibleReason(*substance, x, temperature.value)) {
    outcome.error = std::move(*reason);
    return;
  }
  float limit = 0.0f;
  model::PropertySet properties;
  const model::ComputeStatus status =
      model::ComputeProperties(tables, *substance, x, temperature.value, limit, properties);
  // A mass fraction is echoed as the model took it (0 for water).
  if (unit == model::ConcentrationUnit::MassFraction) outcome.concentration = x;
  outcome.massFraction = x;
  if (!status.ok()) {
    outcome.error = "arithmetic error: " + status.Message();
    return;
  }
  outcome.properties = properties;
  if (*substance == model::kWater) {
    outcome.molality = 0.0;
    outcome.molarity = 0.0;
  } else {
    outcome.molality = model::MolalityOf(*substance, x);
    outcome.molarity = model::MolarityOf(*substance, x, properties.Density);
  }
  if (warnings) {
    outcome.warnings = model::CheckValidity(*substance, x, temperature.value);
    outcome.warning = model::JoinWarnings(outcome.warnings);
  }
}

void UnreadablePoint(std::string_view substance, std::string_view concentration, std::string_view temperature,
                     std::string message, PointOutcome& outcome) {
  const std::optional<std::uint8_t> known = FindSubstance(substance);
  outcome.substance = known.value_or(0);
  outcome.massFraction.reset();
  outcome.molality.reset();
  outcome.molarity.reset();
  outcome.warnings.clear();
  outcome.warning.clear();
  outcome.substanceText = known ? model::kCatalogue[*known - 1u].Formula : TrimBlanks(substance);
  outcome.properties.reset();
  outcome.concentrationText = TrimBlanks(concentration);
  outcome.temperatureText = TrimBlanks(temperature);
  // A cell that holds a number is written as one.
  const auto number = [](std::string_view text) -> std::optional<float> {
    const ParsedNumber n = ParseSingle(text);
    if (text.empty() || !n.ok()) return std::nullopt;
    return n.value;
  };
  outcome.concentration = number(outcome.concentrationText);
  outcome.temperature = number(outcome.temperatureText);
  outcome.error = std::move(message);
}

std::span<const std::string_view> PointFields(bool unitColumns) {
  static constexpr std::string_view kWithUnits[] = {
      "substance", "concentration", "temperature",     "unit",          "mass_fraction",        "molality", "molarity",
      "density",   "viscosity",     "surface_tension", "heat_capacity", "thermal_conductivity", "error",    "warning"};
  static constexpr std::string_view kWithoutUnits[] = {
      "substance",       "concentration", "temperature",          "density", "viscosity",
      "surface_tension", "heat_capacity", "thermal_conductivity", "error",   "warning"};
  if (unitColumns) return kWithUnits;
  return kWithoutUnits;
}

void WriteCsvHeader(OutputBuffer& out, bool unitColumns) {
  RecordWriter(out, Format::Csv, PointFields(unitColumns)).WriteHeader();
}

namespace {

void WriteRecord(OutputBuffer& out, Format format, const PointOutcome& point, bool unitColumns) {
  RecordWriter record(out, format, PointFields(unitColumns));
  record.Text(point.substanceText)
      .NumberOr(point.concentration, point.concentrationText)
      .NumberOr(point.temperature, point.temperatureText);
  if (unitColumns) {
    record.Text(point.unitText)
        .FloatOrNull(point.massFraction)
        .DoubleOrNull(point.molality)
        .DoubleOrNull(point.molarity);
  }
  if (point.properties) {
    const model::PropertySet& p = *point.properties;
    for (const float v : {p.Density, p.Viscosity, p.SurfaceTension, p.HeatCapacity, p.ThermalConductivity}) {
      record.Float(v);
    }
    record.Null().TextOrNull(point.warning);
  } else {
    for (int k = 0; k < 5; ++k) record.Null();
    record.Text(point.error).Null();
  }
  record.EndRecord();
}

}  // namespace

void WriteCsvRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns) {
  WriteRecord(out, Format::Csv, point, unitColumns);
}

void WriteJsonRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns) {
  WriteRecord(out, Format::Json, point, unitColumns);
}

namespace {

// The labels join their lines with a carriage return; a terminal wants
// line feeds.
void AppendLines(OutputBuffer& out, std::string_view text) {
  for (const char c : text) out.Append(c == '\r' ? '\n' : c);
  out.Append('\n');
}

}  // namespace

void WriteTextBlock(OutputBuffer& out, const PointOutcome& point, std::string_view decimalSeparator, bool unitLine) {
  if (!point.properties || point.substance == 0) return;
  const model::CatalogueRow& row = model::kCatalogue[point.substance - 1u];
  out.Append(TrimBlanks(row.Caption));
  out.Append(" (");
  out.Append(row.Formula);
  out.Append(", ");
  out.Append(row.EnglishName);
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
  AppendLines(out, report::ResultLabelText(*point.properties, decimalSeparator));
  for (const model::Warning& warning : point.warnings) {
    out.Append(warning.IsNote() ? "note: " : "warning: ");
    out.Append(warning.message);
    out.Append('\n');
  }
  out.EndRow();
}

}  // namespace elprops::cli
