// elprops-cli: the property model on the command line, for tables and
// scripts.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch/batch.h"
#include "cli/commands/command_support.h"
#include "cli/commands/commands.h"
#include "cli/commands/help_format.h"
#include "cli/output/point_output.h"
#include "cli/output/safe_text.h"

namespace {

using elprops::cli::kExitOk;
using elprops::cli::kExitUsage;

// The subcommands' names, in the order of the help.
std::string CommandNames(const CLI::App& app) {
  std::string names;
  for (const CLI::App* sub : app.get_subcommands({})) {
    if (!names.empty()) names += ", ";
    names += sub->get_name();
  }
  return names;
}

// The first argument that is not an option names the command.
const char* CommandArgument(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '-') return argv[i];
  }
  return nullptr;
}

// A parse error as "elprops-cli: <what>" and where to find help.
std::string FailureMessage(const CLI::App* app, const CLI::Error& error) {
  std::string help = "elprops-cli";
  for (const CLI::App* sub : app->get_subcommands()) help += " " + sub->get_name();
  return elprops::cli::ErrorLine(error.what()) + "Run " + help + " --help for more information.\n";
}

}  // namespace

int main(int argc, char** argv) {
  elprops::cli::GuardStandardStreams();
  CLI::App app{
      "Properties of aqueous electrolyte solutions: density, viscosity, surface tension, heat capacity "
      "and thermal conductivity of 18 salts and water.",
      "elprops-cli"};
  app.formatter(std::make_shared<elprops::cli::WrappingFormatter>());
  app.failure_message(FailureMessage);
  app.set_version_flag("--version", "elprops-cli " ELPROPS_VERSION, "Print the version and exit");
  app.require_subcommand(1);
  int status = kExitOk;
  elprops::cli::AddListCommand(app, status);
  elprops::cli::AddComputeCommand(app, status);
  elprops::cli::AddBatchCommand(app, status);
  elprops::cli::AddProtocolCommand(app, status);
  elprops::cli::AddPlotCommand(app, status);
  elprops::cli::AddSolveCommand(app, status);
  app.get_subcommand("protocol")
      ->footer(
          "Examples:\n"
          "  elprops-cli protocol points.csv\n"
          "  elprops-cli protocol points.csv --pdf protocol.pdf");
  // Set after the subcommands, so that they do not repeat it.
  app.footer(
      "Run elprops-cli COMMAND --help for the options and examples of a command.\n"
      "Exit status: 0 success; 1 some point refused or failed; 2 bad usage, unreadable input or output not "
      "written.\n"
      "Examples:\n"
      "  elprops-cli list\n"
      "  elprops-cli compute -s NaCl -c 0,1 -t 20\n"
      "  elprops-cli batch points.csv --format json");

  if (const char* command = CommandArgument(argc, argv)) {
    bool known = false;
    for (const CLI::App* sub : app.get_subcommands({})) known = known || sub->get_name() == command;
    if (!known) {
      elprops::cli::ReportError("unknown command \"" + std::string(command) + "\"; the commands are " +
                                CommandNames(app) + " (elprops-cli --help)");
      return kExitUsage;
    }
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version go to standard output, checked like any output.
    std::ostringstream out;
    std::ostringstream err;
    const int code = app.exit(e, out, err);
    const std::string text = err.str();
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stderr);
    if (!out.str().empty() && !elprops::cli::WriteAll(STDOUT_FILENO, out.str())) {
      const char* what = e.get_name() == "CallForVersion" ? "version" : "help";
      elprops::cli::ReportError(std::string("cannot write the ") + what + ": " + std::strerror(errno));
      return kExitUsage;
    }
    return code == 0 ? kExitOk : kExitUsage;
  }
  return status;
}
