// A strict reader of CSV as RFC 4180 defines it, written for the tests and
// independent of the program's own CSV code: records end in CRLF or LF,
// fields are separated by commas, a field in double quotes may hold
// commas, line breaks and doubled quotes. Columns are looked up by the
// names of the first record.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace elprops::cli::testing {

class CsvTable {
 public:
  // Reads all of `text`; Error() says what was malformed, if anything.
  explicit CsvTable(std::string_view text) {
    std::vector<std::string> record;
    std::string field;
    std::size_t i = 0;
    bool recordOpen = false;
    while (i < text.size()) {
      recordOpen = true;
      if (text[i] == '"') {
        ++i;
        for (;;) {
          if (i >= text.size()) {
            error_ = "a quoted field is not closed";
            return;
          }
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          field += text[i++];
        }
        if (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
          error_ = "text after a closing quote in record " + std::to_string(records_.size() + 1);
          return;
        }
      } else {
        while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
          if (text[i] == '"') {
            error_ = "a quote inside an unquoted field in record " + std::to_string(records_.size() + 1);
            return;
          }
          field += text[i++];
        }
      }
      record.push_back(std::move(field));
      field.clear();
      if (i < text.size() && text[i] == ',') {
        ++i;
        if (i == text.size()) record.emplace_back();
        continue;
      }
      if (i < text.size() && text[i] == '\r') {
        if (i + 1 >= text.size() || text[i + 1] != '\n') {
          error_ = "a carriage return without a line feed";
          return;
        }
        ++i;
      }
      if (i < text.size()) ++i;  // the line feed
      records_.push_back(std::move(record));
      record.clear();
      recordOpen = false;
    }
    if (recordOpen) records_.push_back(std::move(record));
  }

  [[nodiscard]] const std::string& Error() const { return error_; }
  [[nodiscard]] const std::vector<std::vector<std::string>>& Records() const { return records_; }
  // Data records: all but the header.
  [[nodiscard]] std::size_t RowCount() const { return records_.empty() ? 0 : records_.size() - 1; }
  // Number of fields of data record `row` (0-based).
  [[nodiscard]] std::size_t FieldCount(std::size_t row) const { return records_.at(row + 1).size(); }

  // The field of data record `row` in the column named `column`, or nothing
  // when there is no such column or the record is too short for it.
  [[nodiscard]] std::optional<std::string> Get(std::size_t row, std::string_view column) const {
    if (records_.empty()) return std::nullopt;
    const std::vector<std::string>& header = records_.front();
    for (std::size_t k = 0; k < header.size(); ++k) {
      if (header[k] != column) continue;
      const std::vector<std::string>& record = records_.at(row + 1);
      if (k >= record.size()) return std::nullopt;
      return record[k];
    }
    return std::nullopt;
  }

 private:
  std::vector<std::vector<std::string>> records_;
  std::string error_;
};

}  // namespace elprops::cli::testing
