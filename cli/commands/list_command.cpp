// elprops-cli list: the nineteen substances.
#include <cstring>
#include <elprops/substance.hpp>
#include <string>

#include "cli/batch/batch.h"
#include "cli/commands/commands.h"
#include "cli/output/output_buffer.h"
#include "cli/output/record_writer.h"

namespace elprops::cli {
namespace {

void Pad(OutputBuffer& out, std::string_view text, std::size_t width) {
  out.Append(text);
  for (std::size_t k = text.size(); k < width; ++k) out.Append(' ');
}

void WriteTextLine(OutputBuffer& out, const substance_info& substance) {
  if (substance.index < 10) out.Append(' ');
  out.Append(std::to_string(substance.index));
  out.Append("  ");
  Pad(out, substance.formula, 11);
  Pad(out, substance.english_name, 22);
  out.Append(substance.list_caption);
  out.Append('\n');
  out.EndRow();
}

int RunList(Format format) {
  static constexpr std::string_view kFields[] = {"index", "formula", "name", "caption"};
  OutputBuffer out(StandardOutput());
  RecordWriter record(out, format, kFields);
  if (format == Format::Csv) record.WriteHeader();
  for (const substance_info& substance : substances()) {
    if (format == Format::Text) {
      WriteTextLine(out, substance);
      continue;
    }
    const std::string index = std::to_string(substance.index);
    record.Raw(index).Text(substance.formula).Text(substance.english_name).Text(substance.list_caption);
    record.EndRecord();
  }
  if (!out.Flush()) {
    ReportError(std::string("cannot write the list: ") + std::strerror(out.ErrorNumber()));
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace

void AddListCommand(CLI::App& app, int& status) {
  CLI::App* list =
      app.add_subcommand("list", "List the nineteen substances: index, formula, English name and Russian caption.");
  auto format = std::make_shared<std::string>("text");
  list->add_option("-f,--format", *format, "Output format")
      ->check(CLI::IsMember({"text", "csv", "json"}))
      ->capture_default_str();
  list->footer(
      "Exit status: 0 listed; 2 bad usage or the list could not be written.\n"
      "Examples:\n"
      "  elprops-cli list\n"
      "  elprops-cli list -f csv");
  list->callback([format, &status] { status = RunList(*FormatNamed(*format)); });
}

}  // namespace elprops::cli
