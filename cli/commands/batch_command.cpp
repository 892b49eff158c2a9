// elprops-cli batch: points from a CSV file or standard input, results as
// CSV or JSON lines on standard output.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include <elprops/vocabulary.hpp>

#include "cli/batch/batch.h"
#include "cli/commands/command_support.h"
#include "cli/commands/commands.h"
#include "cli/output/stop_signal.h"
#include "cli/output/table_output.h"

namespace elprops::cli {
namespace {

struct BatchOptions {
  std::string file = "-";
  std::string format = "csv";
  std::string unit = "fraction";
  bool allUnits = false;
  bool noWarnings = false;
  char delimiter = 0;  // 0: the header tells
  bool reference = false;
  unsigned jobs = DefaultJobs();
  QuantityOptions quantities;
  std::string language;  // empty: from the locale

  static unsigned DefaultJobs() { return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxJobs); }
};

int RunBatchCommand(const BatchOptions& options) {
  PointSettings settings;
  const std::optional<concentration_unit> unit = parse_concentration_unit(options.unit);
  if (!unit) {
    ReportError("--unit \"" + options.unit + "\": give fraction, percent, molality, molarity or g/L");
    return kExitUsage;
  }
  settings.unit = *unit;
  settings.allUnits = options.allUnits;
  settings.warnings = !options.noWarnings;
  settings.reference = options.reference;
  std::string error;
  std::optional<QuantitySelection> quantities =
      ReadSelection(options.quantities.properties, options.quantities.referenceTemperature, error);
  if (!quantities) {
    ReportError(error);
    return kExitUsage;
  }
  settings.quantities = std::move(*quantities);
  const bool table = options.format == "table";
  if (table && options.reference) {
    ReportError("--reference is not shown in the table format: give --format csv or json");
    return kExitUsage;
  }
  std::FILE* file = OpenInput(options.file, error);
  if (file == nullptr) {
    ReportError(error);
    return kExitUsage;
  }
  CatchStopSignals();
  FileSource source(file, InputName(options.file), &StopRequest());
  OutputBuffer out(StandardOutput());
  if (!table) {
    const BatchOutcome outcome =
        RunBatch(source, *FormatNamed(options.format), out, &StopRequest(), settings, options.jobs, options.delimiter);
    if (file != stdin) std::fclose(file);
    for (const std::string& message : outcome.messages) ReportError(message);
    return outcome.exitStatus;
  }
  // The table: every row as CSV first, then laid out.
  std::string csv;
  BatchOutcome outcome;
  {
    OutputBuffer records(CollectInto(csv));
    outcome = RunBatch(source, Format::Csv, records, &StopRequest(), settings, options.jobs, options.delimiter);
  }
  if (file != stdin) std::fclose(file);
  const bool russian = RussianOutput(options.language);
  TableLayout layout;
  layout.russian = russian;
  layout.decimalSeparator = UserDecimalSeparator();
  const bool unitColumns = csv.substr(0, csv.find('\n')).find(",unit,") != std::string::npos;
  layout.columns = PointTableColumns(true, unitColumns, settings.quantities.kinds, russian);
  WriteTable(out, csv, layout);
  if (!out.Flush()) {
    outcome.messages.insert(outcome.messages.begin(),
                            std::string("cannot write the results: ") + std::strerror(out.ErrorNumber()));
    outcome.exitStatus = kExitUsage;
  }
  for (std::string& message : outcome.messages) {
    const std::size_t at = message.find("(see the error column)");
    if (at != std::string::npos) message.replace(at, 22, "(see the errors after the table)");
    ReportError(message);
  }
  return outcome.exitStatus;
}

}  // namespace

void AddBatchCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<BatchOptions>();
  CLI::App* batch = app.add_subcommand(
      "batch",
      "Compute every point of a CSV file with the header substance,concentration,temperature, the three names in "
      "any order (or of standard input), and write one result row per point, in input order. Cells are separated "
      "by commas or semicolons (as a spreadsheet under a Russian locale saves them; then 0,5 is a decimal comma). A "
      "column unit gives a row's concentration unit; other columns are ignored.");
  batch->add_option("file", options->file, "Input file, or - for standard input")->capture_default_str();
  batch
      ->add_option("-f,--format", options->format,
                   "Output format: CSV with a header, JSON lines, or table (an aligned row per point once every row "
                   "is read, the names and units in the header, the errors and warnings after it)")
      ->check(CLI::IsMember({"csv", "json", "table"}))
      ->capture_default_str();
  AddQuantityOptions(*batch, options->quantities);
  AddLanguageOption(*batch, options->language);
  batch
      ->add_option("-u,--unit", options->unit,
                   "Unit of the concentrations: fraction (kg/kg), percent, molality (mol/kg water), molarity (mol/L "
                   "solution) or g/L (g/L solution); a row's unit cell overrides it")
      ->capture_default_str();
  AddDelimiterOption(*batch, options->delimiter);
  batch->add_flag("--all-units", options->allUnits,
                  "Write the columns unit, mass_fraction, molality and molarity even when every concentration is a "
                  "mass fraction");
  batch->add_flag("--no-warnings", options->noWarnings,
                  "Leave the warning column empty (no solubility and temperature warnings)");
  batch->add_flag("--reference", options->reference,
                  "After the warning column, the independent published models beside each point: for each "
                  "property, <property>_reference (SI units), <property>_reference_source, <property>_deviation "
                  "(ours minus the reference, relative to it) and <property>_within_span (true when measurements "
                  "span the point), empty where no model covers the property; then notes, where no measurement "
                  "stands behind the point");
  batch
      ->add_option("-j,--jobs", options->jobs,
                   "Threads that compute rows (default: the number of processor cores); the output is the same "
                   "for any number")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            unsigned n = 0;
            const char* end = text.data() + text.size();
            const auto [stop, ec] = std::from_chars(text.data(), end, n);
            if (ec == std::errc() && stop == end && n >= 1 && n <= kMaxJobs) return {};
            return "give a whole number of threads from 1 to " + std::to_string(kMaxJobs) + ", not \"" + text + "\"";
          },
          "N"));
  batch->footer(
      "A row that is not a point (a value that is not a number, the wrong number of cells, ...) gets an output "
      "row of its own with the reason, and the rows after it are computed. The columns unit, mass_fraction, "
      "molality and molarity follow the input columns when a unit other than the fraction is used (--unit or a unit "
      "column) or with --all-units; concentration is then the value as given. The warning column after error "
      "says when a point is above the solubility of its salt or above 100 °C; it never changes the exit status.\n"
      "Exit status: 0 every row computed; 1 some row refused, failed or not a point (its error cell says why); 2 "
      "bad usage, an input that cannot be read (no or a wrong header, a read error) or the output not written; "
      "130 or 143 stopped by SIGINT or SIGTERM after a whole row.\n"
      "Examples:\n"
      "  elprops-cli batch points.csv\n"
      "  elprops-cli batch --unit molality molalities.csv\n"
      "  elprops-cli batch --format json < points.csv > results.jsonl\n"
      "  elprops-cli batch --jobs 1 points.csv\n"
      "  elprops-cli batch --reference points.csv\n"
      "  elprops-cli batch -p density,prandtl_number,kinematic_viscosity --format table points.csv");
  batch->callback([options, &status] { status = RunBatchCommand(*options); });
}

}  // namespace elprops::cli
