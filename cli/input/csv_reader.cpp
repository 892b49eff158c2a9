#include "cli/input/csv_reader.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli/input/point_input.h"

namespace elprops::cli {

bool FileSource::Ready() {
  if (errorNumber_ != 0) return true;
  pollfd fd = {fileno(file_), POLLIN, 0};
  return ::poll(&fd, 1, 0) > 0;
}

std::size_t FileSource::Read(char* buffer, std::size_t size) {
  if (errorNumber_ != 0) return 0;
  for (;;) {
    // A stop asked for while a row was computed: do not wait for input.
    if (stop_ != nullptr && stop_->load() != 0) {
      errorNumber_ = EINTR;
      return 0;
    }
    const ssize_t n = ::read(fileno(file_), buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EINTR) continue;
    errorNumber_ = errno;
    return 0;
  }
}

std::size_t MemorySource::Read(char* buffer, std::size_t size) {
  const std::size_t n = std::min(size, data_.size());
  if (n == 0) return 0;
  std::memcpy(buffer, data_.data(), n);
  data_.remove_prefix(n);
  return n;
}

LineReader::LineReader(ByteSource& source, std::size_t bufferSize) : source_(source), buffer_(bufferSize) {}

std::size_t LineReader::RecordEnd() {
  const char* data = buffer_.data();
  if (skipping_ || cell_ == Cell::Start || cell_ == Cell::Plain) {
    // Most records hold no quote: the first line feed ends them. The rest
    // of a record too long to hold is dropped up to its line feed.
    const void* nl = std::memchr(data + scan_, '\n', end_ - scan_);
    const std::size_t at = nl != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nl) - data) : end_;
    if (skipping_ || (nl != nullptr && std::memchr(data + scan_, '"', at - scan_) == nullptr)) {
      scan_ = at;
      return at;
    }
  }
  for (std::size_t k = scan_; k < end_; ++k) {
    const char c = data[k];
    switch (cell_) {
      case Cell::Start:
        if (c == '"') {
          cell_ = Cell::Quoted;
        } else if (c != ' ' && c != '\t' && c != delimiter_) {
          cell_ = Cell::Plain;
        }
        break;
      case Cell::Plain:
        if (c == delimiter_) cell_ = Cell::Start;
        break;
      case Cell::Quoted:
        if (c == '"') cell_ = Cell::QuoteInQuoted;
        if (c == '\n' && breaks_++ == 0) firstBreak_ = k;
        break;
      case Cell::QuoteInQuoted:
        if (c == '"') {
          cell_ = Cell::Quoted;
        } else if (c == delimiter_) {
          cell_ = Cell::Start;
        } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
          // Text after the closing quote: the quote was no cell's. A record
          // that ran on over a line for it is only its first line.
          if (breaks_ > 0) return FirstLineOnly();
          cell_ = Cell::Plain;
        }
        break;
    }
    if (c == '\n' && cell_ != Cell::Quoted) {
      scan_ = k;
      return k;
    }
  }
  scan_ = end_;
  return end_;
}

std::size_t LineReader::FirstLineOnly() {
  breaks_ = 0;
  scan_ = firstBreak_;
  return firstBreak_;
}

void LineReader::Finish(std::size_t next) {
  nextLine_ += 1 + breaks_;
  breaks_ = 0;
  cell_ = Cell::Start;
  begin_ = next;
  scan_ = next;
}

LineReader::Result LineReader::Next(std::string_view& line) {
  for (;;) {
    const char* data = buffer_.data();
    std::size_t at = RecordEnd();
    // A quote still open at the end of the input, or over more than the
    // buffer holds, is no cell's: the record is its first line.
    if (at == end_ && breaks_ > 0 && (atEnd_ || (begin_ == 0 && end_ == buffer_.size()))) at = FirstLineOnly();
    if (at < end_ || (atEnd_ && !skipping_ && begin_ < end_)) {
      const bool skipped = skipping_;
      skipping_ = false;
      if (!skipped) {
        std::size_t stop = at;
        if (stop > begin_ && data[stop - 1] == '\r') --stop;
        line = std::string_view(data + begin_, stop - begin_);
        lineNumber_ = nextLine_;
      }
      Finish(at < end_ ? at + 1 : end_);
      if (skipped) continue;
      return Result::Line;
    }
    if (atEnd_) {
      skipping_ = false;
      begin_ = end_ = scan_ = 0;
      return Result::End;
    }
    if (skipping_) {
      begin_ = end_ = scan_ = 0;
    } else {
      // Keep the unfinished record and fill the rest of the buffer.
      if (begin_ > 0) {
        std::memmove(buffer_.data(), data + begin_, end_ - begin_);
        end_ -= begin_;
        scan_ -= begin_;
        firstBreak_ -= std::min(firstBreak_, begin_);
        begin_ = 0;
      }
      if (end_ == buffer_.size()) {
        lineNumber_ = nextLine_;
        skipping_ = true;
        breaks_ = 0;
        cell_ = Cell::Start;
        begin_ = end_ = scan_ = 0;
        return Result::TooLong;
      }
    }
    const std::size_t n = source_.Read(buffer_.data() + end_, buffer_.size() - end_);
    if (n == 0) {
      if (source_.Failed()) return Result::ReadError;
      atEnd_ = true;
    }
    end_ += n;
  }
}

namespace {

constexpr std::string_view kCellNames[3] = {"substance", "concentration", "temperature"};

std::string CellName(std::size_t index) {
  if (index < 3) return std::string(kCellNames[index]) + " cell";
  return "cell " + std::to_string(index + 1);
}

// The text for a message: long texts are cut (never inside a UTF-8
// sequence) and marked with "...".
std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string quoted = "\"";
  if (text.size() <= kShown) {
    quoted += text;
  } else {
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    quoted += text.substr(0, cut);
    quoted += "...";
  }
  quoted += '"';
  return quoted;
}

std::size_t SkipBlanks(std::string_view line, std::size_t k) {
  while (k < line.size() && (line[k] == ' ' || line[k] == '\t')) ++k;
  return k;
}

bool SameName(std::string_view cell, std::string_view name) {
  cell = TrimBlanks(cell);
  if (cell.size() != name.size()) return false;
  for (std::size_t c = 0; c < cell.size(); ++c) {
    const char lower = cell[c] >= 'A' && cell[c] <= 'Z' ? static_cast<char>(cell[c] - 'A' + 'a') : cell[c];
    if (lower != name[c]) return false;
  }
  return true;
}

}  // namespace

RowParser::Result RowParser::Bad(CsvPoint& point, std::size_t lineNumber, std::size_t echoed, std::string_view what) {
  point.substance = PointCell(0, echoed);
  point.concentration = PointCell(1, echoed);
  point.temperature = PointCell(2, echoed);
  point.unit = echoed > unitColumn_ && unitColumn_ < cells_.size() ? cells_[unitColumn_] : std::string_view();
  point.unitValue.reset();
  point.concentrationValue = ParsedNumber{};
  point.concentrationDecimal = ParsedDecimal{};
  point.temperatureValue = ParsedNumber{};
  point.line = lineNumber;
  error_ = "line " + std::to_string(lineNumber) + ": ";
  error_ += what;
  return Result::BadRow;
}

bool RowParser::SplitCells(std::string_view line, std::size_t& complete, std::string& what) {
  std::size_t count = 0;
  std::size_t pos = 0;
  complete = 0;
  cells_.clear();
  for (;;) {
    // Blanks before a quoted cell are allowed.
    const std::size_t start = SkipBlanks(line, pos);
    std::string_view cell;
    std::size_t next;
    if (start < line.size() && line[start] == '"') {
      if (unquoted_.size() <= count) unquoted_.resize(count + 1);
      std::string& text = unquoted_[count];
      text.clear();
      std::size_t k = start + 1;
      bool closed = false;
      while (k < line.size()) {
        if (line[k] == '"') {
          if (k + 1 < line.size() && line[k + 1] == '"') {
            text += '"';
            k += 2;
            continue;
          }
          closed = true;
          ++k;
          break;
        }
        text += line[k++];
      }
      if (closed) k = SkipBlanks(line, k);
      if (!closed || (k < line.size() && line[k] != delimiter_)) {
        what = closed ? "text after the closing quote of the " + CellName(count)
                      : "the quote that opens the " + CellName(count) + " is not closed";
        // The cells before it are known.
        complete = std::min(count, pointColumnsEnd_);
        return false;
      }
      cell = text;
      next = k;
    } else {
      // Cells are short: a few characters looked at one by one before the
      // C library's search takes over.
      next = pos;
      const std::size_t shortEnd = std::min(line.size(), pos + 16);
      while (next < shortEnd && line[next] != delimiter_) ++next;
      if (next == shortEnd && next < line.size()) {
        const void* comma = std::memchr(line.data() + next, delimiter_, line.size() - next);
        next = comma != nullptr ? static_cast<std::size_t>(static_cast<const char*>(comma) - line.data()) : line.size();
      }
      cell = line.substr(pos, next - pos);
    }
    cells_.push_back(cell);
    ++count;
    if (count <= pointColumnsEnd_) complete = count;
    if (next >= line.size()) break;
    pos = next + 1;
  }
  // Empty cells at the end, as spreadsheets write them, are no cells.
  while (count > columnCount_ && TrimBlanks(cells_[count - 1]).empty()) --count;
  cells_.resize(count);
  // The header line itself may have any number of cells. The point's
  // columns are taken to be where the header has them.
  if (headerRead_ && count != columnCount_) {
    complete = std::min(count, pointColumnsEnd_);
    what = "expected " + std::to_string(columnCount_) + " cells (" + columnNames_ + "), found " + std::to_string(count);
    return false;
  }
  return count >= 3;
}

bool RowParser::CellsAreHeader() const {
  for (std::size_t k = 0; k < 3; ++k) {
    if (columns_[k] >= cells_.size() || !SameName(cells_[columns_[k]], kCellNames[k])) return false;
  }
  return true;
}

bool RowParser::FindColumns() {
  std::size_t found[3] = {kNoColumn, kNoColumn, kNoColumn};
  unitColumn_ = kNoColumn;
  for (std::size_t c = 0; c < cells_.size(); ++c) {
    bool named = false;
    for (std::size_t k = 0; k < 3; ++k) {
      if (!named && found[k] == kNoColumn && SameName(cells_[c], kCellNames[k])) {
        found[k] = c;
        named = true;
      }
    }
    if (!named && unitColumn_ == kNoColumn && SameName(cells_[c], "unit")) unitColumn_ = c;
  }
  if (found[0] == kNoColumn || found[1] == kNoColumn || found[2] == kNoColumn) return false;
  std::copy(found, found + 3, columns_);
  pointColumnsEnd_ = 1 + std::max({found[0], found[1], found[2]});
  return true;
}

bool RowParser::ReadHeader(std::string_view line, char delimiter) {
  std::string what;
  std::size_t complete = 0;
  bool found = false;
  for (const char candidate : {',', ';'}) {
    if (found || (delimiter != 0 && delimiter != candidate)) continue;
    delimiter_ = candidate;
    columnCount_ = 3;
    found = SplitCells(line, complete, what) && FindColumns();
  }
  if (!found) return false;
  headerRead_ = true;
  columnCount_ = cells_.size();
  columnNames_.clear();
  for (std::size_t k = 0; k < cells_.size(); ++k) {
    if (k > 0) columnNames_ += delimiter_;
    columnNames_ += TrimBlanks(cells_[k]);
  }
  return true;
}

RowParser::Result RowParser::Unreadable(std::size_t lineNumber, std::string_view what, CsvPoint& point) {
  return Bad(point, lineNumber, 0, what);
}

RowParser::Result RowParser::Parse(std::string_view line, std::size_t lineNumber, CsvPoint& point) {
  std::string what;
  std::size_t complete = 0;
  if (!SplitCells(line, complete, what)) return Bad(point, lineNumber, complete, what);
  if (CellsAreHeader()) {
    return Bad(point, lineNumber, 3, "the header line again (were two inputs joined?); it is not a point");
  }
  point.substance = cells_[columns_[0]];
  point.concentration = cells_[columns_[1]];
  point.temperature = cells_[columns_[2]];
  point.unit = unitColumn_ != kNoColumn ? cells_[unitColumn_] : std::string_view();
  point.unitValue.reset();
  point.line = lineNumber;
  // Plain decimals are read as quickly as they are remembered; others are
  // remembered, as a file may repeat a few of them.
  const std::optional<PlainNumber> plainConcentration = PlainDecimal(point.concentration);
  point.concentrationDecimal =
      plainConcentration ? ParsedDecimal{plainConcentration->value} : decimals_.Get(point.concentration, ParseDecimal);
  point.concentrationValue = RoundToSingle(point.concentrationDecimal);
  point.concentrationShortest = plainConcentration && plainConcentration->shortest;
  const std::optional<PlainNumber> plainTemperature = PlainDecimal(point.temperature);
  point.temperatureValue =
      plainTemperature ? RoundToSingle({plainTemperature->value}) : numbers_.Get(point.temperature, ParseSingle);
  point.temperatureShortest = plainTemperature && plainTemperature->shortest;
  for (std::size_t k = 1; k < 3; ++k) {
    const ParsedNumber& value = k == 1 ? point.concentrationValue : point.temperatureValue;
    if (value.error == NumberError::NotANumber) {
      error_ = "line " + std::to_string(lineNumber) + ": " + std::string(kCellNames[k]) + " " +
               Quoted(TrimBlanks(cells_[columns_[k]])) + " is not a number";
      return Result::BadRow;
    }
  }
  if (const std::string_view unit = TrimBlanks(point.unit); !unit.empty()) {
    point.unitValue = parse_concentration_unit(unit);
    if (!point.unitValue) {
      error_ = "line " + std::to_string(lineNumber) + ": unit " + Quoted(unit) +
               " is not one of fraction, percent, molality, molarity or g/L";
      return Result::BadRow;
    }
  }
  return Result::Point;
}

PointReader::LineResult PointReader::Fail(std::string_view what) {
  error_ = "line " + std::to_string(lines_.LineNumber()) + ": ";
  error_ += what;
  return LineResult::Error;
}

void PointReader::ReadFailed() {
  error_ = "cannot read " + source_.Name();
  if (lines_.LineNumber() > 0) error_ += " after line " + std::to_string(lines_.LineNumber());
  if (source_.ErrorNumber() != 0) {
    error_ += ": ";
    error_ += std::strerror(source_.ErrorNumber());
  }
}

bool PointReader::ReadHeader() {
  if (headerRead_) return true;
  if (headerFailed_) return false;
  std::string_view line;
  for (;;) {
    switch (lines_.Next(line)) {
      case LineReader::Result::Line:
        break;
      case LineReader::Result::End:
        error_ = "the input is empty: the header ";
        error_ += kInputHeader;
        error_ += " is missing";
        headerFailed_ = true;
        return false;
      case LineReader::Result::TooLong:
        Fail("the line is longer than " + std::to_string(lines_.MaxLineLength()) + " characters; the header must be " +
             std::string(kInputHeader));
        headerFailed_ = true;
        return false;
      case LineReader::Result::ReadError:
        ReadFailed();
        headerFailed_ = true;
        return false;
    }
    // A byte order mark starts the input.
    if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    if (TrimBlanks(line).empty()) continue;
    if (!parser_.ReadHeader(line, delimiter_)) {
      Fail(std::string("the header must name the columns substance, concentration and temperature, in any order, ") +
           (delimiter_ == ';'   ? "separated by semicolons"
            : delimiter_ == ',' ? "separated by commas"
                                : "separated by commas or semicolons"));
      headerFailed_ = true;
      return false;
    }
    lines_.SetDelimiter(parser_.Delimiter());
    headerRead_ = true;
    return true;
  }
}

PointReader::LineResult PointReader::NextLine(std::string_view& line, std::size_t& lineNumber) {
  if (!ReadHeader()) return LineResult::Error;
  for (;;) {
    switch (lines_.Next(line)) {
      case LineReader::Result::Line:
        break;
      case LineReader::Result::End:
        return LineResult::End;
      case LineReader::Result::TooLong:
        lineNumber = lines_.LineNumber();
        error_ = "the line is longer than " + std::to_string(lines_.MaxLineLength()) + " characters";
        return LineResult::TooLong;
      case LineReader::Result::ReadError:
        ReadFailed();
        return LineResult::Error;
    }
    // A byte order mark starts the input, or a second file joined to it.
    if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    if (TrimBlanks(line).empty()) continue;
    lineNumber = lines_.LineNumber();
    return LineResult::Line;
  }
}

PointReader::Result PointReader::Next(CsvPoint& point) {
  std::string_view line;
  std::size_t lineNumber = 0;
  RowParser::Result parsed = RowParser::Result::Point;
  switch (NextLine(line, lineNumber)) {
    case LineResult::Line:
      parsed = parser_.Parse(line, lineNumber, point);
      break;
    case LineResult::TooLong:
      parsed = parser_.Unreadable(lineNumber, error_, point);
      break;
    case LineResult::End:
      return Result::End;
    case LineResult::Error:
      return Result::Error;
  }
  if (parsed == RowParser::Result::Point) return Result::Point;
  error_ = parser_.ErrorMessage();
  return Result::BadRow;
}

}  // namespace elprops::cli
