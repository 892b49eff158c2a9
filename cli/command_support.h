// What the subcommands share: the decimal separator of the text format and
// the GUI application that Qt's printing and painting need.
#pragma once

#include <string>

#ifdef ELPROPS_WITH_PDF
#include <QGuiApplication>
#include <memory>
#endif

namespace elprops::cli {

// The decimal separator of the user's regional settings where the program
// can read them, otherwise ".".
std::string UserDecimalSeparator();

#ifdef ELPROPS_WITH_PDF
// The GUI application for printing and painting. The command line never
// shows a window, so it runs offscreen unless QT_QPA_PLATFORM says
// otherwise.
std::unique_ptr<QGuiApplication> MakeGuiApplication();
#endif

}  // namespace elprops::cli
