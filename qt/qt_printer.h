// The printer of the Qt binding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace elprops::platform {

// The lines of a document and the font they are printed in. A "\r" inside a
// line starts a new printed line.
struct PrintDocument {
  std::vector<std::string> lines;
  std::string fontName = "Courier New Cyr";
  float fontSize = 10.0f;
};

// The printed lines of a document: every line split at its carriage returns
// (a "\r\n" pair or a lone "\n" also ends a line).
std::vector<std::string> PrintedLines(const std::vector<std::string>& lines);

// Renders the document into a PDF at `path` with Qt's own PDF writer, in the
// font of the document requested with fixed pitch and the typewriter style
// hint, one text line per printed line, a new page whenever a page is full.
// The PDF is written to a temporary file in the same folder, every write is
// checked, and only a complete file (all bytes on disk, ending in %%EOF) is
// renamed to `path`; otherwise no file is left and whatever was at `path`
// stays as it was. Needs a QGuiApplication. Returns SavedAsPdf with the
// path, or Failed with the reason, the system's own included ("No space left
// on device").
PrintOutcome RenderPdf(const PrintDocument& document, const std::string& path);

// The same PDF written to standard output; Failed when a write fails.
PrintOutcome RenderPdfToStandardOutput(const PrintDocument& document);

// Where the fallback PDF goes: the user's documents folder, or the home
// folder where there is none.
std::string FallbackPdfFolder();

// Collects the printed lines and, when the document is ended, prints them
// on the system's default printer without a dialog. Before printing, the
// print system is asked whether the printer exists and accepts jobs; after
// it, whether the job was created and was not aborted, cancelled or stopped
// (waiting a few seconds for the outcome). Where there is no printer, or the
// printer cannot take the job, the protocol is saved as a PDF instead, named
// with the date and time ("elprops-protocol-2026-12-08-140509.pdf"), in
// FallbackPdfFolder(); an existing file is never overwritten. A document
// without any line sends nothing to the printer and is reported as printed.
// Needs a QGuiApplication.
class QtPrinter final : public PrinterOps {
 public:
  QtPrinter();
  ~QtPrinter() override;

  void SetFontName(std::string_view name) override;
  void SetFontSize(float points) override;
  void PrintLine(std::string_view text) override;
  PrintOutcome EndDocument() override;

 private:
  PrintDocument document_;
};

}  // namespace elprops::platform
