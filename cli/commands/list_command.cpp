// elprops-cli list: the nineteen substances.
#include <cstring>
#include <string>

#include "cli/batch/batch.h"
#include "cli/commands/commands.h"
#include "cli/input/point_input.h"
#include "cli/output/point_output.h"
#include "cli/output/safe_text.h"
#include "model/catalogue.h"

namespace elprops::cli {
namespace {

std::string_view WithoutLeadingBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

void Pad(std::string& line, std::string_view text, std::size_t width) {
  line += text;
  if (text.size() < width) line.append(width - text.size(), ' ');
}

int RunList(Format format) {
  OutputBuffer out(StandardOutput());
  if (format == Format::Csv) out.Append("index,formula,name,caption\n");
  for (std::size_t i = 0; i < model::kCatalogue.size(); ++i) {
    const model::CatalogueRow& row = model::kCatalogue[i];
    const std::string index = std::to_string(i + 1);
    const std::string_view caption = WithoutLeadingBlanks(row.Caption);
    std::string line;
    switch (format) {
      case Format::Text:
        line.assign(index.size() < 2 ? 1 : 0, ' ');
        line += index;
        line += "  ";
        Pad(line, row.Formula, 11);
        Pad(line, row.EnglishName, 22);
        line += caption;
        break;
      case Format::Csv:
        // Caption 3 ends with a blank; quoting keeps it.
        line = index + "," + std::string(row.Formula) + "," + std::string(row.EnglishName) + ",\"" +
               std::string(caption) + "\"";
        break;
      case Format::Json:
        line = "{\"index\":" + index + ",\"formula\":";
        AppendJsonString(line, row.Formula);
        line += ",\"name\":";
        AppendJsonString(line, row.EnglishName);
        line += ",\"caption\":";
        AppendJsonString(line, caption);
        line += '}';
        break;
    }
    line += '\n';
    out.Append(line);
    out.EndRow();
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
