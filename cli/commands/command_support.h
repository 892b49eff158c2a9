// What the subcommands share: the decimal separator of the text format,
// opening the input, the standard streams, and the GUI application that
// Qt's printing and painting need.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#ifdef ELPROPS_WITH_PDF
#include <QGuiApplication>
#include <memory>
#endif

namespace elprops::cli {

// The decimal separator of the user's regional settings where the program
// can read them, otherwise ".".
std::string UserDecimalSeparator();

// Standard input for "-", otherwise the file opened for reading; nothing,
// with `error` saying why ("cannot open \"x\": No such file or directory",
// "cannot read \"x\": Is a directory"), when it cannot be read.
std::FILE* OpenInput(const std::string& path, std::string& error);

// "standard input" or the path in quotes, for messages.
std::string InputName(const std::string& path);

// The option --delimiter of the commands that read points: ',' or ';'
// (also "comma" or "semicolon"). Without it `delimiter` stays 0: the
// header tells.
void AddDelimiterOption(CLI::App& command, char& delimiter);

// The options -p/--properties and --reference-temperature of the commands
// that compute points.
struct QuantityOptions {
  std::vector<std::string> properties;
  std::string referenceTemperature;
};
void AddQuantityOptions(CLI::App& command, QuantityOptions& options);

// The option --lang (ru or en) of the text and table outputs, or with
// `tableOnly` of the table alone.
void AddLanguageOption(CLI::App& command, std::string& language, bool tableOnly = false);
// Whether the output is Russian: as --lang says, or when it was not given,
// as the locale says (LC_ALL, LC_MESSAGES, LANG; Russian when it starts
// with "ru"), the same choice as the plots'.
bool RussianOutput(const std::string& language);

// A sink that appends to `text`: the records of a table, laid out once
// all are in.
std::function<bool(std::string_view)> CollectInto(std::string& text);

// The answers of solve, collected as CSV, laid out as a table on standard
// output in the language of --lang; false, with the reason in errno, when
// they cannot be written.
bool WriteSolveTableOut(std::string_view csv, const std::string& language);

// Run first: a standard stream that is closed (a program started with
// ">&-") is opened on /dev/null the wrong way round, so that reading or
// writing it fails with a reason instead of a file opened later taking
// its place.
void GuardStandardStreams();

#ifdef ELPROPS_WITH_PDF
// The GUI application for printing and painting. The command line never
// shows a window, so it runs offscreen unless QT_QPA_PLATFORM says
// otherwise.
std::unique_ptr<QGuiApplication> MakeGuiApplication();
#endif

}  // namespace elprops::cli
