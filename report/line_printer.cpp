#include "report/line_printer.h"

#include <cerrno>
#include <cstring>

namespace elprops::report {

platform::PrintOutcome LinePrinter::EndDocument() {
  ++documentsEnded_;
  return {};
}

std::vector<std::string> LinePrinter::PrintedLines() const {
  std::vector<std::string> lines;
  lines.reserve(items_.size());
  for (const std::string& item : items_) {
    std::string current;
    for (std::size_t i = 0; i < item.size(); ++i) {
      const char c = item[i];
      if (c == '\r' || c == '\n') {
        lines.push_back(std::move(current));
        current.clear();
        if (c == '\r' && i + 1 < item.size() && item[i + 1] == '\n') ++i;
      } else {
        current += c;
      }
    }
    lines.push_back(std::move(current));
  }
  return lines;
}

std::string LinePrinter::Text() const {
  std::string text;
  for (const std::string& line : PrintedLines()) {
    text += line;
    text += '\n';
  }
  return text;
}

void FilePrinter::PrintLine(std::string_view text) {
  if (Failed()) return;
  // Two scans for single characters are much cheaper than one for either.
  if (text.find('\r') == std::string_view::npos && text.find('\n') == std::string_view::npos) {
    Write(text);
    Write("\n");
    return;
  }
  line_.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      line_ += '\n';
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line_ += c;
    }
  }
  line_ += '\n';
  Write(line_);
}

void FilePrinter::Write(std::string_view bytes) {
  if (Failed() || bytes.empty()) return;
  errno = 0;
  const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file_);
  bytesWritten_ += written;
  if (written != bytes.size()) Fail(errno);
}

void FilePrinter::Fail(int reason) {
  failed_ = true;
  error_ = reason != 0 ? std::strerror(reason) : "the output was not written";
}

platform::PrintOutcome FilePrinter::EndDocument() {
  if (!Failed()) {
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_) != 0) Fail(errno);
  }
  platform::PrintOutcome outcome;
  if (Failed()) {
    outcome.kind = platform::PrintOutcome::Kind::Failed;
    outcome.detail = error_;
  }
  return outcome;
}

}  // namespace elprops::report
