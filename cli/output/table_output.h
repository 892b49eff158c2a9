// The table format for the terminal: the records a run wrote as CSV, read
// back and laid out as one aligned row each, with the names and units of
// the columns in the header and the errors and warnings after the table.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/derived.hpp>

#include "cli/output/output_buffer.h"

namespace elprops::cli {

struct TableColumn {
  std::string field;   // the CSV field it shows
  std::string name;    // the header's first line: "density"
  std::string unit;    // its second line, symbol and unit: "ρ, kg/m³"
  int digits = 0;      // significant digits of a number; 0: the cell as written
  bool number = true;  // right-aligned, its decimal point the separator given
  // The cells are singles (one of the five properties): rounded from the
  // single's own value, not from its shortest text.
  bool single = false;
};

struct TableLayout {
  std::string title;  // a line above the table; none when empty
  std::vector<TableColumn> columns;
  bool russian = false;
  std::string decimalSeparator = ".";
};

// Display width of UTF-8 text on a terminal: one column a character (the
// Latin, Greek and Cyrillic letters and the signs the tables use).
std::size_t DisplayWidth(std::string_view text);

// Reads `csv` (a header line and records, as RecordWriter writes them) and
// writes the layout's columns that its header has: a column "#" numbering
// the rows from 1, then each column as wide as its widest cell, numbers
// right-aligned and texts left-aligned, two spaces apart; the header
// names, units and a rule above the rows. After an empty line, a line for
// each error and warning of a row ("2: warning: ..."). Nothing for an
// empty `csv`. Returns the number of rows.
std::size_t WriteTable(OutputBuffer& out, std::string_view csv, const TableLayout& layout);

// The columns of the points of compute and batch: `substance` (batch),
// with `unitColumns` the concentration as given, its unit, the mass
// fraction, molality and molarity, otherwise the mass fraction; the
// temperature, then the quantities (the five when empty).
std::vector<TableColumn> PointTableColumns(bool substance, bool unitColumns, std::span<const quantity_kind> quantities,
                                           bool russian);

// The answers of solve read back from its CSV: the temperature, the
// answer in its unit and the mass fraction, the value the answer gives;
// its title names the substance, the quantity and the value to match
// (from the first record). Returns the rows.
std::size_t WriteSolveTable(OutputBuffer& out, std::string_view csv, bool russian, std::string_view decimalSeparator);

}  // namespace elprops::cli
