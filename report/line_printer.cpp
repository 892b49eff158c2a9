#include "line_printer.h"

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

}  // namespace elprops::report
