// elprops-cli batch: points from a CSV file or standard input, results as
// CSV or JSON lines on standard output.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "batch.h"
#include "commands.h"

namespace elprops::cli {
namespace {

struct BatchOptions {
  std::string file = "-";
  std::string format = "csv";
};

int RunBatchCommand(const BatchOptions& options) {
  std::FILE* file = stdin;
  if (options.file != "-") {
    file = std::fopen(options.file.c_str(), "rb");
    if (file == nullptr) {
      ReportError("cannot open " + options.file + ": " + std::strerror(errno));
      return kExitUsage;
    }
  }
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  FileSource source(file);
  OutputBuffer out(StandardOutput());
  const BatchOutcome outcome = RunBatch(tables, source, *FormatNamed(options.format), out);
  if (file != stdin) std::fclose(file);
  if (!outcome.message.empty()) ReportError(outcome.message);
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
  batch->callback([options, &status] { status = RunBatchCommand(*options); });
}

}  // namespace elprops::cli
