// elprops-cli solve: the inverse question. Which mass fraction gives a
// quantity (one of the five properties or a derived one) this value at a
// temperature? Every answer in the admissible range, in the chosen
// concentration unit, with the warnings of its point. With --for
// temperature: which temperatures give it at a concentration.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <elprops/derived.hpp>
#include <elprops/substance.hpp>
#include <elprops/text.hpp>
#include <elprops/units.hpp>
#include <elprops/vocabulary.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch/batch.h"
#include "cli/commands/command_support.h"
#include "cli/commands/commands.h"
#include "cli/commands/temperature_solve.h"
#include "cli/input/point_input.h"
#include "cli/input/sweep.h"
#include "cli/output/point_output.h"
#include "cli/output/record_writer.h"
#include "cli/output/reference_output.h"
#include "cli/output/stop_signal.h"

namespace elprops::cli {
namespace {

// Whether a double holds a single's value exactly (a property the model
// computed): then its shortest text is the single's, without the double's
// tail.
bool IsSingle(double value) { return static_cast<double>(static_cast<float>(value)) == value; }

std::string NumberText(double value) {
  return IsSingle(value) ? shortest_text(static_cast<float>(value)) : nine_digit_text(value);
}

struct SolveOptions {
  std::string substance;
  std::optional<std::string> temperature;
  std::optional<std::string> concentration;
  std::optional<std::string> values[quantity_count];  // one per quantity, in quantity_kind order
  std::optional<std::string> referenceTemperature;
  std::string unit = "fraction";
  std::string format = "text";
  std::string solveFor = "concentration";
  bool reference = false;
  std::string language;  // of the table; empty: from the locale
};

// The option of a quantity: "--density", "--prandtl-number".
std::string QuantityOption(int q) {
  std::string name(quantity_table()[static_cast<std::size_t>(q)].name);
  std::replace(name.begin(), name.end(), '_', '-');
  return "--" + name;
}

// What to solve, read from the options.
struct SolveRequest {
  substance_info substance;
  quantity_kind quantity = quantity_kind::density;
  double value = 0.0;
  derived_options options;
  concentration_unit unit = concentration_unit::mass_fraction;
  std::optional<Sweep> temperatures;
  Format format = Format::Text;
  bool reference = false;
};

// The one quantity given, or nothing after saying what is wrong.
std::optional<int> GivenQuantity(const SolveOptions& options) {
  int given = -1;
  for (int q = 0; q < quantity_count; ++q) {
    if (!options.values[q]) continue;
    if (given >= 0) {
      ReportError("give one property to match, not " + QuantityOption(given) + " and " + QuantityOption(q));
      return std::nullopt;
    }
    given = q;
  }
  if (given < 0) {
    std::string names;
    for (int q = 0; q < quantity_count; ++q)
      names += (q == 0 ? "" : q + 1 == quantity_count ? " or " : ", ") + QuantityOption(q);
    ReportError("give the property to match: " + names);
    return std::nullopt;
  }
  return given;
}

// A number typed as the value of an option, or nothing after saying what
// is wrong.
std::optional<double> OptionNumber(const std::string& option, const std::string& text) {
  if (TrimBlanks(text).empty()) {
    ReportError(option + " is empty: give a number");
    return std::nullopt;
  }
  const ParsedDecimal value = ParseDecimal(text);
  if (!value.ok() || !std::isfinite(value.value)) {
    ReportError(option + " \"" + text + "\" is not a number");
    return std::nullopt;
  }
  return value.value;
}

// The quantity, its value and the reference temperature of the heat taken
// up, or false after saying what is wrong.
bool ReadQuantity(const SolveOptions& options, SolveRequest& request) {
  const std::optional<int> given = GivenQuantity(options);
  if (!given) return false;
  request.quantity = static_cast<quantity_kind>(*given);
  const std::optional<double> value = OptionNumber(QuantityOption(*given), *options.values[*given]);
  if (!value) return false;
  request.value = *value;
  if (options.referenceTemperature) {
    if (request.quantity != quantity_kind::heat_taken_up) {
      ReportError("--reference-temperature is for --heat-taken-up");
      return false;
    }
    const std::optional<double> t = OptionNumber("--reference-temperature", *options.referenceTemperature);
    if (!t) return false;
    request.options.reference_temperature = static_cast<float>(*t);
    // The heat from the reference to itself fails just when the reference
    // is not admissible for the substance (the mass fraction is for all).
    const float w = request.substance.is_water() ? 0.0f : 0.01f;
    const expected<double> probe =
        heat_taken_up(request.substance.id(), w, static_cast<float>(*t), static_cast<float>(*t));
    if (!probe) {
      ReportError("--reference-temperature: " + probe.error().message);
      return false;
    }
  }
  if (options.reference && !base_property(request.quantity)) {
    ReportError("--reference compares one of the five properties with its reference, not " + QuantityOption(*given));
    return false;
  }
  return true;
}

// The request, or nothing after saying what is wrong.
std::optional<SolveRequest> ReadRequest(const SolveOptions& options) {
  SolveRequest request;
  const expected<substance_info> substance = find_substance(options.substance);
  if (!substance) {
    ReportError(substance.error().message);
    return std::nullopt;
  }
  request.substance = *substance;
  if (!ReadQuantity(options, request)) return std::nullopt;
  // The table is laid out from the CSV records.
  request.format = FormatNamed(options.format).value_or(Format::Csv);
  request.reference = options.reference;
  const std::optional<concentration_unit> unit = parse_concentration_unit(options.unit);
  if (!unit) {
    ReportError("--unit \"" + options.unit + "\": give fraction, percent, molality, molarity or g/L");
    return std::nullopt;
  }
  request.unit = *unit;
  if (options.solveFor == "temperature") return request;
  if (substance->is_water()) {
    ReportError("water has no concentration to solve for (ask --for temperature)");
    return std::nullopt;
  }
  if (options.concentration) {
    ReportError("--concentration is for --for temperature; the concentration solve takes --temperature");
    return std::nullopt;
  }
  if (!options.temperature) {
    ReportError("--temperature is required: the temperature to find the concentration at");
    return std::nullopt;
  }
  std::string error;
  request.temperatures = Sweep::Parse(*options.temperature, error);
  if (!request.temperatures) {
    ReportError("--temperature " + error);
    return std::nullopt;
  }
  return request;
}

// The temperature question from the request and the options, or nothing
// after saying what is wrong.
std::optional<TemperatureSolveRequest> ReadTemperatureRequest(const SolveOptions& options,
                                                              const SolveRequest& request) {
  if (options.temperature) {
    ReportError("--temperature is what --for temperature finds: give the concentration with --concentration");
    return std::nullopt;
  }
  if (options.reference) {
    ReportError("--reference is for the concentration solve");
    return std::nullopt;
  }
  if (request.unit == concentration_unit::molarity || request.unit == concentration_unit::mass_concentration) {
    ReportError("--unit " + std::string(describe(request.unit).name) +
                " depends on the temperature, which is what --for temperature finds: give the concentration as "
                "fraction, percent or molality");
    return std::nullopt;
  }
  TemperatureSolveRequest out{request.substance, request.quantity, request.value, request.options,
                              request.unit,      std::nullopt,     request.format};
  if (!options.concentration) {
    if (request.substance.is_water()) return out;
    ReportError("--concentration is required: the concentration to find the temperatures at");
    return std::nullopt;
  }
  std::string error;
  out.concentrations = Sweep::Parse(*options.concentration, error);
  if (!out.concentrations) {
    ReportError("--concentration " + error);
    return std::nullopt;
  }
  if (request.substance.is_water()) {
    if (out.concentrations->Count() != 1 || out.concentrations->At(0).value != 0.0f) {
      ReportError("water has no concentration: leave out --concentration or give 0");
      return std::nullopt;
    }
    out.concentrations.reset();
  }
  return out;
}

// The run of mass fractions that give the same value, and whether it is a
// plateau, come after the older columns, before the warning.
constexpr std::string_view kCsvFields[] = {"substance",     "temperature", "property",      "value",     "root",
                                           "concentration", "unit",        "mass_fraction", "achieved",  "below",
                                           "above",         "chosen",      "error",         "run_first", "run_last",
                                           "plateau",       "warning"};
constexpr std::string_view kJsonFields[] = {"substance", "temperature", "property", "value", "roots", "error"};
constexpr std::string_view kRootFields[] = {"concentration", "unit",    "mass_fraction", "achieved",
                                            "below",         "above",   "chosen",        "run_first",
                                            "run_last",      "plateau", "warning"};
// With --reference: the solved property's reference at each answer, and
// the notes of its point.
constexpr std::string_view kCsvReferenceFields[] = {"substance",
                                                    "temperature",
                                                    "property",
                                                    "value",
                                                    "root",
                                                    "concentration",
                                                    "unit",
                                                    "mass_fraction",
                                                    "achieved",
                                                    "below",
                                                    "above",
                                                    "chosen",
                                                    "error",
                                                    "run_first",
                                                    "run_last",
                                                    "plateau",
                                                    "warning",
                                                    "reference",
                                                    "reference_source",
                                                    "deviation",
                                                    "within_span",
                                                    "notes"};
constexpr std::string_view kRootReferenceFields[] = {
    "concentration",    "unit",      "mass_fraction", "achieved", "below",   "above",
    "chosen",           "run_first", "run_last",      "plateau",  "warning", "reference",
    "reference_source", "deviation", "within_span",   "notes"};

std::span<const std::string_view> RecordFields(const SolveRequest& request) {
  if (request.format == Format::Json) return kJsonFields;
  if (request.reference) return kCsvReferenceFields;
  return kCsvFields;
}

// Writes the answers at each temperature: a CSV row per root, a JSON line
// per temperature with its roots, or a text line per root (and the errors
// on standard error).
class SolveWriter {
 public:
  SolveWriter(const SolveRequest& request, OutputBuffer& out)
      : request_(request),
        out_(out),
        json_(request.format == Format::Json),
        record_(out, request.format, RecordFields(request)) {
    if (request.format == Format::Csv) record_.WriteHeader();
  }

  void Failure(const ParsedNumber& t, const std::string& error) {
    if (request_.format == Format::Text) {
      out_.Flush();
      ReportError(error);
      return;
    }
    Lead(t);
    if (json_) {
      record_.BeginList().EndList().Text(error);
    } else {
      for (int k = 0; k < 8; ++k) record_.Null();
      record_.Text(error).Null().Null().Null().Null();
      if (request_.reference) WriteReferenceFields(record_, nullptr, Property());
    }
    record_.EndRecord();
    ++rows_;
  }

  // The output rows written: CSV rows, JSON lines or text lines.
  [[nodiscard]] std::size_t Rows() const { return rows_; }

  void Roots(const ParsedNumber& t, const concentration_solution& solution) {
    if (json_) Lead(t).BeginList();
    for (std::size_t r = 0; r < solution.roots.size(); ++r) {
      const concentration_root& root = solution.roots[r];
      const expected<double> inUnit =
          from_mass_fraction(request_.substance.id(), request_.unit, root.mass_fraction, t.value);
      const std::string warnings = join_warnings(root.warnings);
      if (request_.reference) FindReference(request_.substance.id(), root.mass_fraction, t.value, reference_);
      if (request_.format == Format::Text) {
        TextLine(t, root, inUnit.value_or(std::nan("")));
      } else if (json_) {
        RecordWriter item = record_.Item(request_.reference ? std::span<const std::string_view>(kRootReferenceFields)
                                                            : std::span<const std::string_view>(kRootFields));
        RootFields(item, root, inUnit, warnings);
      } else {
        const std::string index = std::to_string(r + 1);
        Lead(t).Raw(index);
        RootFields(record_, root, inUnit, warnings);
      }
    }
    if (json_) {
      record_.EndList().Null();
      record_.EndRecord();
      ++rows_;
    } else {
      rows_ += solution.roots.size();
    }
  }

 private:
  // The property compared with its reference (--reference takes only the
  // five).
  [[nodiscard]] property_kind Property() const {
    return base_property(request_.quantity).value_or(property_kind::density);
  }

  // The fields before the answer: substance, temperature, quantity, value.
  RecordWriter& Lead(const ParsedNumber& t) {
    return record_.Text(request_.substance.formula)
        .FloatOrNull(t.ok() ? std::optional(t.value) : std::nullopt)
        .Text(describe(request_.quantity).name)
        .Double(request_.value);
  }

  // The answer in the unit, the mass fraction, what it gives and how it was
  // chosen, then (in CSV an empty error and) the warnings.
  void RootFields(RecordWriter& record, const concentration_root& root, const expected<double>& inUnit,
                  const std::string& warnings) {
    if (request_.unit == concentration_unit::mass_fraction) {
      record.Float(root.mass_fraction);
    } else {
      record.DoubleOrNull(inUnit ? std::optional(*inUnit) : std::nullopt);
    }
    record.Text(describe(request_.unit).name).Float(root.mass_fraction);
    if (IsSingle(root.achieved)) {
      record.Float(static_cast<float>(root.achieved));
    } else {
      record.Double(root.achieved);
    }
    record.Float(root.below).Float(root.above).Text(side_name(root.chosen));
    if (!json_) record.Null();
    record.Float(root.run_first).Float(root.run_last).Raw(root.plateau ? "true" : "false").TextOrNull(warnings);
    if (request_.reference) WriteReferenceFields(record, &reference_, Property());
    record.EndRecord();
  }

  void TextLine(const ParsedNumber& t, const concentration_root& root, double inUnit) {
    const std::string w = shortest_text(root.mass_fraction);
    std::string line = std::string(request_.substance.formula) + " at " + shortest_text(t.value) +
                       " °C: " + std::string(describe(request_.quantity).words) + " " +
                       nine_digit_text(request_.value) + " at ";
    line +=
        request_.unit == concentration_unit::mass_fraction
            ? "mass fraction " + w
            : std::string(describe(request_.unit).name) + " " + nine_digit_text(inUnit) + " (mass fraction " + w + ")";
    line += ", which gives " + NumberText(root.achieved);
    if (root.chosen != concentration_root::side::exact) {
      line += " (the nearest value the model gives; the value lies between the neighbours " +
              shortest_text(root.below) + " and " + shortest_text(root.above) + ")";
    }
    if (root.plateau) {
      line += "; every mass fraction from " + shortest_text(root.run_first) + " to " + shortest_text(root.run_last) +
              " gives this value";
    }
    out_.Append(line + "\n");
    AppendWarningLines(out_, root.warnings);
    if (request_.reference) AppendReferenceLines(out_, reference_, Property(), ".", "");
    out_.EndRow();
  }

  const SolveRequest& request_;
  OutputBuffer& out_;
  bool json_;
  RecordWriter record_;
  std::size_t rows_ = 0;
  PointReference reference_;  // of the answer being written, with --reference
};

// The concentrations at which the quantity takes the value; the five
// properties as the property solve gives them.
expected<concentration_solution> SolveAt(const SolveRequest& request, float t) {
  const std::optional<property_kind> property = base_property(request.quantity);
  if (property) return solve_concentration(request.substance.id(), t, *property, request.value);
  return solve_concentration(request.substance.id(), t, request.quantity, request.value, request.options);
}

int RunSolve(const SolveOptions& options) {
  const std::optional<SolveRequest> request = ReadRequest(options);
  if (!request) return kExitUsage;
  const bool table = options.format == "table";
  if (options.solveFor == "temperature") {
    if (table) {
      ReportError("--format table is for the concentration solve: give --format text, csv or json");
      return kExitUsage;
    }
    const std::optional<TemperatureSolveRequest> question = ReadTemperatureRequest(options, *request);
    return question ? RunTemperatureSolve(*question) : kExitUsage;
  }
  if (table && options.reference) {
    ReportError("--reference is not shown in the table format: give --format text, csv or json");
    return kExitUsage;
  }
  CatchStopSignals();
  const std::atomic<int>& stop = StopRequest();
  std::string csv;  // the table's records, laid out once all are in
  OutputBuffer out(table ? CollectInto(csv) : StandardOutput());
  SolveWriter writer(*request, out);
  int status = kExitOk;
  int signal = 0;
  for (std::size_t k = 0; k < request->temperatures->Count() && !out.Failed(); ++k) {
    // The rows of the temperature before are whole.
    if ((signal = stop.load()) != 0) break;
    const ParsedNumber t = request->temperatures->At(k);
    const expected<concentration_solution> solution =
        t.ok() ? SolveAt(*request, t.value)
               : expected<concentration_solution>(
                     failure{error_kind::inadmissible_input, "temperature is beyond the single range"});
    if (!solution) {
      status = kExitPointFailed;
      writer.Failure(t, solution.error().message);
    } else {
      writer.Roots(t, *solution);
    }
  }
  if (!out.Flush()) {
    ReportError(std::string("cannot write the results: ") + std::strerror(out.ErrorNumber()));
    return kExitUsage;
  }
  if (table && !WriteSolveTableOut(csv, options.language)) {
    ReportError(std::string("cannot write the results: ") + std::strerror(errno));
    return kExitUsage;
  }
  if (signal != 0) {
    ReportError("stopped by " + SignalName(signal) + " after " + std::to_string(writer.Rows()) +
                " rows; the output ends with a whole row");
    return 128 + signal;
  }
  return status;
}

// The value options, one per quantity, from the table of quantities.
void AddValueOptions(CLI::App& solve, const std::shared_ptr<SolveOptions>& options) {
  for (int q = 0; q < quantity_count; ++q) {
    const quantity_info& info = quantity_table()[static_cast<std::size_t>(q)];
    std::string help = "The value to match";
    if (!info.formula.empty()) help += ": " + std::string(info.formula);
    help += info.ascii_unit.empty() ? ", dimensionless" : ", " + std::string(info.ascii_unit);
    solve.add_option_function<std::string>(
        QuantityOption(q), [options, q](const std::string& v) { options->values[q] = v; },
        help + "; decimal point or comma");
  }
  solve.add_option_function<std::string>(
      "--reference-temperature", [options](const std::string& v) { options->referenceTemperature = v; },
      "With --heat-taken-up: the temperature in degrees Celsius the heat is counted from (default 20)");
}

}  // namespace

void AddSolveCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<SolveOptions>();
  CLI::App* solve = app.add_subcommand(
      "solve",
      "Find the concentrations at which a quantity (one of the five properties or a derived one) takes a value: "
      "every admissible mass fraction, the single whose computed value is nearest. With --for temperature, the "
      "temperatures at which it takes the value at a concentration. Exit 1 when the value is out of reach (the "
      "reachable range is given).");
  solve
      ->add_option("-s,--substance", options->substance,
                   "Salt: index 1-18, formula (NaCl, K2CO3, ...) or English name (\"sodium chloride\"); with --for "
                   "temperature also water")
      ->required();
  solve->add_option_function<std::string>(
      "-t,--temperature", [options](const std::string& v) { options->temperature = v; },
      "Degrees Celsius, above 0 °C and below 270 °C (0 °C and below are not covered); or a range FROM:TO:STEP. "
      "Required for the concentration solve");
  solve->add_option_function<std::string>(
      "-c,--concentration", [options](const std::string& v) { options->concentration = v; },
      "With --for temperature: the concentration in the --unit (fraction, percent or molality), or a range "
      "FROM:TO:STEP; leave out (or 0) for water");
  solve->add_option("--for", options->solveFor, "What to find: concentration or temperature")
      ->check(CLI::IsMember({"concentration", "temperature"}))
      ->capture_default_str();
  AddValueOptions(*solve, options);
  solve
      ->add_option("-u,--unit", options->unit,
                   "Unit of the answer: fraction, percent, molality, molarity or g/L; with --for temperature the "
                   "unit of --concentration: fraction, percent or molality")
      ->capture_default_str();
  solve->add_option("-f,--format", options->format, "Output format (table: an aligned row per answer)")
      ->check(CLI::IsMember({"text", "csv", "json", "table"}))
      ->capture_default_str();
  AddLanguageOption(*solve, options->language, true);
  solve->add_flag("--reference", options->reference,
                  "Beside each answer, the independent published model of the property at that point: its value, "
                  "source, the relative deviation of ours from it and whether measurements span the point (fields "
                  "reference, reference_source, deviation, within_span), and notes where no measurement stands "
                  "behind the point. For the five properties and the concentration solve");
  solve->footer(
      "A value out of reach is an error that gives the range the quantity reaches over the admissible mass "
      "fractions (or temperatures) and up to the solubility, each end with its mass fraction and the warnings of "
      "that point. The temperature solve prints every temperature root: the temperature, what it gives, the "
      "neighbouring temperatures, the side chosen and the run of temperatures that give the same value.\n"
      "Examples:\n  elprops-cli solve -s NaCl -t 20 --density 1070,6378\n"
      "  elprops-cli solve -s NaCl -t 10:40:10 --heat-capacity 3600 --unit molality --format csv\n"
      "  elprops-cli solve -s CaCl2 -t 20 --viscosity 0.005 --reference\n"
      "  elprops-cli solve -s CaCl2 -t 20 --prandtl-number 10\n"
      "  elprops-cli solve -s CaCl2 -c 0.25 --viscosity 0.003 --for temperature\n"
      "  elprops-cli solve -s NaCl -c 10 -u percent --heat-taken-up 50000 --reference-temperature 10 --for "
      "temperature");
  solve->callback([options, &status] { status = RunSolve(*options); });
}

}  // namespace elprops::cli
