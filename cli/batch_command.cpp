// elprops-cli batch: points from a CSV file or standard input, results as
// CSV or JSON lines on standard output.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "batch.h"
#include "command_support.h"
#include "commands.h"
#include "stop_signal.h"

namespace elprops::cli {
namespace {

struct BatchOptions {
  std::string file = "-";
  std::string format = "csv";
  unsigned jobs = DefaultJobs();

  static unsigned DefaultJobs() { return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxJobs); }
};

int RunBatchCommand(const BatchOptions& options) {
  std::string error;
  std::FILE* file = OpenInput(options.file, error);
  if (file == nullptr) {
    ReportError(error);
    return kExitUsage;
  }
  CatchStopSignals();
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  FileSource source(file, InputName(options.file), &StopRequest());
  OutputBuffer out(StandardOutput());
  const BatchOutcome outcome =
      RunBatch(tables, source, *FormatNamed(options.format), out, &StopRequest(), options.jobs);
  if (file != stdin) std::fclose(file);
  for (const std::string& message : outcome.messages) ReportError(message);
  return outcome.exitStatus;
}

}  // namespace

void AddBatchCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<BatchOptions>();
  CLI::App* batch = app.add_subcommand(
      "batch",
      "Compute every point of a CSV file with the header substance,concentration,temperature (or of standard "
      "input) and write one result row per point, in input order.");
  batch->add_option("file", options->file, "Input file, or - for standard input")->capture_default_str();
  batch->add_option("-f,--format", options->format, "Output format: CSV with a header, or JSON lines")
      ->check(CLI::IsMember({"csv", "json"}))
      ->capture_default_str();
  batch
      ->add_option("-j,--jobs", options->jobs,
                   "Threads that compute rows (default: the number of processor cores); the output is the same "
                   "for any number")
      ->check(CLI::Range(1u, kMaxJobs));
  batch->footer(
      "A row that is not a point (a value that is not a number, the wrong number of cells, ...) gets an output "
      "row of its own with the reason, and the rows after it are computed.\n"
      "Exit status: 0 every row computed; 1 some row refused, failed or not a point (its error cell says why); 2 "
      "bad usage, an input that cannot be read (no or a wrong header, a read error) or the output not written; "
      "130 or 143 stopped by SIGINT or SIGTERM after a whole row.\n"
      "Examples:\n"
      "  elprops-cli batch points.csv\n"
      "  elprops-cli batch --format json < points.csv > results.jsonl\n"
      "  elprops-cli batch --jobs 1 points.csv");
  batch->callback([options, &status] { status = RunBatchCommand(*options); });
}

}  // namespace elprops::cli
