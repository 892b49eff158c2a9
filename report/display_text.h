// The texts of the two result labels: the inputs of the last point in
// Label2 and its five properties in Label3. Lines are joined by "\r".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/correlations.h"

namespace elprops::report {

// Label2: "КОНЦЕНТРАЦИЯ - <c> Кг/Кг", then "ТЕМПЕРАТУРА - <t> Град. Цельсия",
// both numbers in the general number form (a point whatever the locale).
// For water (19) the first line stays empty.
std::string InputLabelText(std::uint8_t substance, float concentration, float temperature);

// Label3: fourteen lines, the five properties each under its caption with
// an empty line between, formatted with the user's decimal separator:
// density "0.0", viscosity "0.000000", surface tension "0.00000", heat
// capacity "0" (a whole number, no separator) and conductivity "0.000".
std::string ResultLabelText(const model::PropertySet& properties, std::string_view decimalSeparator);

}  // namespace elprops::report
