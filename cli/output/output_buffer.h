// The output of a run: rows collected in a large buffer and written in big
// pieces, and the formats they are written in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace elprops::cli {

enum class Format : std::uint8_t { Text, Csv, Json };

// "text", "csv" or "json".
std::optional<Format> FormatNamed(std::string_view name);

// Collects output in a large buffer and hands it to `sink` in big pieces,
// always in whole rows: EndRow() marks where a row ends, and only what
// lies before that mark is ever written, so that an output cut short (a
// signal, a full disk) never ends in half a row. After the sink has failed
// once, nothing more is written.
class OutputBuffer {
 public:
  // Writes all of the text; on failure returns false and leaves the reason
  // in errno.
  using Sink = std::function<bool(std::string_view)>;

  explicit OutputBuffer(Sink sink, std::size_t capacity = std::size_t{1} << 20);
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;
  // Writes the whole rows still held; an unfinished row is dropped.
  ~OutputBuffer();

  void Append(std::string_view text) {
    if (buffer_.size() - size_ >= text.size()) {
      // An empty view's data may be null.
      if (!text.empty()) std::memcpy(buffer_.data() + size_, text.data(), text.size());
      size_ += text.size();
      return;
    }
    AppendInPieces(text);
  }
  void Append(char c) {
    if (size_ == buffer_.size()) MakeRoom(1);
    buffer_[size_++] = c;
  }
  // Room for `n` characters written in place: write them from the pointer
  // returned, then Commit() where they end.
  char* Reserve(std::size_t n) {
    if (buffer_.size() - size_ < n) MakeRoom(n);
    return buffer_.data() + size_;
  }
  void Commit(const char* end) { size_ = static_cast<std::size_t>(end - buffer_.data()); }
  // The text appended so far is one or more whole rows.
  void EndRow() { rowsEnd_ = size_; }
  // Appends `rows`, one or more whole rows; a large piece goes to the sink
  // straight from where it is when nothing else is held.
  void AppendRows(std::string_view rows);
  // When all that is held are whole rows: trades the buffer for `other`
  // and returns the size of the rows now in `other`, without a copy or a
  // write. Otherwise nothing is traded and the answer is npos.
  std::size_t TradeRows(std::vector<char>& other);
  // The whole rows appended so far go to the sink; false once the sink
  // failed.
  bool Flush();
  [[nodiscard]] bool Failed() const { return failed_; }
  // The errno of the failure, once Failed().
  [[nodiscard]] int ErrorNumber() const { return errorNumber_; }

 private:
  // Makes room for `n` more characters: writes the whole rows, and grows
  // the buffer when an unfinished row fills it.
  void MakeRoom(std::size_t n);
  void AppendInPieces(std::string_view text);

  Sink sink_;
  std::vector<char> buffer_;
  std::size_t size_ = 0;
  std::size_t rowsEnd_ = 0;
  bool failed_ = false;
  int errorNumber_ = 0;
};

// Standard output (the file descriptor, no C stream buffer) as a sink:
// partial writes are continued and interrupted ones retried, so that a
// piece handed to it is written whole or the failure reported.
OutputBuffer::Sink StandardOutput();

// Writes all of `data` to file descriptor `fd` as StandardOutput does;
// false with the reason in errno on failure.
bool WriteAll(int fd, std::string_view data);

}  // namespace elprops::cli
