#include "csv_reader.h"

#include <algorithm>
#include <cstring>

#include "point_input.h"

namespace elprops::cli {

std::size_t FileSource::Read(char* buffer, std::size_t size) { return std::fread(buffer, 1, size, file_); }

bool FileSource::Failed() const { return std::ferror(file_) != 0; }

std::size_t MemorySource::Read(char* buffer, std::size_t size) {
  const std::size_t n = std::min(size, data_.size());
  std::memcpy(buffer, data_.data(), n);
  data_.remove_prefix(n);
  return n;
}

LineReader::LineReader(ByteSource& source, std::size_t bufferSize) : source_(source), buffer_(bufferSize) {}

LineReader::Result LineReader::Next(std::string_view& line) {
  for (;;) {
    const char* data = buffer_.data();
    if (const void* nl = std::memchr(data + begin_, '\n', end_ - begin_)) {
      const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(nl) - data);
      std::size_t stop = at;
      if (stop > begin_ && data[stop - 1] == '\r') --stop;
      line = std::string_view(data + begin_, stop - begin_);
      begin_ = at + 1;
      ++lineNumber_;
      return Result::Line;
    }
    if (atEnd_) {
      if (begin_ == end_) return Result::End;
      std::size_t stop = end_;
      if (data[stop - 1] == '\r') --stop;
      line = std::string_view(data + begin_, stop - begin_);
      begin_ = end_;
      ++lineNumber_;
      return Result::Line;
    }
    // Keep the unfinished line and fill the rest of the buffer.
    if (begin_ > 0) {
      std::memmove(buffer_.data(), data + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
    }
    if (end_ == buffer_.size()) {
      ++lineNumber_;
      return Result::TooLong;
    }
    const std::size_t n = source_.Read(buffer_.data() + end_, buffer_.size() - end_);
    if (n == 0) {
      if (source_.Failed()) return Result::ReadError;
      atEnd_ = true;
    }
    end_ += n;
  }
}

PointReader::Result PointReader::Fail(std::size_t line, std::string_view what) {
  error_ = "line " + std::to_string(line) + ": ";
  error_ += what;
  return Result::Error;
}

bool PointReader::SplitCells(std::string_view line, std::string_view& what) {
  std::size_t count = 0;
  std::size_t pos = 0;
  for (;;) {
    // Blanks before a quoted cell are allowed.
    std::size_t start = pos;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    std::string_view cell;
    std::size_t next;
    if (start < line.size() && line[start] == '"') {
      std::string& text = unquoted_[std::min<std::size_t>(count, 2)];
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
      if (!closed) {
        what = "a quoted cell is not closed";
        return false;
      }
      while (k < line.size() && (line[k] == ' ' || line[k] == '\t')) ++k;
      if (k < line.size() && line[k] != ',') {
        what = "text after the closing quote of a cell";
        return false;
      }
      cell = text;
      next = k;
    } else {
      next = line.find(',', pos);
      if (next == std::string_view::npos) next = line.size();
      cell = line.substr(pos, next - pos);
    }
    if (count < 3) cells_[count] = cell;
    ++count;
    if (next >= line.size()) break;
    pos = next + 1;
  }
  if (count != 3) {
    what = count < 3 ? "expected 3 cells (substance,concentration,temperature), found fewer"
                     : "expected 3 cells (substance,concentration,temperature), found more";
    return false;
  }
  return true;
}

PointReader::Result PointReader::Next(CsvPoint& point) {
  std::string_view line;
  for (;;) {
    switch (lines_.Next(line)) {
      case LineReader::Result::Line:
        break;
      case LineReader::Result::End:
        if (!headerRead_) {
          error_ = "the input is empty: the header ";
          error_ += kInputHeader;
          error_ += " is missing";
          return Result::Error;
        }
        return Result::End;
      case LineReader::Result::TooLong:
        return Fail(lines_.LineNumber(), "line longer than " + std::to_string(lines_.MaxLineLength()) + " characters");
      case LineReader::Result::ReadError:
        error_ = "read error after line " + std::to_string(lines_.LineNumber());
        return Result::Error;
    }
    if (!headerRead_ && lines_.LineNumber() == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    if (TrimBlanks(line).empty()) continue;
    std::string_view what;
    if (!SplitCells(line, what)) {
      if (!headerRead_) {
        return Fail(lines_.LineNumber(), "the header must be " + std::string(kInputHeader));
      }
      return Fail(lines_.LineNumber(), what);
    }
    if (!headerRead_) {
      static constexpr std::string_view kNames[3] = {"substance", "concentration", "temperature"};
      for (std::size_t k = 0; k < 3; ++k) {
        const std::string_view cell = TrimBlanks(cells_[k]);
        bool same = cell.size() == kNames[k].size();
        for (std::size_t c = 0; same && c < cell.size(); ++c) {
          const char lower = cell[c] >= 'A' && cell[c] <= 'Z' ? static_cast<char>(cell[c] - 'A' + 'a') : cell[c];
          same = lower == kNames[k][c];
        }
        if (!same) return Fail(lines_.LineNumber(), "the header must be " + std::string(kInputHeader));
      }
      headerRead_ = true;
      continue;
    }
    point.substance = cells_[0];
    point.concentration = cells_[1];
    point.temperature = cells_[2];
    point.line = lines_.LineNumber();
    return Result::Point;
  }
}

}  // namespace elprops::cli
