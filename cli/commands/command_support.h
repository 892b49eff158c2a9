// What the subcommands share: the decimal separator of the text format,
// opening the input, the standard streams, and the GUI application that
// Qt's printing and painting need.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

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
