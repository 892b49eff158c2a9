// Numbers in the model's messages, written as printf's "%.*g" and "%.*f"
// write them in the C locale, whatever locale the program runs in, and
// without printf's cost: a batch makes such a message for many points.
#pragma once

#include <string>

namespace elprops::model {

// `significant` digits, trailing zeros dropped ("%.*g").
std::string GeneralText(double value, int significant);

// `decimals` digits after the point ("%.*f").
std::string FixedText(double value, int decimals);

}  // namespace elprops::model
