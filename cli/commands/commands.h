// The subcommands of elprops-cli. Each adds itself to the application and,
// when it runs, stores the exit status in `status`.
#pragma once

#include <CLI/CLI.hpp>

namespace elprops::cli {

void AddListCommand(CLI::App& app, int& status);
void AddComputeCommand(CLI::App& app, int& status);
void AddBatchCommand(CLI::App& app, int& status);
// Printing a protocol from a file of points (protocol_command.cpp).
void AddProtocolCommand(CLI::App& app, int& status);
// Property curves drawn into a picture file (plot_command.cpp).
void AddPlotCommand(CLI::App& app, int& status);
// The concentration that gives a property a value (solve_command.cpp).
void AddSolveCommand(CLI::App& app, int& status);

// "elprops-cli: <message>" on standard error.
void ReportError(std::string_view message);

}  // namespace elprops::cli
