// A printer that keeps the printed lines as text: for the command line's
// protocol, the benchmarks and the tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform.h"

namespace elprops::report {

class LinePrinter final : public platform::PrinterOps {
 public:
  void SetFontName(std::string_view name) override { fontName_ = std::string(name); }
  void SetFontSize(float points) override { fontSize_ = points; }
  void PrintLine(std::string_view text) override { items_.emplace_back(text); }
  // Counts the ended documents; the lines stay.
  platform::PrintOutcome EndDocument() override;

  // Every item as PrintLine received it.
  [[nodiscard]] const std::vector<std::string>& Items() const { return items_; }
  // The lines as they come out of the printer: an item split at each "\r"
  // (a "\r\n" pair or a lone "\n" also ends a line).
  [[nodiscard]] std::vector<std::string> PrintedLines() const;
  // The printed lines, each ended by "\n".
  [[nodiscard]] std::string Text() const;

  [[nodiscard]] const std::string& FontName() const { return fontName_; }
  [[nodiscard]] float FontSize() const { return fontSize_; }
  [[nodiscard]] int DocumentsEnded() const { return documentsEnded_; }

 private:
  std::vector<std::string> items_;
  std::string fontName_;
  float fontSize_ = 0.0f;
  int documentsEnded_ = 0;
};

}  // namespace elprops::report
