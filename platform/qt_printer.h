// The printer of the Qt binding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform.h"

namespace elprops::platform {

// Collects the printed lines and, when the document is ended, prints them
// on the system's default printer without a dialog. Where there is no
// printer, or printing fails, the protocol is saved as a PDF instead.
class QtPrinter final : public PrinterOps {
 public:
  QtPrinter();
  ~QtPrinter() override;

  void SetFontName(std::string_view name) override;
  void SetFontSize(float points) override;
  void PrintLine(std::string_view text) override;
  PrintOutcome EndDocument() override;
};

}  // namespace elprops::platform
