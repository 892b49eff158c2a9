#include "cli/output/record_writer.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <elprops/text.hpp>

#include "cli/output/safe_text.h"
#include "cli/output/word_scan.h"

namespace elprops::cli {

namespace {

// What a character asks of a CSV cell: nothing, quotes around the cell (a
// comma, a quote doubled, a line break), or an escape (the other control
// characters, written as in JSON).
enum CsvCharacter : unsigned char { kPlain, kQuoted, kEscaped };

constexpr auto kCsvCharacters = [] {
  std::array<unsigned char, 256> t{};
  for (unsigned c = 0; c < 0x20; ++c) t[c] = kEscaped;
  t[','] = t['"'] = t['\r'] = t['\n'] = kQuoted;
  return t;
}();

// The first character of `text` from `from` on that is not plain, or its
// size.
std::size_t NextSpecial(std::string_view text, std::size_t from) {
  // Eight characters at a time while none of them is a control character,
  // a comma or a quote.
  while (from + 8 <= text.size()) {
    const std::uint64_t w = scan::Word(text, from);
    if (scan::ByteBelow(w, 0x20) | scan::ByteIs(w, ',') | scan::ByteIs(w, '"')) break;
    from += 8;
  }
  while (from < text.size() && kCsvCharacters[static_cast<unsigned char>(text[from])] == kPlain) ++from;
  return from;
}

// Whether `text` holds a control character, sixteen characters at a time
// and then eight.
bool HasControl(std::string_view text) {
  std::size_t at = 0;
  for (; at + 16 <= text.size(); at += 16) {
    if (scan::Any(scan::BlockAt(text, at) < 0x20)) return true;
  }
  for (; at + 8 <= text.size(); at += 8) {
    if (scan::ByteBelow(scan::Word(text, at), 0x20) != 0) return true;
  }
  for (; at < text.size(); ++at) {
    if (static_cast<unsigned char>(text[at]) < 0x20) return true;
  }
  return false;
}

// Writes the cell to `out`, an OutputBuffer or a std::string.
template <typename Out>
void AppendCsvCell(Out& out, std::string_view text) {
  // Most cells need nothing, or quotes around them for their commas (a
  // warning's usual text): found with the C library's quick searches.
  if (text.find('"') == std::string_view::npos && !HasControl(text)) {
    if (text.find(',') == std::string_view::npos) {
      out.append(text);
    } else {
      out.append("\"");
      out.append(text);
      out.append("\"");
    }
    return;
  }
  std::size_t special = NextSpecial(text, 0);
  bool quoted = kCsvCharacters[static_cast<unsigned char>(text[special])] == kQuoted;
  for (std::size_t k = NextSpecial(text, special + 1); !quoted && k < text.size(); k = NextSpecial(text, k + 1)) {
    quoted = kCsvCharacters[static_cast<unsigned char>(text[k])] == kQuoted;
  }
  if (quoted) out.append("\"");
  std::size_t run = 0;
  for (; special < text.size(); special = NextSpecial(text, special + 1)) {
    const auto c = static_cast<unsigned char>(text[special]);
    if (c == '"') {
      // The quote is written twice: the piece up to and with it, then it again.
      out.append(text.substr(run, special + 1 - run));
      out.append("\"");
      run = special + 1;
    } else if (kCsvCharacters[c] == kEscaped) {
      out.append(text.substr(run, special - run));
      out.append(EscapedControl(c));
      run = special + 1;
    }
  }
  out.append(text.substr(run));
  if (quoted) out.append("\"");
}

struct BufferAppender {
  OutputBuffer& buffer;
  void append(std::string_view text) { buffer.Append(text); }
};

void AppendCsvCell(OutputBuffer& out, std::string_view text) {
  BufferAppender appender{out};
  AppendCsvCell(appender, text);
}

// Whether `text` goes into a JSON string as it is.
bool JsonPlain(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x80 && c != '"' && c != '\\';
  });
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
    : out_(out), json_(format == Format::Json), fields_(fields) {
  if (!json_) return;
  for (std::size_t k = 0; k < std::min(kKeys, fields.size()); ++k) {
    const std::string_view name = fields[k];
    if (name.size() + 4 > kKeyRoom || !JsonPlain(name)) continue;
    Key& key = keys_[k];
    key.text[0] = k == 0 ? '{' : ',';
    key.text[1] = '"';
    std::copy(name.begin(), name.end(), key.text + 2);
    key.text[name.size() + 2] = '"';
    key.text[name.size() + 3] = ':';
    key.size = static_cast<unsigned char>(name.size() + 4);
  }
}

void RecordWriter::WriteHeader() {
  if (json_) return;
  for (std::size_t k = 0; k < fields_.size(); ++k) {
    if (k > 0) out_.Append(',');
    AppendCsvCell(out_, fields_[k]);
  }
  out_.Append('\n');
  out_.EndRow();
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

void RecordWriter::Escape(Format format, std::string_view text, std::string& written) {
  written.clear();
  if (format == Format::Json) {
    AppendJsonString(written, text);
  } else {
    AppendCsvCell(written, text);
  }
}

RecordWriter& RecordWriter::Double(double value) {
  if (json_ && !std::isfinite(value)) return Null();
  NextField();
  out_.Commit(elprops::nine_digit_chars(out_.Reserve(elprops::shortest_chars_max), value));
  return *this;
}

// Room for the shortest text of any double ("-2.2250738585072014e-308").
constexpr std::size_t kShortestDoubleRoom = 32;

RecordWriter& RecordWriter::Shortest(double value) {
  if (!std::isfinite(value)) return Null();
  NextField();
  char* at = out_.Reserve(kShortestDoubleRoom);
  out_.Commit(std::to_chars(at, at + kShortestDoubleRoom, value).ptr);
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

}  // namespace elprops::cli
