// elprops-cli: the property model on the command line, for tables and
// scripts.
#include <CLI/CLI.hpp>

#include "batch.h"
#include "commands.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Properties of aqueous electrolyte solutions: density, viscosity, surface tension, heat capacity "
      "and thermal conductivity of 18 salts and water.",
      "elprops-cli"};
  app.require_subcommand(1);
  app.footer(
      "Exit status: 0 every point computed; 1 some point refused or failed (its row says why); 2 bad usage or "
      "unreadable input.\nExamples:\n  elprops-cli compute --substance NaCl --concentration 0,1 --temperature 20\n"
      "  elprops-cli compute -s KCl -c 0.05:0.25:0.05 -t 20:80:20 --format csv\n"
      "  elprops-cli batch points.csv --format json");
  int status = elprops::cli::kExitOk;
  elprops::cli::AddListCommand(app, status);
  elprops::cli::AddComputeCommand(app, status);
  elprops::cli::AddBatchCommand(app, status);
  elprops::cli::AddProtocolCommand(app, status);
  elprops::cli::AddPlotCommand(app, status);
  elprops::cli::AddSolveCommand(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? elprops::cli::kExitOk : elprops::cli::kExitUsage;
  }
  return status;
}
