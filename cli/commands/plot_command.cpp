// elprops-cli plot: the properties as curves over temperature or
// concentration, drawn into an SVG, PNG or PDF file for a report.
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "cli/batch/batch.h"
#include "cli/commands/command_support.h"
#include "cli/commands/commands.h"
#include "cli/plot/plot_data.h"
#include "plot/plot_render.h"

namespace elprops::cli {
namespace {

struct PlotCommandOptions {
  PlotOptions plot;
  std::string output;
  std::string size;
  std::string language;
};

// The reasons points were left out, for standard error.
std::string LeftOutMessage(const PlotData& data) {
  std::string text = std::to_string(data.LeftOut()) + " of " + std::to_string(data.points) + " points left out:";
  std::string separator = " ";
  if (data.aboveSaturation > 0) {
    text += separator + std::to_string(data.aboveSaturation) + " above the saturation of calcium chloride";
    separator = ", ";
  }
  if (data.inadmissible > 0) {
    text += separator + std::to_string(data.inadmissible) + " outside the admissible values";
    separator = ", ";
  }
  if (data.unconvertible > 0) {
    text += separator + std::to_string(data.unconvertible) + " whose concentration has no mass fraction";
    separator = ", ";
  }
  if (data.failed > 0) {
    text += separator + std::to_string(data.failed) + " with an arithmetic fault (the first: " + data.firstFault + ")";
  }
  return text;
}

int RunPlot(const PlotCommandOptions& options) {
  const std::optional<report::PlotFileFormat> format = report::PlotFileFormatOf(options.output);
  if (!format) {
    ReportError("--output \"" + options.output + "\": the file name must end in .svg, .png or .pdf");
    return kExitUsage;
  }
  std::string error;
  PlotSize size = DefaultPlotSize(*format);
  if (!options.size.empty()) {
    const std::optional<PlotSize> asked = ParsePlotSize(options.size, *format, error);
    if (!asked) {
      ReportError(error);
      return kExitUsage;
    }
    size = *asked;
  }
  PlotLanguage language = DefaultPlotLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  if (!options.language.empty()) {
    const std::optional<PlotLanguage> named = PlotLanguageNamed(options.language);
    if (!named) {
      ReportError("--lang \"" + options.language + "\": give ru or en");
      return kExitUsage;
    }
    language = *named;
  }
  const std::optional<PlotRequest> request = MakePlotRequest(options.plot, error);
  if (!request) {
    ReportError(error);
    return kExitUsage;
  }

  const PlotData data = MakePlotData(*request, language, UserDecimalSeparator());
  const auto application = MakeGuiApplication();
  const std::string failure = platform::WritePlot(data.figure, options.output, *format, size.width, size.height);
  if (!failure.empty()) {
    ReportError(failure);
    return kExitUsage;
  }
  if (data.LeftOut() == 0) return kExitOk;
  ReportError(LeftOutMessage(data));
  return kExitPointFailed;
}

}  // namespace

void AddPlotCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<PlotCommandOptions>();
  CLI::App* plot = app.add_subcommand(
      "plot",
      "Draw properties as curves into an SVG, PNG or PDF file: the quantity given as a range is the horizontal "
      "axis, every value of the other one a curve; several substances make one curve each. Points refused by the "
      "input rules, calcium chloride above saturation, concentrations without a mass fraction and failed computations "
      "are gaps; the part of a curve beyond the salt's solubility is dashed.");
  plot->add_option("-s,--substance", options->plot.substances,
                   "Substance: index 1-19, formula or name; repeat for one curve per substance at a single value")
      ->required();
  plot->add_option("-p,--property", options->plot.property,
                   "density, viscosity, surface_tension, heat_capacity, thermal_conductivity, or all (five panels)")
      ->required();
  plot->add_option("-t,--temperature", options->plot.temperatures,
                   "Degrees Celsius: a value (repeat for several) or a range FROM:TO:STEP; decimal point or comma");
  plot->add_option("-c,--concentration", options->plot.concentrations,
                   "Concentration in the --unit (mass fraction by default): a value (repeat for several) or a range "
                   "FROM:TO:STEP; decimal point or comma");
  plot->add_option("-u,--unit", options->plot.unit,
                   "Unit of the concentrations, on the axis and in the legend: fraction (default), percent, "
                   "molality, molarity or g/L");
  plot->add_option("--x", options->plot.axis, "The horizontal axis when both are ranges: temperature or concentration");
  plot->add_option("-o,--output", options->output, "The picture: FILE.svg, FILE.png or FILE.pdf")->required();
  plot->add_option("--size", options->size,
                   "WIDTHxHEIGHT in pixels (PNG, SVG; default 1200x800) or millimetres (PDF; default 210x148)");
  plot->add_option("--lang", options->language,
                   "ru or en for the texts; default Russian under a Russian locale, English otherwise");
  plot->footer(
      "Exit status: 0 drawn; 1 drawn with points left out (the note under the plot and standard error say why); "
      "2 bad usage or the file cannot be written.\nExamples:\n"
      "  elprops-cli plot -s CaCl2 -p viscosity -t 1:100:1 -c 0.1 -c 0.2 -c 0.3 -o viscosity.png\n"
      "  elprops-cli plot -s NaCl -s KCl -s H2O -p all -t 1:100:0,5 -c 0,1 --lang en -o brines.pdf");
  plot->callback([options, &status] { status = RunPlot(*options); });
}

}  // namespace elprops::cli
