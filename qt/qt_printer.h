// The printer of the Qt binding.
#pragma once

#include <cstdint>
#include <memory>
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
// The PDF goes where files::OutputFile sends it: "-" is standard output, a
// FIFO or a device is written in place, a symbolic link is followed, and a
// regular file is replaced only by a complete PDF (every write checked,
// ending in %%EOF); otherwise whatever was at `path` stays as it was. Needs a
// QGuiApplication. Returns SavedAsPdf with the path, or Failed with the
// reason, the system's own included ("No space left on device"). A document
// without any line writes nothing and is Printed ("nothing to print").
PrintOutcome RenderPdf(const PrintDocument& document, const std::string& path);

// The same PDF written to standard output.
PrintOutcome RenderPdfToStandardOutput(const PrintDocument& document);

// Paints each line into a PDF as it is printed and starts a page whenever
// one is full, so that no line is kept: a protocol of any length takes the
// same memory. EndDocument finishes the PDF and gives what RenderPdf gives
// for the same lines at the same `path` ("-" for standard output). After a
// failed write nothing more is painted. The output is opened at the first
// line, so a document without lines leaves `path` untouched. Needs a
// QGuiApplication.
class PdfStreamPrinter final : public PrinterOps {
 public:
  explicit PdfStreamPrinter(std::string path);
  ~PdfStreamPrinter() override;
  PdfStreamPrinter(const PdfStreamPrinter&) = delete;
  PdfStreamPrinter& operator=(const PdfStreamPrinter&) = delete;

  void SetFontName(std::string_view name) override;
  void SetFontSize(float points) override;
  void PrintLine(std::string_view text) override;
  PrintOutcome EndDocument() override;

  // The lines printed into the current document, or into the last one
  // ended: 0 after EndDocument means that nothing was written.
  [[nodiscard]] std::uint64_t Lines() const { return lines_; }

 private:
  struct Pdf;
  void Start();

  std::string path_;
  std::string fontName_ = "Courier New Cyr";
  float fontSize_ = 10.0f;
  std::unique_ptr<Pdf> pdf_;
  std::uint64_t lines_ = 0;
  bool ended_ = false;  // the next line starts a new document
  std::string failure_;
};

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
