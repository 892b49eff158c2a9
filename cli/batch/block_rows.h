// The rows of a batch as a worker turns them from input lines into output
// records: each line read once, each point computed once through the
// library, every row written by the one record writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <elprops/compute.hpp>
#include <elprops/text.hpp>
#include <elprops/validity.hpp>

#include "cli/input/csv_reader.h"
#include "cli/output/point_output.h"
#include "cli/output/record_writer.h"

namespace elprops::cli {

// Text written through a pointer into a buffer that only grows.
class TextBuffer {
 public:
  void Clear() { size_ = 0; }
  void Append(std::string_view text);
  [[nodiscard]] std::size_t Size() const { return size_; }
  [[nodiscard]] std::string_view View() const { return {data_.data(), size_}; }
  // Takes the whole rows of `out` without a copy when nothing was appended
  // yet and `out` holds only whole rows; false otherwise.
  bool TakeRows(OutputBuffer& out);

 private:
  std::vector<char> data_;
  std::size_t size_ = 0;
};

// A block of input lines and, once a worker has been at it, their output
// rows.
struct Block {
  struct Line {
    std::size_t begin = 0;  // in `text`
    std::size_t size = 0;
    std::size_t number = 0;
    bool tooLong = false;  // `text` holds the reason instead of the line
  };
  std::vector<char> text;
  std::vector<Line> lines;
  // The output rows of all the lines, in order.
  TextBuffer output;
  std::size_t failed = 0;  // rows with an error
  // The whole rows up to this block go out before the reader waits for
  // more input.
  bool flush = false;
  bool done = false;

  void Clear();
  void Add(std::string_view line, std::size_t number, bool tooLong);
  [[nodiscard]] std::string_view LineText(const Line& line) const { return {text.data() + line.begin, line.size}; }
};

// The shortest text of a float, remembered for the values met before:
// concentrations and temperatures repeat from row to row.
class ShortestTexts {
 public:
  ShortestTexts() : entries_(kSize) {}
  std::string_view Text(float value);

 private:
  static constexpr unsigned kBits = 11;
  static constexpr std::size_t kSize = std::size_t{1} << kBits;
  struct Entry {
    std::uint32_t bits = 0;
    std::uint8_t size = 0;  // 0: empty
    char text[shortest_chars_max] = {};
  };
  std::vector<Entry> entries_;
};

// Warning cells as the record writer writes them, made and escaped once
// per substance and temperature: which warnings a computed point has
// depends only on them and on whether its mass fraction lies above the
// limit there (validity_threshold_at), as long as its values can be true.
class WarningCells {
 public:
  explicit WarningCells(Format format) : format_(format), entries_(kSize) {}
  // The cell of a computed point; empty when it has no warning. Valid until
  // the next call. Escaped for the format, or (`escaped` false) the text as
  // it is, to be escaped as it is written.
  struct Found {
    std::string_view cell;
    bool escaped = true;
  };
  Found Cell(substance_id substance, float massFraction, float temperature, const properties& values);

 private:
  static constexpr unsigned kBits = 14;
  static constexpr std::size_t kSize = std::size_t{1} << kBits;
  struct Entry {
    std::uint64_t key = 0;  // 0: empty; a known substance is never 0
    double limit = 0.0;
    bool warnedBelow = false;
    std::uint32_t cells = 0;  // 1 + the slot of the cells, 0: none yet
  };
  struct Cells {
    std::string below, above;
    bool madeBelow = false, madeAbove = false;
  };
  Entry& Find(substance_id substance, float temperature);
  std::string_view Made(Entry& e, bool above, substance_id substance, float massFraction, float temperature);

  // A table filled with few lookups found again (a measurement log, where
  // temperatures seldom come back) is left aside for this many lookups,
  // then tried again.
  static constexpr std::size_t kUnkeptRun = 4 * kSize;
  Found Unkept(substance_id substance, float massFraction, float temperature);

  Format format_;
  std::vector<Entry> entries_;
  std::size_t used_ = 0;
  std::size_t found_ = 0;   // lookups found in the table since it was emptied
  std::size_t unkept_ = 0;  // lookups still to make without it
  std::vector<Cells> cells_;
  std::size_t cellsUsed_ = 0;
  std::string text_;    // a warning text before it is escaped
  std::string single_;  // the cell of a point with a value that cannot be true
};

// Substances by the name a row gives them, each text looked up once: a
// short one in a memo, a longer one (a Russian name) in a bounded table.
class SubstanceNames {
 public:
  // The substance's index, or 0 for a name find_substance does not take.
  std::uint8_t Find(std::string_view text);

 private:
  static std::uint8_t Lookup(std::string_view text);
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  static constexpr std::size_t kMostLongNames = 1024;
  ShortTextMemo<std::uint8_t, 9> shortNames_;
  std::unordered_map<std::string, std::uint8_t, Hash, std::equal_to<>> longNames_;
};

// Turns the lines of blocks into output records. One per thread.
class BlockRows {
 public:
  BlockRows(Format format, const PointSettings& settings, bool unitColumns, const RowParser& parser);
  BlockRows(const BlockRows&) = delete;
  BlockRows& operator=(const BlockRows&) = delete;

  // Reads, computes and writes every line of `block` into its output.
  void Process(Block& block);

 private:
  // A row that is not computed: what it echoes of its input, and why.
  struct Echo {
    std::uint8_t substance = 0;           // 0: the text as given is written
    std::optional<double> concentration;  // as read; nothing: the cell is written as given
    std::optional<float> temperature;
    std::string substanceText, concentrationText, temperatureText, unitText, error;
  };
  // A line of the block: the point it became, or its echo.
  struct Row {
    std::uint32_t point = kNone;
    std::uint32_t echo = kNone;
  };
  static constexpr std::uint32_t kNone = UINT32_MAX;

  void Read(const Block& block);
  Row AddPoint(std::uint8_t substance, double concentration, float temperature, concentration_unit unit);
  void AddEchoCells(std::string_view line, const CsvPoint& point, bool fraction);
  Echo& NewEcho(const CsvPoint& point, std::uint8_t substance);
  Row EchoUnreadable(const CsvPoint& point);
  Row EchoRefused(const CsvPoint& point, std::uint8_t substance, concentration_unit unit);
  void Compute();
  void ComputeDerived();
  [[nodiscard]] concentration_unit UnitOf(std::size_t point) const;
  void WritePoint(std::size_t point);
  void WriteEcho(const Echo& echo);
  void WriteProperties(std::size_t point);
  void WriteNoProperties(std::string_view error);

  Format format_;
  PointSettings settings_;
  bool unitColumns_;
  RowParser parser_;
  SubstanceNames names_;
  ShortestTexts concentrationTexts_;
  ShortestTexts temperatureTexts_;
  WarningCells warningCells_;
  std::vector<std::string> formulaCells_;  // by substance index - 1, escaped
  TextBuffer* target_ = nullptr;
  OutputBuffer out_;
  RecordWriter writer_;

  std::vector<Row> rows_;
  std::vector<Echo> echoes_;  // the first echoCount_ are this block's
  std::size_t echoCount_ = 0;
  // The points of the block, given to compute_many at once.
  std::vector<substance_id> substances_;
  std::vector<double> concentrations_;
  std::vector<float> temperatures_;
  std::vector<concentration_unit> units_;
  // The concentration's and temperature's cells where they can be echoed
  // as they stand (empty: written from the value), in the block's text.
  std::vector<std::string_view> concentrationCells_;
  std::vector<std::string_view> temperatureCells_;
  bool mixedUnits_ = false;
  std::vector<properties> properties_;
  std::vector<error_kind> errors_;
  std::vector<std::string> messages_;
  std::vector<float> massFractions_;
  std::vector<double> molalities_;
  std::vector<double> molarities_;
  std::vector<PointReference> references_;  // with settings_.reference
  // Whether the quantities are other than the five, and their derived
  // values when some are derived.
  bool chosenQuantities_ = false;
  bool anyDerived_ = false;
  std::vector<property_kind> referenceProperties_;
  std::vector<derived_properties> derived_;
};

}  // namespace elprops::cli
