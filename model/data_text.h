// Reading the data tables compiled into the model (the solubility table,
// the reference models' coefficients): plain CSV text with a header line.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace elprops::model {

// The lines of the text that hold anything, each without its line end
// ("\n" or "\r\n"); the header is the first.
std::vector<std::string_view> DataLines(std::string_view text);

// The cells of one line, split at commas; a cell in double quotes keeps its
// commas and loses its quotes. Nothing for an unclosed quote or text after
// a quoted cell.
std::optional<std::vector<std::string_view>> DataCells(std::string_view line);

}  // namespace elprops::model
