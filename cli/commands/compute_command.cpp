// elprops-cli compute: one point, or a sweep over concentration and
// temperature (concentration outer).
#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

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

namespace elprops::cli {
namespace {

struct ComputeOptions {
  std::string substance;
  std::optional<std::string> concentration;
  std::string temperature;
  std::string format = "text";
  std::string unit = "fraction";
  bool allUnits = false;
  bool noWarnings = false;
};

std::string Describe(const PointOutcome& point) {
  std::string text(point.substanceText);
  if (point.concentration) text += " at concentration " + shortest_text(*point.concentration);
  if (point.temperature)
    text += (point.concentration ? " and temperature " : " at temperature ") + shortest_text(*point.temperature);
  return text;
}

int RunCompute(const ComputeOptions& options) {
  const expected<substance_info> substance = find_substance(options.substance);
  if (!substance) {
    ReportError(substance.error().message);
    return kExitUsage;
  }
  const std::string_view formula = substance->formula;
  const std::optional<concentration_unit> unit = parse_concentration_unit(options.unit);
  if (!unit) {
    ReportError("--unit \"" + options.unit + "\": give fraction, percent, molality, molarity or g/L");
    return kExitUsage;
  }
  const bool unitColumns = options.allUnits || *unit != concentration_unit::mass_fraction;
  std::string error;
  std::optional<Sweep> concentrations;
  if (options.concentration) {
    concentrations = Sweep::Parse(*options.concentration, error);
    if (!concentrations) {
      ReportError("--concentration " + error);
      return kExitUsage;
    }
  } else if (substance->is_water()) {
    concentrations = Sweep::Single(ParsedNumber{});
  } else {
    ReportError("--concentration is required for " + std::string(formula));
    return kExitUsage;
  }
  const std::optional<Sweep> temperatures = Sweep::Parse(options.temperature, error);
  if (!temperatures) {
    ReportError("--temperature " + error);
    return kExitUsage;
  }

  if (!CombinedCount(*concentrations, *temperatures, error)) {
    ReportError(error);
    return kExitUsage;
  }

  const Format format = *FormatNamed(options.format);
  const std::string separator = format == Format::Text ? UserDecimalSeparator() : ".";
  CatchStopSignals();
  const std::atomic<int>& stop = StopRequest();
  OutputBuffer out(StandardOutput());
  if (format == Format::Csv) WriteCsvHeader(out, unitColumns);
  PointOutcome point;
  std::size_t points = 0;
  std::size_t failed = 0;
  int signal = 0;
  for (std::size_t i = 0; i < concentrations->Count() && signal == 0 && !out.Failed(); ++i) {
    const ParsedNumber x = concentrations->At(i);
    for (std::size_t k = 0; k < temperatures->Count(); ++k) {
      // The row being written is finished first.
      if ((signal = stop.load()) != 0 || out.Failed()) break;
      EvaluatePoint(formula, x, temperatures->At(k), point, *unit, !options.noWarnings);
      ++points;
      if (!point.ok()) ++failed;
      switch (format) {
        case Format::Csv:
          WriteCsvRow(out, point, unitColumns);
          break;
        case Format::Json:
          WriteJsonRow(out, point, unitColumns);
          break;
        case Format::Text:
          if (point.ok()) {
            if (points - failed > 1) out.Append('\n');
            WriteTextBlock(out, point, separator, unitColumns);
          } else {
            // Keep the order of the messages and the results on a terminal.
            out.Flush();
            ReportError(Describe(point) + ": " + point.error);
          }
          break;
      }
    }
  }
  if (!out.Flush()) {
    ReportError(std::string("cannot write the results: ") + std::strerror(out.ErrorNumber()));
    return kExitUsage;
  }
  if (signal != 0) {
    ReportError("stopped by " + SignalName(signal) + " after " + std::to_string(points) +
                " points; the output ends with a whole row");
    return 128 + signal;
  }
  if (failed == 0) return kExitOk;
  if (format != Format::Text) {
    ReportError(std::to_string(failed) + " of " + std::to_string(points) +
                " points were not computed (see the error column)");
  }
  return kExitPointFailed;
}

}  // namespace

void AddComputeCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<ComputeOptions>();
  CLI::App* compute = app.add_subcommand(
      "compute",
      "Compute the five properties of one point, or of every combination of a concentration range and a "
      "temperature range (concentration outer).");
  compute
      ->add_option("-s,--substance", options->substance,
                   "Substance: index 1-19, formula (NaCl, K2CO3, H2O, ...) or English name (\"sodium chloride\")")
      ->required();
  compute->add_option_function<std::string>(
      "-c,--concentration", [options](const std::string& v) { options->concentration = v; },
      "Concentration in the --unit, by default the mass fraction, kg/kg, strictly between 0 and 1 (water: 0 or leave "
      "out); decimal point or comma; or a range FROM:TO:STEP");
  compute
      ->add_option("-t,--temperature", options->temperature,
                   "Degrees Celsius, strictly between 1e-20 and 270 (water 200); or a range FROM:TO:STEP")
      ->required();
  compute->add_option("-f,--format", options->format, "Output format")
      ->check(CLI::IsMember({"text", "csv", "json"}))
      ->capture_default_str();
  compute
      ->add_option("-u,--unit", options->unit,
                   "Unit of --concentration: fraction (kg/kg), percent, molality (mol/kg water), molarity (mol/L "
                   "solution) or g/L (g/L solution); molarity and g/L are converted on the model's density")
      ->capture_default_str();
  compute->add_flag("--all-units", options->allUnits,
                    "Show the mass fraction, molality and molarity of every point even for mass fractions");
  compute->add_flag("--no-warnings", options->noWarnings,
                    "Leave the warning column empty (no solubility and temperature warnings)");
  compute->footer(
      "Exit status: 0 every point computed; 1 some point refused or failed (the message or its row says why); 2 "
      "bad usage, a sweep too large or the output not written; 130 or 143 stopped by SIGINT or SIGTERM after a "
      "whole row. A warning (a point above the solubility of the salt, or above 100 °C) never changes it.\n"
      "Examples:\n"
      "  elprops-cli compute --substance NaCl --concentration 0,1 --temperature 20\n"
      "  elprops-cli compute -s NaCl --unit molality -c 1 -t 25\n"
      "  elprops-cli compute -s H2O -t 100\n"
      "  elprops-cli compute -s KCl -c 0.05:0.25:0.05 -t 20:80:20 --format csv");
  compute->callback([options, &status] { status = RunCompute(*options); });
}

}  // namespace elprops::cli
