// elprops-cli solve: the inverse question. Which mass fraction gives a
// property this value at a temperature? Every answer in the admissible
// range, in the chosen concentration unit, with the warnings of its point.
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
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
  std::string temperature;
  std::optional<std::string> values[property_count];  // one per property, in property_kind order
  std::string unit = "fraction";
  std::string format = "text";
  bool reference = false;
  std::string language;  // of the table; empty: from the locale
};

constexpr const char* kPropertyOptions[property_count] = {"--density", "--viscosity", "--surface-tension",
                                                          "--heat-capacity", "--thermal-conductivity"};

// What to solve, read from the options.
struct SolveRequest {
  substance_info substance;
  property_kind property = property_kind::density;
  double value = 0.0;
  concentration_unit unit = concentration_unit::mass_fraction;
  std::optional<Sweep> temperatures;
  Format format = Format::Text;
  bool reference = false;
};

// The one property given, or nothing after saying what is wrong.
std::optional<int> GivenProperty(const SolveOptions& options) {
  int given = -1;
  for (int p = 0; p < property_count; ++p) {
    if (!options.values[p]) continue;
    if (given >= 0) {
      ReportError(std::string("give one property to match, not ") + kPropertyOptions[given] + " and " +
                  kPropertyOptions[p]);
      return std::nullopt;
    }
    given = p;
  }
  if (given < 0) {
    ReportError(
        "give the property to match: --density, --viscosity, --surface-tension, --heat-capacity or "
        "--thermal-conductivity");
    return std::nullopt;
  }
  return given;
}

// The request, or nothing after saying what is wrong.
std::optional<SolveRequest> ReadRequest(const SolveOptions& options) {
  SolveRequest request;
  const expected<substance_info> substance = find_substance(options.substance);
  if (!substance) {
    ReportError(substance.error().message);
    return std::nullopt;
  }
  if (substance->is_water()) {
    ReportError("water has no concentration to solve for");
    return std::nullopt;
  }
  request.substance = *substance;
  const std::optional<int> given = GivenProperty(options);
  if (!given) return std::nullopt;
  request.property = static_cast<property_kind>(*given);
  const ParsedDecimal value = ParseDecimal(*options.values[*given]);
  if (TrimBlanks(*options.values[*given]).empty()) {
    ReportError(std::string(kPropertyOptions[*given]) + " is empty: give the value to match");
    return std::nullopt;
  }
  if (!value.ok() || !std::isfinite(value.value)) {
    ReportError(std::string(kPropertyOptions[*given]) + " \"" + *options.values[*given] + "\" is not a number");
    return std::nullopt;
  }
  request.value = value.value;
  const std::optional<concentration_unit> unit = parse_concentration_unit(options.unit);
  if (!unit) {
    ReportError("--unit \"" + options.unit + "\": give fraction, percent, molality, molarity or g/L");
    return std::nullopt;
  }
  request.unit = *unit;
  std::string error;
  request.temperatures = Sweep::Parse(options.temperature, error);
  if (!request.temperatures) {
    ReportError("--temperature " + error);
    return std::nullopt;
  }
  // The table is laid out from the CSV records.
  request.format = FormatNamed(options.format).value_or(Format::Csv);
  request.reference = options.reference;
  return request;
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
      if (request_.reference) WriteReferenceFields(record_, nullptr, request_.property);
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
  // The fields before the answer: substance, temperature, property, value.
  RecordWriter& Lead(const ParsedNumber& t) {
    return record_.Text(request_.substance.formula)
        .FloatOrNull(t.ok() ? std::optional(t.value) : std::nullopt)
        .Text(describe(request_.property).name)
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
    if (request_.reference) WriteReferenceFields(record, &reference_, request_.property);
    record.EndRecord();
  }

  void TextLine(const ParsedNumber& t, const concentration_root& root, double inUnit) {
    const std::string w = shortest_text(root.mass_fraction);
    std::string line = std::string(request_.substance.formula) + " at " + shortest_text(t.value) +
                       " °C: " + std::string(describe(request_.property).words) + " " +
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
    if (request_.reference) AppendReferenceLines(out_, reference_, request_.property, ".", "");
    out_.EndRow();
  }

  const SolveRequest& request_;
  OutputBuffer& out_;
  bool json_;
  RecordWriter record_;
  std::size_t rows_ = 0;
  PointReference reference_;  // of the answer being written, with --reference
};

int RunSolve(const SolveOptions& options) {
  const std::optional<SolveRequest> request = ReadRequest(options);
  if (!request) return kExitUsage;
  const bool table = options.format == "table";
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
        t.ok() ? solve_concentration(request->substance.id(), t.value, request->property, request->value)
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

}  // namespace

void AddSolveCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<SolveOptions>();
  CLI::App* solve = app.add_subcommand(
      "solve",
      "Find the concentrations at which a property takes a value: every admissible mass fraction, the single "
      "whose computed value is nearest. Exit 1 when the value is out of reach (the reachable range is given).");
  solve
      ->add_option("-s,--substance", options->substance,
                   "Salt: index 1-18, formula (NaCl, K2CO3, ...) or English name (\"sodium chloride\")")
      ->required();
  solve
      ->add_option("-t,--temperature", options->temperature,
                   "Degrees Celsius, above 0 °C and below 270 °C (0 °C and below are not covered); or a range "
                   "FROM:TO:STEP")
      ->required();
  for (int p = 0; p < property_count; ++p) {
    solve->add_option_function<std::string>(
        kPropertyOptions[p], [options, p](const std::string& v) { options->values[p] = v; },
        "The value to match, " + std::string(describe(static_cast<property_kind>(p)).ascii_unit) +
            "; decimal point or comma");
  }
  solve->add_option("-u,--unit", options->unit, "Unit of the answer: fraction, percent, molality, molarity or g/L")
      ->capture_default_str();
  solve->add_option("-f,--format", options->format, "Output format (table: an aligned row per answer)")
      ->check(CLI::IsMember({"text", "csv", "json", "table"}))
      ->capture_default_str();
  AddLanguageOption(*solve, options->language, true);
  solve->add_flag("--reference", options->reference,
                  "Beside each answer, the independent published model of the property at that point: its value, "
                  "source, the relative deviation of ours from it and whether measurements span the point (fields "
                  "reference, reference_source, deviation, within_span), and notes where no measurement stands "
                  "behind the point");
  solve->footer(
      "A value out of reach is an error that gives the range the property reaches over the admissible mass "
      "fractions and up to the solubility, each end with its mass fraction and the warnings of that point.\n"
      "Examples:\n  elprops-cli solve -s NaCl -t 20 --density 1070,6378\n"
      "  elprops-cli solve -s NaCl -t 10:40:10 --heat-capacity 3600 --unit molality --format csv\n"
      "  elprops-cli solve -s CaCl2 -t 20 --viscosity 0.005 --reference");
  solve->callback([options, &status] { status = RunSolve(*options); });
}

}  // namespace elprops::cli
