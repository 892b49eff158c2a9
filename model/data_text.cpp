#include "model/data_text.h"

namespace elprops::model {

std::vector<std::string_view> DataLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::optional<std::vector<std::string_view>> DataCells(std::string_view line) {
  std::vector<std::string_view> cells;
  std::size_t i = 0;
  for (;;) {
    if (i < line.size() && line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      cells.push_back(line.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      const std::size_t comma = line.find(',', i);
      cells.push_back(line.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i));
      i = comma == std::string_view::npos ? line.size() : comma;
    }
    if (i >= line.size()) return cells;
    if (line[i] != ',') return std::nullopt;
    ++i;
  }
}

}  // namespace elprops::model
