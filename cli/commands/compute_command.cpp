// elprops-cli compute: one point, or a sweep over concentration and
// temperature (concentration outer).
#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <elprops/substance.hpp>
#include <elprops/text.hpp>
#include <elprops/vocabulary.hpp>

#include "cli/batch/batch.h"
#include "cli/commands/command_support.h"
#include "cli/commands/commands.h"
#include "cli/input/point_input.h"
#include "cli/input/sweep.h"
#include "cli/output/point_output.h"
#include "cli/output/stop_signal.h"
#include "cli/output/table_output.h"

namespace elprops::cli {
namespace {

struct ComputeOptions {
  std::string substance;
  std::vector<std::string> concentrations;
  std::vector<std::string> temperatures;
  std::string format = "text";
  std::string unit = "fraction";
  bool allUnits = false;
  bool noWarnings = false;
  bool reference = false;
  QuantityOptions quantities;
  std::string language;  // empty: from the locale
};

std::string Describe(const PointOutcome& point) {
  std::string text(point.substanceText);
  if (point.concentration) text += " at concentration " + ConcentrationText(point);
  if (point.temperature)
    text += (point.concentration ? " and temperature " : " at temperature ") + shortest_text(*point.temperature);
  return text;
}

// What to compute, read from the options.
struct ComputeRequest {
  substance_info substance;
  concentration_unit unit = concentration_unit::mass_fraction;
  bool unitColumns = false;
  bool reference = false;
  QuantitySelection quantities;
  // The text output: the window's Russian block, or the quantities' lines
  // in English or Russian.
  bool windowBlock = true;
  bool russian = true;
  std::optional<SweepList> concentrations;
  std::optional<SweepList> temperatures;
};

// The request, or nothing after saying what is wrong.
std::optional<ComputeRequest> ReadRequest(const ComputeOptions& options) {
  ComputeRequest request;
  const expected<substance_info> substance = find_substance(options.substance);
  if (!substance) {
    ReportError(substance.error().message);
    return std::nullopt;
  }
  request.substance = *substance;
  const std::optional<concentration_unit> unit = parse_concentration_unit(options.unit);
  if (!unit) {
    ReportError("--unit \"" + options.unit + "\": give fraction, percent, molality, molarity or g/L");
    return std::nullopt;
  }
  request.unit = *unit;
  request.unitColumns = options.allUnits || *unit != concentration_unit::mass_fraction;
  request.reference = options.reference;
  std::string error;
  std::optional<QuantitySelection> quantities =
      ReadSelection(options.quantities.properties, options.quantities.referenceTemperature, error);
  if (!quantities) {
    ReportError(error);
    return std::nullopt;
  }
  request.quantities = std::move(*quantities);
  // Without --lang the five keep the window's block whatever the locale.
  request.russian = options.language.empty() && request.quantities.IsDefault() ? true : RussianOutput(options.language);
  request.windowBlock = request.russian && request.quantities.IsDefault();
  if (options.format == "table" && options.reference) {
    ReportError("--reference is not shown in the table format: give --format text, csv or json");
    return std::nullopt;
  }
  if (!options.concentrations.empty()) {
    request.concentrations = SweepList::Parse(options.concentrations, error);
    if (!request.concentrations) {
      ReportError("--concentration " + error);
      return std::nullopt;
    }
  } else if (substance->is_water()) {
    request.concentrations = SweepList::Of(Sweep::Single(ParsedDecimal{}));
  } else {
    ReportError("--concentration is required for " + std::string(substance->formula));
    return std::nullopt;
  }
  request.temperatures = SweepList::Parse(options.temperatures, error);
  if (!request.temperatures) {
    ReportError("--temperature " + error);
    return std::nullopt;
  }
  if (!CombinedCount(request.concentrations->Count(), request.temperatures->Count(), error)) {
    ReportError(error);
    return std::nullopt;
  }
  return request;
}

struct RunCounts {
  std::size_t points = 0;
  std::size_t failed = 0;
  int signal = 0;  // the signal that stopped the run, or 0
};

// Computes and writes every point, concentration outer, until done, a stop
// signal or a failed write.
RunCounts WritePoints(const ComputeRequest& request, Format format, bool warnings, OutputBuffer& out) {
  const std::string separator = format == Format::Text ? UserDecimalSeparator() : ".";
  const std::atomic<int>& stop = StopRequest();
  const std::span<const quantity_kind> quantities = request.quantities.kinds;
  if (format == Format::Csv) WriteCsvHeader(out, request.unitColumns, request.reference, quantities);
  PointOutcome point;
  RunCounts counts;
  for (std::size_t i = 0; i < request.concentrations->Count() && counts.signal == 0 && !out.Failed(); ++i) {
    const ParsedDecimal x = request.concentrations->AtDecimal(i);
    for (std::size_t k = 0; k < request.temperatures->Count(); ++k) {
      // The row being written is finished first.
      if ((counts.signal = stop.load()) != 0 || out.Failed()) break;
      EvaluatePoint(request.substance, x, request.temperatures->At(k), point, request.unit, warnings,
                    request.reference);
      if (request.quantities.AnyDerived()) AddDerived(point, request.quantities.derived);
      ++counts.points;
      if (!point.ok()) ++counts.failed;
      if (format == Format::Csv) {
        WriteCsvRow(out, point, request.unitColumns, request.reference, quantities);
      } else if (format == Format::Json) {
        WriteJsonRow(out, point, request.unitColumns, request.reference, quantities);
      } else if (point.ok()) {
        if (counts.points - counts.failed > 1) out.Append('\n');
        if (request.windowBlock) {
          WriteTextBlock(out, point, separator, request.unitColumns, request.reference);
        } else {
          WriteQuantityBlock(out, point, quantities, request.russian, separator, request.unitColumns,
                             request.reference);
        }
      } else {
        // Keep the order of the messages and the results on a terminal.
        out.Flush();
        ReportError(Describe(point) + ": " + point.error);
      }
    }
  }
  return counts;
}

// The table: the points written as CSV, then laid out.
RunCounts WriteTable(const ComputeRequest& request, bool warnings, OutputBuffer& out) {
  std::string csv;
  RunCounts counts;
  {
    OutputBuffer records(CollectInto(csv));
    counts = WritePoints(request, Format::Csv, warnings, records);
    records.Flush();
  }
  TableLayout layout;
  layout.russian = request.russian;
  layout.decimalSeparator = UserDecimalSeparator();
  layout.title =
      request.russian
          ? std::string(request.substance.russian_name) + " (" + std::string(request.substance.formula) + ")"
          : std::string(request.substance.formula) + " (" + std::string(request.substance.english_name) + ")";
  layout.columns = PointTableColumns(false, request.unitColumns, request.quantities.kinds, request.russian);
  cli::WriteTable(out, csv, layout);
  return counts;
}

int RunCompute(const ComputeOptions& options) {
  std::optional<ComputeRequest> request = ReadRequest(options);
  if (!request) return kExitUsage;
  const bool table = options.format == "table";
  if (table) request->russian = RussianOutput(options.language);
  const Format format = table ? Format::Csv : *FormatNamed(options.format);
  CatchStopSignals();
  OutputBuffer out(StandardOutput());
  const RunCounts counts =
      table ? WriteTable(*request, !options.noWarnings, out) : WritePoints(*request, format, !options.noWarnings, out);
  if (!out.Flush()) {
    ReportError(std::string("cannot write the results: ") + std::strerror(out.ErrorNumber()));
    return kExitUsage;
  }
  if (counts.signal != 0) {
    ReportError("stopped by " + SignalName(counts.signal) + " after " + std::to_string(counts.points) +
                " points; the output ends with a whole row");
    return 128 + counts.signal;
  }
  if (counts.failed == 0) return kExitOk;
  if (format != Format::Text) {
    ReportError(std::to_string(counts.failed) + " of " + std::to_string(counts.points) +
                " points were not computed (see " + (table ? "the errors after the table)" : "the error column)"));
  }
  return kExitPointFailed;
}

}  // namespace

void AddComputeCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<ComputeOptions>();
  CLI::App* compute = app.add_subcommand("compute",
                                         "Compute the five properties (or the quantities of --properties) of one "
                                         "point, or of every combination of a concentration range and a "
                                         "temperature range (concentration outer).");
  compute
      ->add_option("-s,--substance", options->substance,
                   "Substance: index 1-19, formula (NaCl, K2CO3, H2O, ...) or English name (\"sodium chloride\")")
      ->required();
  compute->add_option("-c,--concentration", options->concentrations,
                      "Concentration in the --unit, by default the mass fraction, kg/kg, above 0 and below 1 (water: "
                      "0 or leave out); decimal point or comma; or a range FROM:TO:STEP; repeat for more values");
  compute
      ->add_option("-t,--temperature", options->temperatures,
                   "Degrees Celsius, above 0 °C and below 270 °C (water: 200 °C); 0 °C and below are not covered; "
                   "or a range FROM:TO:STEP; repeat for more values")
      ->required();
  compute
      ->add_option("-f,--format", options->format,
                   "Output format: text, csv, json, or table (an aligned row per point, the names and units in the "
                   "header, the errors and warnings after it)")
      ->check(CLI::IsMember({"text", "csv", "json", "table"}))
      ->capture_default_str();
  AddQuantityOptions(*compute, options->quantities);
  AddLanguageOption(*compute, options->language);
  compute
      ->add_option("-u,--unit", options->unit,
                   "Unit of --concentration: fraction (kg/kg), percent, molality (mol/kg water), molarity (mol/L "
                   "solution) or g/L (g/L solution); molarity and g/L are converted on the model's density")
      ->capture_default_str();
  compute->add_flag("--all-units", options->allUnits,
                    "Show the mass fraction, molality and molarity of every point even for mass fractions");
  compute->add_flag("--no-warnings", options->noWarnings,
                    "Leave the warning column empty (no solubility and temperature warnings)");
  compute->add_flag("--reference", options->reference,
                    "Show beside each point the independent published models (Laliberte, Melinder, Dutcher, ...): "
                    "for each property one covers, its value, source, the relative deviation of ours from it and "
                    "whether the point lies within the span of its measurements, and notes where no measurement "
                    "stands behind the point. CSV/JSON fields <property>_reference, <property>_reference_source, "
                    "<property>_deviation, <property>_within_span and notes after warning");
  compute->footer(
      "Exit status: 0 every point computed; 1 some point refused or failed (the message or its row says why); 2 "
      "bad usage, a sweep too large or the output not written; 130 or 143 stopped by SIGINT or SIGTERM after a "
      "whole row. A warning (a point above the solubility of the salt, or above 100 °C) never changes it.\n"
      "Examples:\n"
      "  elprops-cli compute --substance NaCl --concentration 0,1 --temperature 20\n"
      "  elprops-cli compute -s NaCl --unit molality -c 1 -t 25\n"
      "  elprops-cli compute -s H2O -t 100\n"
      "  elprops-cli compute -s KCl -c 0.05:0.25:0.05 -t 20:80:20 --format csv\n"
      "  elprops-cli compute -s CaCl2 -c 0.1 -c 0.2 -t 10 -t 40 --format csv\n"
      "  elprops-cli compute -s NaCl -c 0.1 -t 20 --reference\n"
      "  elprops-cli compute -s NaCl -c 0.1 -t 20 -p prandtl,kinematic_viscosity --format table\n"
      "  elprops-cli compute -s CaCl2 -c 0.2 -t 10:40:10 -p all --format csv");
  compute->callback([options, &status] { status = RunCompute(*options); });
}

}  // namespace elprops::cli
