#include "cli/output/output_buffer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace elprops::cli {

std::optional<Format> FormatNamed(std::string_view name) {
  if (name == "text") return Format::Text;
  if (name == "csv") return Format::Csv;
  if (name == "json") return Format::Json;
  return std::nullopt;
}

OutputBuffer::OutputBuffer(Sink sink, std::size_t capacity)
    : sink_(std::move(sink)), buffer_(std::max<std::size_t>(capacity, 64)) {}

OutputBuffer::~OutputBuffer() { Flush(); }

void OutputBuffer::AppendInPieces(std::string_view text) {
  while (!text.empty()) {
    if (size_ == buffer_.size()) MakeRoom(1);
    const std::size_t n = std::min(text.size(), buffer_.size() - size_);
    std::memcpy(buffer_.data() + size_, text.data(), n);
    size_ += n;
    text.remove_prefix(n);
  }
}

void OutputBuffer::AppendRows(std::string_view rows) {
  constexpr std::size_t kDirect = std::size_t{1} << 16;
  if (size_ == 0 && rows.size() >= kDirect) {
    if (!failed_ && !sink_(rows)) {
      failed_ = true;
      errorNumber_ = errno;
    }
    return;
  }
  Append(rows);
  EndRow();
}

std::size_t OutputBuffer::TradeRows(std::vector<char>& other) {
  if (size_ != rowsEnd_) return std::string_view::npos;
  const std::size_t rows = rowsEnd_;
  const std::size_t capacity = buffer_.size();
  buffer_.swap(other);
  if (buffer_.size() < capacity) buffer_.resize(capacity);
  size_ = 0;
  rowsEnd_ = 0;
  return rows;
}

void OutputBuffer::MakeRoom(std::size_t n) {
  Flush();
  if (buffer_.size() - size_ < n) buffer_.resize(std::max(buffer_.size() * 2, size_ + n));
}

bool OutputBuffer::Flush() {
  if (rowsEnd_ > 0) {
    if (!failed_ && !sink_(std::string_view(buffer_.data(), rowsEnd_))) {
      failed_ = true;
      errorNumber_ = errno;
    }
    // The unfinished row moves to the front.
    std::memmove(buffer_.data(), buffer_.data() + rowsEnd_, size_ - rowsEnd_);
    size_ -= rowsEnd_;
    rowsEnd_ = 0;
  }
  return !failed_;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

OutputBuffer::Sink StandardOutput() {
  return [](std::string_view data) { return WriteAll(STDOUT_FILENO, data); };
}

}  // namespace elprops::cli
