#include "cli/output/record_writer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <elprops/text.hpp>

#include "cli/output/safe_text.h"

namespace elprops::cli {

namespace {

bool CsvNeedsQuotes(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
}

// A control character other than a line break, which a CSV cell may hold.
bool Escaped(char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\n'; }

// The text with each quote written twice and each control character (NUL
// and tab included) as \u00XX, as in JSON; line breaks stay as they are.
void AppendCsvText(OutputBuffer& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::size_t from = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const char c = text[k];
    if (c != '"' && !Escaped(c)) continue;
    out.Append(text.substr(from, k - from));
    from = k + 1;
    if (c == '"') {
      out.Append("\"\"");
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    const char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 15]};
    out.Append(std::string_view(escape, sizeof escape));
  }
  out.Append(text.substr(from));
}

void AppendCsvCell(OutputBuffer& out, std::string_view text) {
  if (!CsvNeedsQuotes(text)) {
    if (std::none_of(text.begin(), text.end(), Escaped)) {
      out.Append(text);
    } else {
      AppendCsvText(out, text);
    }
    return;
  }
  out.Append('"');
  AppendCsvText(out, text);
  out.Append('"');
}

// A JSON number as it stands: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool IsJsonNumber(std::string_view text) {
  std::size_t k = 0;
  const auto digits = [&text, &k] {
    const std::size_t from = k;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k;
    return k - from;
  };
  if (k < text.size() && text[k] == '-') ++k;
  const std::size_t lead = k;
  const std::size_t whole = digits();
  if (whole == 0 || (whole > 1 && text[lead] == '0')) return false;
  if (k < text.size() && text[k] == '.') {
    ++k;
    if (digits() == 0) return false;
  }
  if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
    ++k;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    if (digits() == 0) return false;
  }
  return k == text.size();
}

}  // namespace

RecordWriter::RecordWriter(OutputBuffer& out, Format format, std::span<const std::string_view> fields)
    : out_(out), json_(format == Format::Json), fields_(fields) {}

void RecordWriter::WriteHeader() {
  if (json_) return;
  for (std::size_t k = 0; k < fields_.size(); ++k) {
    if (k > 0) out_.Append(',');
    AppendCsvCell(out_, fields_[k]);
  }
  out_.Append('\n');
  out_.EndRow();
}

void RecordWriter::NextField() {
  assert(next_ < fields_.size());
  if (json_) {
    out_.Append(next_ == 0 ? '{' : ',');
    AppendJsonString(out_, fields_[next_]);
    out_.Append(':');
  } else if (next_ > 0) {
    out_.Append(',');
  }
  ++next_;
}

RecordWriter& RecordWriter::Text(std::string_view text) {
  NextField();
  if (json_) {
    AppendJsonString(out_, text);
  } else {
    AppendCsvCell(out_, text);
  }
  return *this;
}

RecordWriter& RecordWriter::Echo(std::string_view cell) {
  if (!json_) return Text(cell);
  if (cell.empty()) return Null();
  return IsJsonNumber(cell) ? Raw(cell) : Text(cell);
}

RecordWriter& RecordWriter::Float(float value) {
  if (json_ && !std::isfinite(value)) return Null();
  NextField();
  out_.Commit(elprops::shortest_chars(out_.Reserve(elprops::shortest_chars_max), value));
  return *this;
}

RecordWriter& RecordWriter::Double(double value) {
  if (json_ && !std::isfinite(value)) return Null();
  NextField();
  out_.Commit(elprops::nine_digit_chars(out_.Reserve(elprops::shortest_chars_max), value));
  return *this;
}

RecordWriter& RecordWriter::Null() {
  NextField();
  if (json_) out_.Append("null");
  return *this;
}

RecordWriter& RecordWriter::Raw(std::string_view number) {
  NextField();
  out_.Append(number);
  return *this;
}

RecordWriter& RecordWriter::BeginList() {
  assert(json_);
  NextField();
  out_.Append('[');
  items_ = 0;
  return *this;
}

RecordWriter RecordWriter::Item(std::span<const std::string_view> fields) {
  if (items_++ > 0) out_.Append(',');
  RecordWriter item(out_, Format::Json, fields);
  item.item_ = true;
  return item;
}

RecordWriter& RecordWriter::EndList() {
  out_.Append(']');
  return *this;
}

void RecordWriter::EndRecord() {
  assert(next_ == fields_.size());
  next_ = 0;
  if (!json_) {
    out_.Append('\n');
  } else {
    // A record without fields is still one.
    if (fields_.empty()) out_.Append('{');
    out_.Append('}');
    if (item_) return;
    out_.Append('\n');
  }
  out_.EndRow();
}

}  // namespace elprops::cli
