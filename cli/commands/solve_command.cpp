// elprops-cli solve: the inverse question. Which mass fraction gives a
// property this value at a temperature? Every answer in the admissible
// range, in the chosen concentration unit.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch/batch.h"
#include "cli/commands/commands.h"
#include "cli/input/point_input.h"
#include "cli/input/sweep.h"
#include "cli/output/point_output.h"
#include "model/inverse.h"
#include "model/units.h"

namespace elprops::cli {
namespace {

struct SolveOptions {
  std::string substance;
  std::string temperature;
  std::optional<std::string> values[5];  // one per property, in model::Property order
  std::string unit = "fraction";
  std::string format = "text";
};

constexpr const char* kPropertyOptions[5] = {"--density", "--viscosity", "--surface-tension", "--heat-capacity",
                                             "--thermal-conductivity"};

std::string Shortest(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

std::string_view ChosenName(model::Root::Chosen chosen) {
  switch (chosen) {
    case model::Root::Chosen::Exact:
      return "exact";
    case model::Root::Chosen::Lower:
      return "lower";
    case model::Root::Chosen::Upper:
      return "upper";
  }
  return {};
}

// The mass fraction in the output unit; the density at that point for the
// units that need it.
double InUnit(const model::SubstanceTables& tables, std::uint8_t substance, float w, float t,
              model::ConcentrationUnit unit) {
  switch (unit) {
    case model::ConcentrationUnit::MassFraction:
      return static_cast<double>(w);
    case model::ConcentrationUnit::MassPercent:
      return static_cast<double>(w) * 100.0;
    case model::ConcentrationUnit::Molality:
      return model::MolalityOf(substance, w);
    case model::ConcentrationUnit::Molarity:
    case model::ConcentrationUnit::MassConcentration: {
      float x = w;
      float limit = 0.0f;
      model::PropertySet p;
      if (!model::ComputeProperties(tables, substance, x, t, limit, p).ok()) return std::nan("");
      return unit == model::ConcentrationUnit::Molarity ? model::MolarityOf(substance, w, p.Density)
                                                        : model::MassConcentrationOf(w, p.Density);
    }
  }
  return std::nan("");
}

// A JSON string of our own texts (ASCII and UTF-8, no control characters).
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

int RunSolve(const SolveOptions& options) {
  const std::optional<std::uint8_t> substance = FindSubstance(options.substance);
  if (!substance) {
    ReportError("unknown substance \"" + options.substance +
                "\": give its index 1 to 19 or its formula (see elprops-cli list)");
    return kExitUsage;
  }
  if (*substance == model::kWater) {
    ReportError("water has no concentration to solve for");
    return kExitUsage;
  }
  int given = -1;
  for (int p = 0; p < 5; ++p) {
    if (!options.values[p]) continue;
    if (given >= 0) {
      ReportError(std::string("give one property to match, not ") + kPropertyOptions[given] + " and " +
                  kPropertyOptions[p]);
      return kExitUsage;
    }
    given = p;
  }
  if (given < 0) {
    ReportError(
        "give the property to match: --density, --viscosity, --surface-tension, --heat-capacity or "
        "--thermal-conductivity");
    return kExitUsage;
  }
  const auto property = static_cast<model::Property>(given);
  const ParsedDecimal value = ParseDecimal(*options.values[given]);
  if (!value.ok() || !std::isfinite(value.value)) {
    ReportError(std::string(kPropertyOptions[given]) + " \"" + *options.values[given] + "\" is not a number");
    return kExitUsage;
  }
  const std::optional<model::ConcentrationUnit> unit = model::ParseConcentrationUnit(options.unit);
  if (!unit) {
    ReportError("--unit \"" + options.unit + "\": give fraction, percent, molality, molarity or g/L");
    return kExitUsage;
  }
  std::string error;
  const std::optional<Sweep> temperatures = Sweep::Parse(options.temperature, error);
  if (!temperatures) {
    ReportError("--temperature " + error);
    return kExitUsage;
  }

  const Format format = *FormatNamed(options.format);
  const std::string formula(model::CatalogueEntry(*substance).Formula);
  const std::string name(model::PropertyName(property));
  const std::string unitName(model::UnitName(*unit));
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  OutputBuffer out(StandardOutput());
  if (format == Format::Csv) {
    out.Append(
        "substance,temperature,property,value,root,concentration,unit,mass_fraction,achieved,below,above,"
        "chosen,error\n");
    out.EndRow();
  }
  int status = kExitOk;
  for (std::size_t k = 0; k < temperatures->Count(); ++k) {
    const ParsedNumber t = temperatures->At(k);
    model::Solution solution;
    if (!t.ok()) {
      solution.error = "temperature is beyond the single range";
    } else if (auto reason = InadmissibleReason(*substance, 0.5f, t.value)) {
      solution.error = *reason;  // only the temperature can be refused here
    } else {
      solution = model::SolveConcentration(tables, *substance, t.value, property, value.value);
    }
    const std::string tText = t.ok() ? ShortestText(t.value) : "";
    if (solution.roots.empty()) {
      status = kExitPointFailed;
      if (format == Format::Csv) {
        out.Append(formula + "," + tText + "," + name + "," + Shortest(value.value) + ",,,," + ",,,,,\"" +
                   solution.error + "\"\n");
        out.EndRow();
      } else if (format == Format::Json) {
        out.Append("{\"substance\":" + Quoted(formula) + ",\"temperature\":" + (t.ok() ? tText : "null") +
                   ",\"property\":" + Quoted(name) + ",\"value\":" + Shortest(value.value) +
                   ",\"roots\":[],\"error\":" + Quoted(solution.error) + "}\n");
        out.EndRow();
      } else {
        out.Flush();
        ReportError(solution.error);
      }
      continue;
    }
    std::string jsonRoots;
    for (std::size_t r = 0; r < solution.roots.size(); ++r) {
      const model::Root& root = solution.roots[r];
      const double concentration = InUnit(tables, *substance, root.massFraction, t.value, *unit);
      const std::string w = ShortestText(root.massFraction);
      const std::string inUnit = *unit == model::ConcentrationUnit::MassFraction ? w : Shortest(concentration);
      if (format == Format::Csv) {
        out.Append(formula + "," + tText + "," + name + "," + Shortest(value.value) + "," + std::to_string(r + 1) +
                   "," + inUnit + "," + unitName + "," + w + "," + Shortest(root.achieved) + "," +
                   ShortestText(root.below) + "," + ShortestText(root.above) + "," +
                   std::string(ChosenName(root.chosen)) + ",\n");
        out.EndRow();
      } else if (format == Format::Json) {
        if (!jsonRoots.empty()) jsonRoots += ",";
        jsonRoots += "{\"concentration\":" + inUnit + ",\"unit\":" + Quoted(unitName) + ",\"mass_fraction\":" + w +
                     ",\"achieved\":" + Shortest(root.achieved) + ",\"below\":" + ShortestText(root.below) +
                     ",\"above\":" + ShortestText(root.above) + ",\"chosen\":" + Quoted(ChosenName(root.chosen)) + "}";
      } else {
        std::string words = name;
        for (char& c : words) c = c == '_' ? ' ' : c;
        std::string line = formula + " at " + tText + " °C: " + words + " " + Shortest(value.value) + " at ";
        line += *unit == model::ConcentrationUnit::MassFraction
                    ? "mass fraction " + w
                    : unitName + " " + Shortest(concentration) + " (mass fraction " + w + ")";
        line += ", which gives " + Shortest(root.achieved);
        if (root.chosen != model::Root::Chosen::Exact) {
          line += " (the " + std::string(ChosenName(root.chosen)) + " of the neighbours " + ShortestText(root.below) +
                  " and " + ShortestText(root.above) + " that straddle it)";
        }
        out.Append(line + "\n");
        out.EndRow();
      }
    }
    if (format == Format::Json) {
      out.Append("{\"substance\":" + Quoted(formula) + ",\"temperature\":" + tText + ",\"property\":" + Quoted(name) +
                 ",\"value\":" + Shortest(value.value) + ",\"roots\":[" + jsonRoots + "],\"error\":null}\n");
      out.EndRow();
    }
  }
  if (!out.Flush()) {
    ReportError(std::string("cannot write the results: ") + std::strerror(out.ErrorNumber()));
    return kExitUsage;
  }
  return status;
}

}  // namespace

void AddSolveCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<SolveOptions>();
  CLI::App* solve = app.add_subcommand(
      "solve",
      "Find the concentrations at which a property takes a value: every admissible mass fraction, the single "
      "whose computed value is nearest. Exit 1 when the value is out of reach (the reachable range is given).");
  solve->add_option("-s,--substance", options->substance, "Salt: index 1-18 or formula (NaCl, K2CO3, ...)")->required();
  solve
      ->add_option("-t,--temperature", options->temperature,
                   "Degrees Celsius, strictly between 1e-20 and 270; or a range FROM:TO:STEP")
      ->required();
  const char* units[5] = {"kg/m3", "Pa*s", "N/m", "J/(kg*K)", "W/(m*K)"};
  for (int p = 0; p < 5; ++p) {
    solve->add_option_function<std::string>(
        kPropertyOptions[p], [options, p](const std::string& v) { options->values[p] = v; },
        std::string("The value to match, ") + units[p] + "; decimal point or comma");
  }
  solve->add_option("-u,--unit", options->unit, "Unit of the answer: fraction, percent, molality, molarity or g/L")
      ->capture_default_str();
  solve->add_option("-f,--format", options->format, "Output format")
      ->check(CLI::IsMember({"text", "csv", "json"}))
      ->capture_default_str();
  solve->footer(
      "Examples:\n  elprops-cli solve -s NaCl -t 20 --density 1070,6378\n"
      "  elprops-cli solve -s NaCl -t 10:40:10 --heat-capacity 3600 --unit molality --format csv");
  solve->callback([options, &status] { status = RunSolve(*options); });
}

}  // namespace elprops::cli
