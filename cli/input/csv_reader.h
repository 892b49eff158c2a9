// Streaming input of points: a byte source, its lines, and the CSV point
// reader with the header "substance,concentration,temperature". Memory use
// does not grow with the number of lines.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/vocabulary.hpp>
#include "cli/input/point_input.h"

namespace elprops::cli {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes into `buffer`; 0 at the end of the input or on a
  // read error (then Failed() is true).
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
  [[nodiscard]] virtual bool Failed() const { return false; }
  // The errno of the read error, once Failed().
  [[nodiscard]] virtual int ErrorNumber() const { return 0; }
  // For messages: "standard input", "\"points.csv\"".
  [[nodiscard]] virtual std::string Name() const { return "the input"; }
  // True when a Read would not wait for input (there is data, the end or
  // an error at hand); false when it might.
  virtual bool Ready() { return false; }
};

// A file read with read(2) on its descriptor. A read interrupted by a
// signal is retried, unless `stop` asks the run to stop: then the source
// fails with EINTR.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(std::FILE* file, std::string name = "the input", const std::atomic<int>* stop = nullptr)
      : file_(file), name_(std::move(name)), stop_(stop) {}
  std::size_t Read(char* buffer, std::size_t size) override;
  [[nodiscard]] bool Failed() const override { return errorNumber_ != 0; }
  [[nodiscard]] int ErrorNumber() const override { return errorNumber_; }
  [[nodiscard]] std::string Name() const override { return name_; }
  bool Ready() override;

 private:
  std::FILE* file_;
  std::string name_;
  const std::atomic<int>* stop_;
  int errorNumber_ = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view data) : data_(data) {}
  std::size_t Read(char* buffer, std::size_t size) override;
  bool Ready() override { return true; }

 private:
  std::string_view data_;
};

// Splits the input into records ending in "\n" or "\r\n"; the last one may
// lack its line break. A line break inside a quoted cell ("a<LF>b") belongs
// to the cell, as in RFC 4180, and does not end the record; a quote that
// is never closed, or closed with text after it, opened no such cell, and
// its record is its first line. A record longer than the buffer is
// reported as TooLong and skipped up to its line feed; reading goes on
// after it.
class LineReader {
 public:
  enum class Result { Line, End, TooLong, ReadError };

  explicit LineReader(ByteSource& source, std::size_t bufferSize = std::size_t{1} << 18);
  Result Next(std::string_view& line);
  // The character between cells, for the quotes that open them: ',' until
  // the header has said otherwise.
  void SetDelimiter(char delimiter) { delimiter_ = delimiter; }
  // 1-based number of the line where the record last returned starts.
  [[nodiscard]] std::size_t LineNumber() const { return lineNumber_; }
  [[nodiscard]] std::size_t MaxLineLength() const { return buffer_.size(); }

 private:
  // Where the reading of a record stands, for quotes that open and close.
  enum class Cell : std::uint8_t { Start, Plain, Quoted, QuoteInQuoted };

  // The position of the line feed that ends the record starting at begin_,
  // or end_ when it is not in the buffer yet; scans on from scan_.
  std::size_t RecordEnd();
  // The end of the record's first line, when a quote that seemed to open a
  // cell across lines opened none.
  std::size_t FirstLineOnly();
  // The record is done and the next starts at `next`.
  void Finish(std::size_t next);

  ByteSource& source_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::size_t scan_ = 0;  // the bytes before it, from begin_, are scanned
  std::size_t lineNumber_ = 0;
  std::size_t nextLine_ = 1;
  std::size_t breaks_ = 0;      // line feeds inside the record's quoted cells
  std::size_t firstBreak_ = 0;  // the first of them
  Cell cell_ = Cell::Start;
  char delimiter_ = ',';
  bool atEnd_ = false;
  bool skipping_ = false;
};

// The cells of one input row, valid until the next call of Next, and the
// values read from them.
struct CsvPoint {
  std::string_view substance;
  std::string_view concentration;
  std::string_view temperature;
  std::string_view unit;  // empty without a unit column
  // The concentration rounded to a single, as the window reads a mass
  // fraction, and as the double it was typed as, for the other units.
  ParsedNumber concentrationValue;
  ParsedDecimal concentrationDecimal;
  ParsedNumber temperatureValue;
  // Whether the cells are exactly the shortest texts of their values.
  bool concentrationShortest = false;
  bool temperatureShortest = false;
  // The row's own unit; nothing when the cell is empty or there is no
  // unit column (the run's unit applies).
  std::optional<concentration_unit> unitValue;
  std::size_t line = 0;
};

inline constexpr std::string_view kInputHeader = "substance,concentration,temperature";

// Values worked out from short texts (up to 16 bytes), remembered in a
// table of 2^bits places, one value a place: a later text that takes the
// same place replaces it. Cells repeat from row to row (the same
// substances, concentrations and temperatures), and a value looked up costs
// less than one read again.
template <typename Value, unsigned Bits>
class ShortTextMemo {
 public:
  static constexpr std::size_t kLongest = 16;

  // The value remembered for `text`, or the one `make(text)` gives, which
  // is then remembered. Texts longer than kLongest are not remembered.
  template <typename Make>
  Value Get(std::string_view text, Make make) {
    if (text.empty() || text.size() > kLongest) return make(text);
    if (places_.empty()) places_.resize(std::size_t{1} << Bits);
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    std::memcpy(&a, text.data(), std::min<std::size_t>(text.size(), 8));
    if (text.size() > 8) std::memcpy(&b, text.data() + 8, text.size() - 8);
    const std::uint64_t hash = (a * 0x9E3779B97F4A7C15u) ^ (b * 0xC2B2AE3D27D4EB4Fu) ^ text.size();
    Place& place = places_[static_cast<std::size_t>((hash * 0xFF51AFD7ED558CCDu) >> (64 - Bits))];
    if (place.size != text.size() || place.a != a || place.b != b) {
      place.a = a;
      place.b = b;
      place.size = static_cast<std::uint8_t>(text.size());
      place.value = make(text);
    }
    return place.value;
  }

 private:
  struct Place {
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    Value value{};
    std::uint8_t size = 0;  // 0: empty
  };
  std::vector<Place> places_;
};

// Reads the rows of one input: the header, which says which column is
// which, and then data rows, one at a time. Keeps nothing of one row for
// the next, so that rows can be read apart from the stream that split them:
// a copy made once the header is read reads the rows on another thread.
class RowParser {
 public:
  enum class Result { Point, BadRow };

  // Reads `line` as the header: true when its cells, separated by
  // `delimiter` (',' or ';'; 0: whichever of the two gives such a header),
  // name the columns substance, concentration and temperature in any order
  // (names in any case, blanks around them); then every row must have as
  // many cells, and a column `unit` gives each row's unit.
  bool ReadHeader(std::string_view line, char delimiter = 0);
  [[nodiscard]] bool HasUnitColumn() const { return unitColumn_ != kNoColumn; }
  // Once the header is read: the character between cells.
  [[nodiscard]] char Delimiter() const { return delimiter_; }
  // `line` is a data line without its line break (not blank, no byte order
  // mark); the cells of `point` stay valid until the next call.
  Result Parse(std::string_view line, std::size_t lineNumber, CsvPoint& point);
  // A line that could not be held: BadRow with `what` as the reason.
  Result Unreadable(std::size_t lineNumber, std::string_view what, CsvPoint& point);
  // After BadRow: what is wrong, with the line number.
  [[nodiscard]] const std::string& ErrorMessage() const { return error_; }

 private:
  static constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

  Result Bad(CsvPoint& point, std::size_t lineNumber, std::size_t echoed, std::string_view what);
  // The cells of `line`; when it cannot be split into as many as the
  // header has, `what` says why and `complete` how many leading cells are
  // known.
  bool SplitCells(std::string_view line, std::size_t& complete, std::string& what);
  // The cells of the last line split are the header's names.
  [[nodiscard]] bool CellsAreHeader() const;
  // Finds the columns of the point among the cells of the header line.
  bool FindColumns();
  // The point's cell `k` (substance, concentration, temperature) of the
  // last line split, when it is among the first `known` cells.
  [[nodiscard]] std::string_view PointCell(std::size_t k, std::size_t known) const {
    return columns_[k] < known ? cells_[columns_[k]] : std::string_view();
  }

  bool headerRead_ = false;
  std::string error_;
  ShortTextMemo<ParsedNumber, 10> numbers_;
  ShortTextMemo<ParsedDecimal, 10> decimals_;
  std::size_t columnCount_ = 3;  // cells in the header
  // Where the substance, the concentration and the temperature are, and
  // the column after the last of them.
  std::size_t columns_[3] = {0, 1, 2};
  std::size_t pointColumnsEnd_ = 3;
  std::size_t unitColumn_ = kNoColumn;
  char delimiter_ = ',';
  std::string columnNames_ = "substance,concentration,temperature";
  std::vector<std::string_view> cells_;
  // The text of quoted cells; a deque, so that growing it leaves the cells
  // already read in place.
  std::deque<std::string> unquoted_;
};

// Reads the header, then one point a line. The header names the columns
// substance, concentration and temperature, in any order, separated by
// commas or, as spreadsheets under a Russian locale save them, semicolons
// (then an unquoted "0,5" is a decimal comma); a column `unit` gives each
// row's concentration unit, and any other column (the results of a batch
// run read back) is ignored. Every row has as many cells as the header.
// Cells may be quoted ("0,5" with a decimal comma); blank lines are
// skipped. A row that cannot be read as a point never stops the rows after
// it.
class PointReader {
 public:
  enum class Result {
    Point,   // a point with two numbers (each possibly beyond the single range)
    BadRow,  // a row that is not a point: ErrorMessage() says why; the
             // cells that could be told apart are in the CsvPoint, the
             // others empty
    End,     // the end of the input
    Error,   // the input cannot be read (no or a wrong header, a read error)
  };
  enum class LineResult {
    Line,     // a data line, for a RowParser
    TooLong,  // a line too long to hold: ErrorMessage() says why (without
              // the line number, which RowParser::Unreadable adds)
    End,
    Error,
  };

  // `delimiter`: ',' or ';', or 0 to tell it from the header.
  explicit PointReader(ByteSource& source, char delimiter = 0)
      : source_(source), lines_(source), delimiter_(delimiter) {}
  // Reads the header if that is not done yet; false when the input cannot
  // be read (ErrorMessage() says why, and Next returns Error).
  bool ReadHeader();
  // Once the header is read: whether it has a unit column.
  [[nodiscard]] bool HasUnitColumn() const { return parser_.HasUnitColumn(); }
  // Once the header is read: a parser for its data rows.
  [[nodiscard]] const RowParser& Parser() const { return parser_; }
  Result Next(CsvPoint& point);
  // The next data line as it stands (the header read and blank lines
  // skipped, a byte order mark dropped), valid until the next call, and
  // its 1-based number. Next and NextLine are not mixed on one reader.
  LineResult NextLine(std::string_view& line, std::size_t& lineNumber);
  // After BadRow, TooLong or Error: what is wrong, with the line number
  // where there is one ("line 4: concentration \"abc\" is not a number").
  [[nodiscard]] const std::string& ErrorMessage() const { return error_; }

 private:
  LineResult Fail(std::string_view what);
  // The message of a read error.
  void ReadFailed();

  ByteSource& source_;
  LineReader lines_;
  RowParser parser_;
  char delimiter_;
  bool headerRead_ = false;
  bool headerFailed_ = false;
  std::string error_;
};

}  // namespace elprops::cli
