#include "cli/output/table_output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include <elprops/vocabulary.hpp>

#include "cli/output/quantities.h"

namespace elprops::cli {
namespace {

using Record = std::vector<std::string>;

// The records of CSV as RecordWriter writes it: cells quoted when they
// hold a comma, a quote or a line break, quotes doubled.
std::vector<Record> ReadRecords(std::string_view csv) {
  std::vector<Record> records;
  Record record;
  std::string cell;
  bool quoted = false;
  for (std::size_t i = 0; i < csv.size(); ++i) {
    const char c = csv[i];
    if (quoted) {
      if (c != '"') {
        cell += c;
      } else if (i + 1 < csv.size() && csv[i + 1] == '"') {
        cell += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.push_back(std::move(cell));
      cell.clear();
    } else if (c == '\n') {
      record.push_back(std::move(cell));
      cell.clear();
      records.push_back(std::move(record));
      record.clear();
    } else {
      cell += c;
    }
  }
  return records;
}

std::size_t FieldIndex(const Record& header, std::string_view field) {
  const auto found = std::ranges::find(header, field);
  return found == header.end() ? std::string_view::npos : static_cast<std::size_t>(found - header.begin());
}

// A cell as the column shows it.
std::string Shown(const std::string& cell, const TableColumn& column, std::string_view separator) {
  if (cell.empty() || !column.number) return cell;
  std::string shown = cell;
  if (column.digits > 0) {
    const char* end = cell.data() + cell.size();
    double value = 0.0;
    float single = 0.0f;
    const auto [stop, ec] =
        column.single ? std::from_chars(cell.data(), end, single) : std::from_chars(cell.data(), end, value);
    if (column.single) value = static_cast<double>(single);
    if (ec == std::errc() && stop == end) shown = DigitsText(value, column.digits);
  }
  if (const std::size_t dot = shown.find('.'); dot != std::string::npos) shown.replace(dot, 1, separator);
  return shown;
}

void Pad(std::string& line, std::string_view text, std::size_t width, bool right) {
  const std::string gap(width - std::min(width, DisplayWidth(text)), ' ');
  line += right ? gap + std::string(text) : std::string(text) + gap;
}

// The lines of the table: the two header lines, the rule, the rows.
void WriteLines(OutputBuffer& out, const std::vector<TableColumn>& columns, const std::vector<Record>& rows) {
  std::vector<std::size_t> widths;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    std::size_t width = std::max(DisplayWidth(columns[c].name), DisplayWidth(columns[c].unit));
    for (const Record& row : rows) width = std::max(width, DisplayWidth(row[c]));
    widths.push_back(width);
  }
  const auto line = [&](const auto& cellOf) {
    std::string text;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) text += "  ";
      Pad(text, cellOf(c), widths[c], columns[c].number);
    }
    while (text.ends_with(' ')) text.pop_back();
    out.Append(text + "\n");
  };
  line([&](std::size_t c) -> std::string_view { return columns[c].name; });
  line([&](std::size_t c) -> std::string_view { return columns[c].unit; });
  const std::vector<std::string> rules = [&] {
    std::vector<std::string> r;
    for (const std::size_t w : widths) r.emplace_back(w, '-');
    return r;
  }();
  line([&](std::size_t c) -> std::string_view { return rules[c]; });
  for (const Record& row : rows) line([&](std::size_t c) -> std::string_view { return row[c]; });
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
  // Every byte but the continuation bytes of UTF-8 starts a character.
  return static_cast<std::size_t>(
      std::ranges::count_if(text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u; }));
}

std::size_t WriteTable(OutputBuffer& out, std::string_view csv, const TableLayout& layout) {
  const std::vector<Record> records = ReadRecords(csv);
  if (records.empty()) return 0;
  const Record& header = records.front();
  std::vector<TableColumn> columns{{"", "#", "", 0, true}};
  std::vector<std::size_t> from{std::string_view::npos};
  for (const TableColumn& column : layout.columns) {
    const std::size_t index = FieldIndex(header, column.field);
    if (index == std::string_view::npos) continue;
    columns.push_back(column);
    from.push_back(index);
  }
  const std::size_t error = FieldIndex(header, "error");
  const std::size_t warning = FieldIndex(header, "warning");
  std::vector<Record> rows;
  std::string notes;
  for (std::size_t r = 1; r < records.size(); ++r) {
    const Record& record = records[r];
    Record row{std::to_string(r)};
    for (std::size_t c = 1; c < columns.size(); ++c) {
      row.push_back(from[c] < record.size() ? Shown(record[from[c]], columns[c], layout.decimalSeparator) : "");
    }
    rows.push_back(std::move(row));
    const auto note = [&](std::size_t index, std::string_view english, std::string_view russian) {
      if (index >= record.size() || record[index].empty()) return;
      notes += std::to_string(r) + ": " + std::string(layout.russian ? russian : english) + ": " + record[index] + "\n";
    };
    note(error, "error", "ошибка");
    note(warning, "warning", "предупреждение");
  }
  if (!layout.title.empty()) out.Append(layout.title + "\n");
  WriteLines(out, columns, rows);
  if (!notes.empty()) out.Append("\n" + notes);
  out.EndRow();
  return rows.size();
}

std::vector<TableColumn> PointTableColumns(bool substance, bool unitColumns, std::span<const quantity_kind> quantities,
                                           bool russian) {
  const auto pick = [russian](std::string_view en, std::string_view ru) { return std::string(russian ? ru : en); };
  std::vector<TableColumn> columns;
  if (substance) columns.push_back({"substance", pick("substance", "ВЕЩЕСТВО"), "", 0, false});
  if (unitColumns) {
    columns.push_back({"concentration", pick("concentration", "КОНЦЕНТРАЦИЯ"), "", 0, true});
    columns.push_back({"unit", pick("unit", "ЕДИНИЦА"), "", 0, false});
    columns.push_back({"mass_fraction", pick("mass fraction", "МАССОВАЯ ДОЛЯ"), pick("w, kg/kg", "w, кг/кг"), 0, true});
    columns.push_back({"molality", pick("molality", "МОЛЯЛЬНОСТЬ"), pick("b, mol/kg", "b, моль/кг"), 6, true});
    columns.push_back({"molarity", pick("molarity", "МОЛЯРНОСТЬ"), pick("c, mol/L", "c, моль/л"), 6, true});
  } else {
    columns.push_back({"concentration", pick("mass fraction", "КОНЦЕНТРАЦИЯ"), pick("w, kg/kg", "w, кг/кг"), 0, true});
  }
  columns.push_back({"temperature", pick("temperature", "ТЕМПЕРАТУРА"), "t, °C", 0, true});
  const std::vector<quantity_kind> five = QuantitySelection::DefaultKinds();
  for (const quantity_kind k : quantities.empty() ? std::span<const quantity_kind>(five) : quantities) {
    const quantity_info& q = describe(k);
    const std::string_view unit = russian ? q.russian_unit : q.unit;
    columns.push_back({std::string(q.name), std::string(russian ? q.russian_caption : q.words),
                       std::string(q.symbol) + (unit.empty() ? "" : ", " + std::string(unit)), DisplayDigits(k), true,
                       base_property(k).has_value()});
  }
  return columns;
}

std::size_t WriteSolveTable(OutputBuffer& out, std::string_view csv, bool russian, std::string_view decimalSeparator) {
  const std::vector<Record> records = ReadRecords(csv.substr(0, csv.find('\n', csv.find('\n') + 1) + 1));
  TableLayout layout;
  layout.russian = russian;
  layout.decimalSeparator = decimalSeparator;
  const auto pick = [russian](std::string_view en, std::string_view ru) { return std::string(russian ? ru : en); };
  std::optional<quantity_kind> kind;
  std::optional<concentration_unit> unit;
  if (records.size() > 1) {
    const Record& header = records[0];
    const Record& first = records[1];
    const auto cell = [&](std::string_view field) {
      const std::size_t i = FieldIndex(header, field);
      return i < first.size() ? first[i] : std::string();
    };
    kind = parse_quantity(cell("property"));
    unit = parse_concentration_unit(cell("unit"));
    if (kind) {
      const quantity_info& q = describe(*kind);
      const std::string_view symbol = russian ? q.russian_unit : q.unit;
      layout.title = cell("substance") + ": " + std::string(russian ? q.russian_caption : q.words) + " " +
                     std::string(q.symbol) + " = " + Shown(cell("value"), {"", "", "", 0, true}, decimalSeparator) +
                     (symbol.empty() ? "" : " " + std::string(symbol));
    }
  }
  layout.columns.push_back({"temperature", pick("temperature", "ТЕМПЕРАТУРА"), "t, °C", 0, true});
  layout.columns.push_back({"root", pick("answer", "ОТВЕТ"), "", 0, true});
  if (unit && *unit != concentration_unit::mass_fraction) {
    const unit_info& u = describe(*unit);
    layout.columns.push_back({"concentration", pick(u.words, "КОНЦЕНТРАЦИЯ"),
                              std::string(u.quantity) + ", " + std::string(russian ? u.russian_symbol : u.symbol), 6,
                              true});
  }
  layout.columns.push_back(
      {"mass_fraction", pick("mass fraction", "МАССОВАЯ ДОЛЯ"), pick("w, kg/kg", "w, кг/кг"), 0, true});
  if (kind) {
    const quantity_info& q = describe(*kind);
    const std::string_view symbol = russian ? q.russian_unit : q.unit;
    layout.columns.push_back({"achieved", pick("value reached", "ПОЛУЧЕННОЕ ЗНАЧЕНИЕ"),
                              std::string(q.symbol) + (symbol.empty() ? "" : ", " + std::string(symbol)),
                              DisplayDigits(*kind), true, base_property(*kind).has_value()});
  }
  return WriteTable(out, csv, layout);
}

}  // namespace elprops::cli
