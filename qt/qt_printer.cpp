#include "qt_printer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QString>

namespace elprops::platform {

namespace {

QFont DocumentFont(const PrintDocument& document) {
  QFont font(QString::fromStdString(document.fontName));
  font.setPointSizeF(static_cast<double>(document.fontSize));
  // Where the family is missing, fontconfig then picks a monospace font
  // with Cyrillic, so the columns stay aligned.
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setKerning(false);
  return font;
}

// Paints the lines on `printer`, one text line per printed line, starting a
// new page whenever the next line would not fit. Returns the reason of a
// failure, or an empty text.
std::string Render(QPrinter& printer, const PrintDocument& document) {
  QPainter painter;
  if (!painter.begin(&printer)) return "the print job could not be started";
  painter.setFont(DocumentFont(document));
  const QFontMetricsF metrics(painter.font(), &printer);
  const double lineHeight = metrics.lineSpacing();
  const double pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();

  std::string failure;
  double y = 0.0;
  for (const std::string& line : PrintedLines(document.lines)) {
    if (y > 0.0 && y + lineHeight > pageHeight) {
      if (!printer.newPage()) {
        failure = "a new page could not be started";
        break;
      }
      y = 0.0;
    }
    if (!line.empty()) painter.drawText(QPointF(0.0, y + metrics.ascent()), QString::fromStdString(line));
    y += lineHeight;
  }
  const bool ended = painter.end();
  if (!failure.empty()) return failure;
  if (!ended) return "the print job could not be finished";
  if (printer.printerState() == QPrinter::Error) return "the printer reported an error";
  return {};
}

bool HasLines(const PrintDocument& document) { return !document.lines.empty(); }

// Creates a new empty file for the fallback PDF in `folder`, named with the
// date and time; a name already taken gets a number. Returns the path, or
// an empty text when no file could be created.
QString ReserveFallbackFile(const QString& folder) {
  if (!QDir().mkpath(folder)) return {};
  const QString stem = QDir(folder).filePath(
      QStringLiteral("elprops-protocol-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
  for (int attempt = 1; attempt <= 1000; ++attempt) {
    const QString path = attempt == 1 ? stem + QStringLiteral(".pdf") : stem + QStringLiteral("-%1.pdf").arg(attempt);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return path;
    if (!file.exists()) return {};  // not a name clash: the folder is not writable
  }
  return {};
}

}  // namespace

std::vector<std::string> PrintedLines(const std::vector<std::string>& lines) {
  std::vector<std::string> printed;
  printed.reserve(lines.size());
  for (const std::string& line : lines) {
    std::string current;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '\r' || c == '\n') {
        printed.push_back(current);
        current.clear();
        if (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n') ++i;
      } else {
        current += c;
      }
    }
    printed.push_back(current);
  }
  return printed;
}

PrintOutcome RenderPdf(const PrintDocument& document, const std::string& path) {
  PrintOutcome outcome;
  if (!HasLines(document)) {
    outcome.kind = PrintOutcome::Kind::Printed;
    outcome.detail = "nothing to print";
    return outcome;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setDocName(QStringLiteral("elprops protocol"));
  const std::string failure = Render(printer, document);
  const QFileInfo written(QString::fromStdString(path));
  if (!failure.empty() || !written.exists() || written.size() == 0) {
    outcome.kind = PrintOutcome::Kind::Failed;
    outcome.detail = "the PDF " + path + " could not be written" + (failure.empty() ? "" : ": " + failure);
    return outcome;
  }
  outcome.kind = PrintOutcome::Kind::SavedAsPdf;
  outcome.path = path;
  return outcome;
}

std::string FallbackPdfFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  return folder.toStdString();
}

QtPrinter::QtPrinter() = default;
QtPrinter::~QtPrinter() = default;

void QtPrinter::SetFontName(std::string_view name) { document_.fontName = std::string(name); }

void QtPrinter::SetFontSize(float points) { document_.fontSize = points; }

void QtPrinter::PrintLine(std::string_view text) { document_.lines.emplace_back(text); }

PrintOutcome QtPrinter::EndDocument() {
  PrintDocument document = std::move(document_);
  document_ = PrintDocument{};
  if (!HasLines(document)) {
    PrintOutcome outcome;
    outcome.kind = PrintOutcome::Kind::Printed;
    outcome.detail = "nothing to print";
    return outcome;
  }

  std::string printerFailure = "there is no default printer";
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (!info.isNull()) {
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("elprops protocol"));
    printerFailure = Render(printer, document);
    if (printerFailure.empty()) {
      PrintOutcome outcome;
      outcome.kind = PrintOutcome::Kind::Printed;
      outcome.detail = "printed on " + info.printerName().toStdString();
      return outcome;
    }
    printerFailure = "printing on " + info.printerName().toStdString() + " failed: " + printerFailure;
  }

  // The protocol is not lost: it goes into a PDF, in the documents folder or
  // else in the home folder.
  QString path = ReserveFallbackFile(QString::fromStdString(FallbackPdfFolder()));
  if (path.isEmpty()) path = ReserveFallbackFile(QDir::homePath());
  if (path.isEmpty()) {
    PrintOutcome outcome;
    outcome.kind = PrintOutcome::Kind::Failed;
    outcome.detail = printerFailure + "; no file for a PDF could be created in " + FallbackPdfFolder();
    return outcome;
  }
  PrintOutcome outcome = RenderPdf(document, path.toStdString());
  if (outcome.kind == PrintOutcome::Kind::SavedAsPdf) {
    outcome.detail = printerFailure;
  } else {
    QFile::remove(path);
    outcome.detail = printerFailure + "; " + outcome.detail;
  }
  return outcome;
}

}  // namespace elprops::platform
