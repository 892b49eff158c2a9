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

void AppendCsvCell(OutputBuffer& out, std::string_view text) {
  if (!CsvNeedsQuotes(text)) {
    out.Append(text);
    return;
  }
  out.Append('"');
  // Each quote is written twice: the piece up to and with it, then it again.
  for (std::size_t quote = text.find('"'); quote != std::string_view::npos; quote = text.find('"')) {
    out.Append(text.substr(0, quote + 1));
    out.Append('"');
    text.remove_prefix(quote + 1);
  }
  out.Append(text);
  out.Append('"');
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
