#include "cli/output/point_output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "cli/output/safe_text.h"
#include "report/display_text.h"

namespace elprops::cli {

std::optional<Format> FormatNamed(std::string_view name) {
  if (name == "text") return Format::Text;
  if (name == "csv") return Format::Csv;
  if (name == "json") return Format::Json;
  return std::nullopt;
}

OutputBuffer::OutputBuffer(Sink sink, std::size_t capacity)
    : sink_(std::move(sink)), buffer_(std::max<std::size_t>(capacity, 64)) {}

OutputBuffer::~OutputBuffer() { Flush(); }

void OutputBuffer::Append(std::string_view text) {
  while (!text.empty()) {
    if (size_ == buffer_.size()) MakeRoom(1);
    const std::size_t n = std::min(text.size(), buffer_.size() - size_);
    std::memcpy(buffer_.data() + size_, text.data(), n);
    size_ += n;
    text.remove_prefix(n);
  }
}

void OutputBuffer::AppendShortest(float value) {
  if (buffer_.size() - size_ < 32) MakeRoom(32);
  size_ = static_cast<std::size_t>(WriteShortest(buffer_.data() + size_, value) - buffer_.data());
}

void OutputBuffer::AppendRows(std::string_view rows) {
  constexpr std::size_t kDirect = std::size_t{1} << 16;
  if (size_ == 0 && rows.size() >= kDirect) {
    if (!failed_ && !sink_(rows)) {
      failed_ = true;
      errorNumber_ = errno;
    }
    return;
  }
  Append(rows);
  EndRow();
}

void OutputBuffer::MakeRoom(std::size_t n) {
  Flush();
  if (buffer_.size() - size_ < n) buffer_.resize(std::max(buffer_.size() * 2, size_ + n));
}

bool OutputBuffer::Flush() {
  if (rowsEnd_ > 0) {
    if (!failed_ && !sink_(std::string_view(buffer_.data(), rowsEnd_))) {
      failed_ = true;
      errorNumber_ = errno;
    }
    // The unfinished row moves to the front.
    std::memmove(buffer_.data(), buffer_.data() + rowsEnd_, size_ - rowsEnd_);
    size_ -= rowsEnd_;
    rowsEnd_ = 0;
  }
  return !failed_;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

OutputBuffer::Sink StandardOutput() {
  return [](std::string_view data) { return WriteAll(STDOUT_FILENO, data); };
}

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

namespace {

bool NeedsQuotes(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
}

void AppendCsvCell(OutputBuffer& out, std::string_view text) {
  if (!NeedsQuotes(text)) {
    out.Append(text);
    return;
  }
  out.Append('"');
  for (const char c : text) {
    if (c == '"') out.Append('"');
    out.Append(c);
  }
  out.Append('"');
}

}  // namespace

std::string CsvCellText(std::string_view text) {
  if (!NeedsQuotes(text)) return std::string(text);
  std::string cell = "\"";
  for (const char c : text) {
    if (c == '"') cell += '"';
    cell += c;
  }
  cell += '"';
  return cell;
}

namespace {

void AppendJsonString(OutputBuffer& out, std::string_view text) {
  // Formulas and most messages are plain ASCII and need no escape.
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x80 && c != '"' && c != '\\';
  });
  if (plain) {
    out.Append('"');
    out.Append(text);
    out.Append('"');
    return;
  }
  std::string escaped;
  cli::AppendJsonString(escaped, text);
  out.Append(escaped);
}

void AppendCsvNumber(OutputBuffer& out, const std::optional<float>& value, std::string_view text) {
  if (value) {
    out.AppendShortest(*value);
  } else {
    AppendCsvCell(out, text);
  }
}

// A number, the text as given in a string, or null.
void AppendJsonNumber(OutputBuffer& out, const std::optional<float>& value, std::string_view text) {
  if (value) {
    out.AppendShortest(*value);
  } else if (!text.empty()) {
    AppendJsonString(out, text);
  } else {
    out.Append("null");
  }
}

// A molality or molarity: nine significant digits, always with a point.
void AppendDecimal(OutputBuffer& out, double value, int digits = 9) {
  char text[40];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  out.Append(std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

void AppendCsvUnitCells(OutputBuffer& out, const PointOutcome& point) {
  out.Append(',');
  AppendCsvCell(out, point.unitText);
  out.Append(',');
  if (point.massFraction) out.AppendShortest(*point.massFraction);
  out.Append(',');
  if (point.molality) AppendDecimal(out, *point.molality);
  out.Append(',');
  if (point.molarity) AppendDecimal(out, *point.molarity);
}

void AppendJsonUnitFields(OutputBuffer& out, const PointOutcome& point) {
  out.Append(",\"unit\":");
  AppendJsonString(out, point.unitText);
  out.Append(",\"mass_fraction\":");
  AppendJsonNumber(out, point.massFraction, {});
  out.Append(",\"molality\":");
  if (point.molality) {
    AppendDecimal(out, *point.molality);
  } else {
    out.Append("null");
  }
  out.Append(",\"molarity\":");
  if (point.molarity) {
    AppendDecimal(out, *point.molarity);
  } else {
    out.Append("null");
  }
}

}  // namespace

void WriteCsvHeader(OutputBuffer& out, bool unitColumns) {
  out.Append(unitColumns ? kOutputHeaderWithUnits : kOutputHeader);
  out.Append('\n');
  out.EndRow();
}

void WriteCsvRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns) {
  AppendCsvCell(out, point.substanceText);
  out.Append(',');
  AppendCsvNumber(out, point.concentration, point.concentrationText);
  out.Append(',');
  AppendCsvNumber(out, point.temperature, point.temperatureText);
  if (unitColumns) AppendCsvUnitCells(out, point);
  if (point.properties) {
    const model::PropertySet& p = *point.properties;
    for (const float v : {p.Density, p.Viscosity, p.SurfaceTension, p.HeatCapacity, p.ThermalConductivity}) {
      out.Append(',');
      out.AppendShortest(v);
    }
    // An empty error cell, then the warning cell.
    out.Append(",,");
    AppendCsvCell(out, point.warning);
    out.Append('\n');
  } else {
    // Five empty property cells, the error cell and an empty warning cell.
    out.Append(",,,,,,");
    AppendCsvCell(out, point.error);
    out.Append(",\n");
  }
  out.EndRow();
}

void WriteJsonRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns) {
  out.Append("{\"substance\":");
  AppendJsonString(out, point.substanceText);
  out.Append(",\"concentration\":");
  AppendJsonNumber(out, point.concentration, point.concentrationText);
  out.Append(",\"temperature\":");
  AppendJsonNumber(out, point.temperature, point.temperatureText);
  if (unitColumns) AppendJsonUnitFields(out, point);
  static constexpr std::string_view kNames[5] = {
      ",\"density\":", ",\"viscosity\":", ",\"surface_tension\":", ",\"heat_capacity\":", ",\"thermal_conductivity\":"};
  if (point.properties) {
    const model::PropertySet& p = *point.properties;
    const float values[5] = {p.Density, p.Viscosity, p.SurfaceTension, p.HeatCapacity, p.ThermalConductivity};
    for (std::size_t k = 0; k < 5; ++k) {
      out.Append(kNames[k]);
      out.AppendShortest(values[k]);
    }
    out.Append(",\"error\":null,\"warning\":");
    if (point.warning.empty()) {
      out.Append("null");
    } else {
      AppendJsonString(out, point.warning);
    }
    out.Append("}\n");
  } else {
    for (const std::string_view name : kNames) {
      out.Append(name);
      out.Append("null");
    }
    out.Append(",\"error\":");
    AppendJsonString(out, point.error);
    out.Append(",\"warning\":null}\n");
  }
  out.EndRow();
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
