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
#include "files/output_file.h"
#include "plot/plot_render.h"

namespace elprops::cli {
namespace {

struct PlotCommandOptions {
  PlotOptions plot;
  std::string output;
  std::string format;  // "", "svg", "png" or "pdf"
  std::string size;
  std::string language;
  std::string dataFile;  // the plotted points as CSV; "" for none
  int dpi = 0;           // 0: not given
};

// The format of the picture: as --format names it, else by the extension.
std::optional<report::PlotFileFormat> PictureFormat(const PlotCommandOptions& options, std::string& error) {
  if (!options.format.empty()) {
    const std::optional<report::PlotFileFormat> named = report::PlotFileFormatOf("." + options.format);
    if (!named) error = "--format \"" + options.format + "\": give svg, png or pdf";
    return named;
  }
  const std::optional<report::PlotFileFormat> format = report::PlotFileFormatOf(options.output);
  if (format) return format;
  if (options.output == "-") {
    error = "--output -: name the format of the picture on standard output with --format svg, png or pdf";
  } else {
    error = "--output \"" + options.output + "\": the file name must end in .svg, .png or .pdf (or give --format)";
  }
  return std::nullopt;
}

// The pixels to the inch of a PNG: 96 unless --dpi says otherwise, which
// only a PNG takes, and which must leave the picture within 10000 pixels.
std::optional<int> PictureDpi(const PlotCommandOptions& options, report::PlotFileFormat format, const PlotSize& size,
                              std::string& error) {
  if (options.dpi == 0) return 96;
  if (format != report::PlotFileFormat::Png) {
    error = "--dpi is for PNG pictures (an SVG or PDF is drawn without pixels)";
    return std::nullopt;
  }
  if (options.dpi < 24 || options.dpi > 1200) {
    error = "--dpi " + std::to_string(options.dpi) + ": give 24 to 1200 pixels to the inch";
    return std::nullopt;
  }
  if (platform::PngPixels(std::max(size.width, size.height), options.dpi) > 10000) {
    error =
        "--dpi " + std::to_string(options.dpi) + " makes the picture wider than 10000 pixels: give a smaller --size";
    return std::nullopt;
  }
  return options.dpi;
}

// The reasons points were left out, for standard error.
std::string LeftOutMessage(const PlotData& data) {
  std::string text = std::to_string(data.LeftOut()) + " of " + std::to_string(data.points) + " points left out:";
  std::string separator = " ";
  if (data.aboveSaturation > 0) {
    text += separator + std::to_string(data.aboveSaturation) + " above the window's input limit of calcium chloride";
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
  std::string error;
  const std::optional<report::PlotFileFormat> format = PictureFormat(options, error);
  if (!format) {
    ReportError(error);
    return kExitUsage;
  }
  if (!options.dataFile.empty() && options.dataFile == options.output) {
    ReportError("--data and --output name the same file \"" + options.output + "\"");
    return kExitUsage;
  }
  PlotSize size = DefaultPlotSize(*format);
  if (!options.size.empty()) {
    const std::optional<PlotSize> asked = ParsePlotSize(options.size, *format, error);
    if (!asked) {
      ReportError(error);
      return kExitUsage;
    }
    size = *asked;
  }
  const std::optional<int> dpi = PictureDpi(options, *format, size, error);
  if (!dpi) {
    ReportError(error);
    return kExitUsage;
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
  const std::string failure = platform::WritePlot(data.figure, options.output, *format, size.width, size.height, *dpi);
  if (!failure.empty()) {
    ReportError(failure);
    return kExitUsage;
  }
  if (!options.dataFile.empty()) {
    const std::string reason = files::WriteOutputFile(options.dataFile, PlotDataCsv(*request, data));
    if (!reason.empty()) {
      ReportError("cannot write " + options.dataFile + ": " + reason);
      return kExitUsage;
    }
  }
  if (data.cannotBeTrue > 0) {
    ReportError(std::to_string(data.cannotBeTrue) +
                " plotted values cannot be true (at or below zero): gaps in the curves");
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
      "input rules, calcium chloride above the window's input limit (a solid line), concentrations without a mass "
      "fraction, failed computations and values that cannot be true (at or below zero) are gaps; the part of a curve "
      "beyond the salt's solubility in the literature (a dotted line) is dashed.");
  plot->add_option("-s,--substance", options->plot.substances,
                   "Substance: index 1-19, formula or name; repeat for one curve per substance at a single value")
      ->required();
  plot->add_option("-p,--property", options->plot.property,
                   "density, viscosity, surface_tension, heat_capacity, thermal_conductivity, or all (these five "
                   "panels); or a derived quantity: kinematic_viscosity, thermal_diffusivity, prandtl_number, "
                   "specific_volume, volumetric_heat_capacity, thermal_expansion, heat_taken_up (short names: "
                   "nu, alpha, prandtl, beta, dh)")
      ->required();
  plot->add_option("--reference-temperature", options->plot.referenceTemperature,
                   "With -p heat_taken_up: the temperature in degrees Celsius the heat is counted from (default 20)");
  plot->add_option("-t,--temperature", options->plot.temperatures,
                   "Degrees Celsius: a value (repeat for several) or a range FROM:TO:STEP; decimal point or comma");
  plot->add_option("-c,--concentration", options->plot.concentrations,
                   "Concentration in the --unit (mass fraction by default): a value (repeat for several) or a range "
                   "FROM:TO:STEP; decimal point or comma");
  plot->add_option("-u,--unit", options->plot.unit,
                   "Unit of the concentrations, on the axis and in the legend: fraction (default), percent, "
                   "molality, molarity or g/L");
  plot->add_option("--x", options->plot.axis, "The horizontal axis when both are ranges: temperature or concentration");
  plot->add_flag("--reference", options->plot.reference,
                 "Draw each curve's independent reference model beside it, dashed in its colour (dotted and lighter "
                 "outside the span of the model's measurements); the note names the models and what none covers");
  plot->add_option("--viscosity-unit", options->plot.viscosityUnit, "Pa·s (default) or mPa·s (also mPa*s, cP)");
  plot->add_option("--surface-tension-unit", options->plot.surfaceTensionUnit, "N/m (default) or mN/m");
  plot->add_option("--heat-capacity-unit", options->plot.heatCapacityUnit,
                   "J/(kg·K) (default) or kJ/(kg·K) (also J/(kg*K), kJ/(kg*K))");
  plot->add_option("-o,--output", options->output,
                   "The picture: FILE.svg, FILE.png or FILE.pdf, or - for standard output (with --format)")
      ->required();
  plot->add_option("--format", options->format, "svg, png or pdf: the picture's format whatever its name");
  plot->add_option("--size", options->size,
                   "WIDTHxHEIGHT in pixels (PNG, SVG; default 1200x800; an SVG is 210 mm wide per 1200 pixels) or "
                   "millimetres (PDF; default 210x148)");
  plot->add_option("--dpi", options->dpi,
                   "PNG only: pixels to the inch, 24 to 1200 (default 96); the picture keeps its layout and has "
                   "WIDTHxHEIGHT times DPI/96 pixels");
  plot->add_option("--data", options->dataFile,
                   "Also write the plotted points as CSV to FILE (- for standard output): substance, temperature, "
                   "concentration, property, value in the panel's unit and what became of the point");
  plot->add_option("--lang", options->language,
                   "ru or en for the texts; default Russian under a Russian locale, English otherwise");
  plot->footer(
      "Exit status: 0 drawn; 1 drawn with points left out (the note under the plot and standard error say why); "
      "2 bad usage or the file cannot be written.\nExamples:\n"
      "  elprops-cli plot -s CaCl2 -p viscosity -t 1:100:1 -c 0.1 -c 0.2 -c 0.3 -o viscosity.png\n"
      "  elprops-cli plot -s NaCl -s KCl -s H2O -p all -t 1:100:0,5 -c 0,1 --lang en -o brines.pdf\n"
      "  elprops-cli plot -s CaCl2 -p viscosity -c 0.01:0.4:0.01 -t 20 --reference --viscosity-unit mPa·s --dpi 200 "
      "--data points.csv -o viscosity.png\n"
      "  elprops-cli plot -s NaCl -p prandtl_number -t 1:100:1 -c 0.05 -c 0.1 -c 0.2 -o prandtl.svg");
  plot->callback([options, &status] { status = RunPlot(*options); });
}

}  // namespace elprops::cli
