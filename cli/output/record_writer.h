// Records (rows of fields) written as CSV rows or JSON lines: the one place
// where the command line quotes and escapes what it writes.
#pragma once

#include <array>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <elprops/text.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/output/output_buffer.h"
#include "cli/output/safe_text.h"

namespace elprops::cli {

// Writes records of fixed fields into an output buffer. In CSV the field
// names are the header and each record is a row whose cells are quoted
// only when they need it (a comma, a quote or a line break; quotes
// doubled), and other control characters (NUL and tab too) are written as
// \u00XX as in JSON. In JSON each record is one object per line, its keys the field
// names, its strings escaped as well-formed UTF-8. A record's values are
// given in field order, one call each. Nothing is allocated, neither by
// the writer nor per value: a writer may be made for each record.
//
//   RecordWriter w(out, Format::Csv, kFields);
//   w.WriteHeader();
//   w.Text("NaCl").Float(0.1f).Null();
//   w.EndRecord();
class RecordWriter {
 public:
  // `format` is Format::Json or CSV (any other). `fields` must stay valid
  // while the writer is used.
  RecordWriter(OutputBuffer& out, Format format, std::span<const std::string_view> fields);

  [[nodiscard]] Format format() const { return json_ ? Format::Json : Format::Csv; }
  [[nodiscard]] std::span<const std::string_view> fields() const { return fields_; }

  // CSV: the field names, one row. JSON: nothing (each line names its
  // fields).
  void WriteHeader();

  // A text: a CSV cell (quoted when needed), a JSON string.
  RecordWriter& Text(std::string_view text);
  // The shortest text that reads back to the same float; nine significant
  // digits of a double. A value that is not finite is null in JSON.
  RecordWriter& Float(float value);
  RecordWriter& Double(double value);
  // The shortest text that reads back to the same double; no value when
  // it is not finite (a quantity that could not be computed).
  RecordWriter& Shortest(double value);
  // No value: an empty CSV cell, JSON null.
  RecordWriter& Null();
  // An input cell as it was given: in CSV its text, in JSON a number when
  // it is written as one ("0.10", "1e-50"), no value when it is empty, and
  // otherwise a string ("0,1", "abc").
  RecordWriter& Echo(std::string_view cell);
  // A number already written as text, written as it is (unquoted in JSON).
  RecordWriter& Raw(std::string_view number);
  // A text, or no value when it is empty.
  RecordWriter& TextOrNull(std::string_view text) { return text.empty() ? Null() : Text(text); }
  // A text as Text() writes it in `format`, into `written`: for a value
  // written many times, escaped once and given to Written().
  static void Escape(Format format, std::string_view text, std::string& written);
  // A value already written in the writer's format, as it is.
  RecordWriter& Written(std::string_view value);
  // The number when there is one, otherwise the text as given (no value
  // when that is empty too).
  RecordWriter& NumberOr(const std::optional<float>& value, std::string_view text) {
    return value ? Float(*value) : TextOrNull(text);
  }
  RecordWriter& FloatOrNull(const std::optional<float>& value) { return value ? Float(*value) : Null(); }
  RecordWriter& DoubleOrNull(const std::optional<double>& value) { return value ? Double(*value) : Null(); }

  // JSON only: a field whose value is a list of records. Each is written
  // by the writer Item() returns and closed by its EndRecord(); EndList()
  // closes the list.
  RecordWriter& BeginList();
  RecordWriter Item(std::span<const std::string_view> fields);
  RecordWriter& EndList();

  // Ends the record: one whole row of the buffer (an item of a list stays
  // within its record's row). Every field must have had its value.
  void EndRecord();

 private:
  // The separator, or in JSON the opening brace or comma and the key, of
  // the next field.
  void NextField();
  bool KeyedPiece(std::string_view value);

  // In JSON, the opening brace or comma, quoted name and colon of each of
  // the first fields, made once, when the names need no escaping.
  static constexpr std::size_t kKeyRoom = 32;
  static constexpr std::size_t kKeys = 16;
  struct Key {
    char text[kKeyRoom] = {};
    unsigned char size = 0;  // 0: escaped when written
  };

  OutputBuffer& out_;
  bool json_;
  std::array<Key, kKeys> keys_{};
  bool item_ = false;
  std::span<const std::string_view> fields_;
  std::size_t next_ = 0;
  std::size_t items_ = 0;  // of the list being written
};

// Forced inline: a batch calls these for every value of every row, and in
// the larger callers the compiler would otherwise keep them as calls.
[[gnu::always_inline]] inline void RecordWriter::NextField() {
  assert(next_ < fields_.size());
  if (json_) {
    if (next_ < kKeys && keys_[next_].size > 0) {
      // The whole room of the key is copied at once, its size kept.
      const Key& key = keys_[next_];
      char* at = out_.Reserve(kKeyRoom);
      std::memcpy(at, key.text, kKeyRoom);
      out_.Commit(at + key.size);
    } else {
      out_.Append(next_ == 0 ? '{' : ',');
      AppendJsonString(out_, fields_[next_]);
      out_.Append(':');
    }
  } else if (next_ > 0) {
    out_.Append(',');
  }
  ++next_;
}

// A JSON key with its value in one piece of room; false when the field has
// no key made ahead (or the output is CSV).
[[gnu::always_inline]] inline bool RecordWriter::KeyedPiece(std::string_view value) {
  if (!json_ || next_ >= kKeys || keys_[next_].size == 0) return false;
  assert(next_ < fields_.size());
  const Key& key = keys_[next_++];
  char* at = out_.Reserve(kKeyRoom + value.size());
  std::memcpy(at, key.text, kKeyRoom);
  std::memcpy(at + key.size, value.data(), value.size());
  out_.Commit(at + key.size + value.size());
  return true;
}

inline RecordWriter& RecordWriter::Written(std::string_view value) {
  if (KeyedPiece(value)) return *this;
  NextField();
  out_.Append(value);
  return *this;
}

[[gnu::always_inline]] inline RecordWriter& RecordWriter::Float(float value) {
  if (json_ && !std::isfinite(value)) return Null();
  if (json_ && next_ < kKeys && keys_[next_].size > 0) {
    // The key and the number in one piece of room.
    assert(next_ < fields_.size());
    const Key& key = keys_[next_++];
    char* at = out_.Reserve(kKeyRoom + elprops::shortest_chars_max);
    std::memcpy(at, key.text, kKeyRoom);
    out_.Commit(elprops::shortest_chars(at + key.size, value));
    return *this;
  }
  NextField();
  out_.Commit(elprops::shortest_chars(out_.Reserve(elprops::shortest_chars_max), value));
  return *this;
}

[[gnu::always_inline]] inline RecordWriter& RecordWriter::Null() {
  if (KeyedPiece("null")) return *this;
  NextField();
  if (json_) out_.Append("null");
  return *this;
}

inline RecordWriter& RecordWriter::Raw(std::string_view number) {
  if (KeyedPiece(number)) return *this;
  NextField();
  out_.Append(number);
  return *this;
}

inline void RecordWriter::EndRecord() {
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
