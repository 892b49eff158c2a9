// Output text split at line feeds, for checking what a command wrote.
#pragma once

#include <string>
#include <vector>

namespace elprops::cli::testing {

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t nl = text.find('\n', pos);
    lines.push_back(text.substr(pos, nl - pos));
    pos = nl == std::string::npos ? text.size() : nl + 1;
  }
  return lines;
}

}  // namespace elprops::cli::testing
