// Printers that turn the printed lines into text: one keeps them (for the
// PDF of the command line, the benchmarks and the tests), the other writes
// each line to a file as soon as it is printed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

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

// Writes every printed line to an open file at once, each ended by "\n";
// an item is split into lines as LinePrinter::PrintedLines splits it, so
// the file receives what LinePrinter::Text() would hold, without keeping
// it. The first failed write is remembered with the system's reason and
// nothing more is written; EndDocument flushes the file and returns Failed
// with that reason, or Printed. The file stays open.
class FilePrinter final : public platform::PrinterOps {
 public:
  explicit FilePrinter(std::FILE* file) : file_(file) {}

  void SetFontName(std::string_view) override {}
  void SetFontSize(float) override {}
  void PrintLine(std::string_view text) override;
  platform::PrintOutcome EndDocument() override;

  [[nodiscard]] bool Failed() const { return failed_; }
  // The reason of the first failure, empty while every write succeeded.
  [[nodiscard]] const std::string& Error() const { return error_; }
  [[nodiscard]] std::uint64_t BytesWritten() const { return bytesWritten_; }

 private:
  void Write(std::string_view bytes);
  void Fail(int reason);

  std::FILE* file_;
  bool failed_ = false;
  std::string line_;
  std::string error_;
  std::uint64_t bytesWritten_ = 0;
};

}  // namespace elprops::report
