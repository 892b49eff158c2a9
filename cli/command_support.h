// What the subcommands share: the decimal separator of the text format.
#pragma once

#include <string>

namespace elprops::cli {

// The decimal separator of the user's regional settings where the program
// can read them, otherwise ".".
std::string UserDecimalSeparator();

}  // namespace elprops::cli
