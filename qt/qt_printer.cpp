#include "qt/qt_printer.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QIODevice>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QString>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

#include "files/output_file.h"
#include "qt/cups_queue.h"

namespace elprops::platform {

namespace {

QFont DocumentFont(const std::string& name, float size) {
  QFont font(QString::fromStdString(name));
  font.setPointSizeF(static_cast<double>(size));
  // Where the family is missing, fontconfig then picks a monospace font
  // with Cyrillic, so the columns stay aligned.
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setKerning(false);
  return font;
}

// Calls `paint` with each printed line of an item: the item split at its
// carriage returns (a "\r\n" pair or a lone "\n" also ends a line).
template <typename Paint>
void ForEachPrintedLine(std::string_view item, Paint&& paint) {
  std::size_t begin = 0;
  for (std::size_t i = 0; i < item.size(); ++i) {
    const char c = item[i];
    if (c != '\r' && c != '\n') continue;
    paint(item.substr(begin, i - begin));
    if (c == '\r' && i + 1 < item.size() && item[i + 1] == '\n') ++i;
    begin = i + 1;
  }
  paint(item.substr(begin));
}

// Paints printed lines on a paged device (a printer or a PDF writer), one
// text line each, starting a new page whenever the next line would not fit.
class LinePainter {
 public:
  // False when painting could not start.
  bool Begin(QPagedPaintDevice& device, const QFont& font) {
    if (!painter_.begin(&device)) return false;
    device_ = &device;
    SetFont(font);
    pageHeight_ = device.pageLayout().paintRectPixels(device.logicalDpiY()).height();
    return true;
  }
  void SetFont(const QFont& font) {
    painter_.setFont(font);
    const QFontMetricsF metrics(painter_.font(), device_);
    lineHeight_ = metrics.lineSpacing();
    ascent_ = metrics.ascent();
  }
  // Paints the printed lines of an item; false when a new page could not be
  // started.
  bool Paint(std::string_view item) {
    bool paged = true;
    ForEachPrintedLine(item, [&](std::string_view line) {
      if (!paged) return;
      if (y_ > 0.0 && y_ + lineHeight_ > pageHeight_) {
        paged = device_->newPage();
        if (!paged) return;
        y_ = 0.0;
      }
      if (!line.empty()) {
        painter_.drawText(QPointF(0.0, y_ + ascent_),
                          QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
      }
      y_ += lineHeight_;
    });
    return paged;
  }
  // False when the device could not finish the job.
  bool End() { return painter_.isActive() ? painter_.end() : true; }

 private:
  QPainter painter_;
  QPagedPaintDevice* device_ = nullptr;
  double lineHeight_ = 0.0;
  double ascent_ = 0.0;
  double pageHeight_ = 0.0;
  double y_ = 0.0;
};

// Paints a whole document on `device`. Returns the reason of a failure, or
// an empty text.
std::string Render(QPagedPaintDevice& device, const PrintDocument& document) {
  LinePainter painter;
  if (!painter.Begin(device, DocumentFont(document.fontName, document.fontSize))) {
    return "the print job could not be started";
  }
  bool paged = true;
  for (const std::string& item : document.lines) {
    if (!painter.Paint(item)) {
      paged = false;
      break;
    }
  }
  const bool ended = painter.End();
  if (!paged) return "a new page could not be started";
  if (!ended) return "the print job could not be finished";
  return {};
}

// The PDF writer's output: passes every byte on to the output file, which
// checks that it was taken whole (Qt's PDF engine does not look at the
// result of its writes). After the first failure nothing more is written.
class CheckedOutput final : public QIODevice {
 public:
  explicit CheckedOutput(files::OutputFile& file) : file_(file) { open(QIODevice::WriteOnly); }

  [[nodiscard]] bool isSequential() const override { return true; }
  // Whether the last bytes written close a PDF.
  [[nodiscard]] bool EndsAsPdf() const { return tail_.trimmed().endsWith("%%EOF"); }

 protected:
  qint64 readData(char* /*data*/, qint64 /*size*/) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    if (!file_.Write(std::string_view(data, static_cast<std::size_t>(size)))) return -1;
    const qint64 kept = std::min<qint64>(size, 64);
    tail_.append(data + size - kept, kept);
    if (tail_.size() > 64) tail_.remove(0, tail_.size() - 64);
    return size;
  }

 private:
  files::OutputFile& file_;
  QByteArray tail_;
};

bool HasLines(const PrintDocument& document) { return !document.lines.empty(); }

PrintOutcome NothingToPrint() {
  PrintOutcome outcome;
  outcome.kind = PrintOutcome::Kind::Printed;
  outcome.detail = "nothing to print";
  return outcome;
}

// How long to watch a job for a failure of the print system after sending
// it: a device that cannot be opened stops the job within a second.
constexpr std::chrono::milliseconds kJobPatience{10000};

struct PrinterAnswer {
  bool printed = false;
  std::string detail;  // where it went, or why it could not be printed
};

// Prints the document on the print system's default printer and follows the
// job, since Qt reports neither a refused job nor a failed one.
PrinterAnswer PrintOnDefaultPrinter(const PrintDocument& document) {
  const std::optional<cups::Destination> destination = cups::DefaultDestination();
  if (!destination) return {false, "there is no default printer"};
  const std::string& name = destination->name;
  if (!destination->accepting) {
    return {false, "the printer " + name + " does not accept jobs" +
                       (destination->message.empty() ? "" : " (" + destination->message + ")")};
  }
  const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(name));
  if (info.isNull()) return {false, "the printer " + name + " cannot be reached"};
  const std::optional<int> lastJob = cups::LastJobId(destination->queue);
  if (!lastJob) return {false, "the print system does not answer about " + name + ": " + cups::LastFailure()};

  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("elprops protocol"));
  std::string failure = Render(printer, document);
  if (failure.empty() && printer.printerState() == QPrinter::Error) failure = "the printer reported an error";
  const std::string refusal = cups::LastFailure();  // the scheduler's answer to the job
  if (!failure.empty()) return {false, "printing on " + name + " failed: " + failure};

  // A stopped printer keeps the job until it is started again: the job is
  // safe in the queue, so there is nothing to wait for.
  const cups::JobReport job = cups::FollowJob(destination->queue, *lastJob, "elprops protocol",
                                              destination->stopped ? std::chrono::milliseconds{0} : kJobPatience);
  const std::string jobName = destination->queue + "-" + std::to_string(job.id);
  switch (job.fate) {
    case cups::JobReport::Fate::Done:
      return {true, "printed on " + name};
    case cups::JobReport::Fate::Waiting:
      return {true, destination->stopped ? "queued on " + name + " as " + jobName +
                                               ", which is stopped: the job prints when the printer is started"
                                         : "sent to " + name + " as " + jobName};
    case cups::JobReport::Fate::Failed:
      return {false, "printing on " + name + " failed: " + job.detail};
    case cups::JobReport::Fate::Missing:
      break;
  }
  return {false, "the printer " + name + " did not take the job: " + job.detail +
                     (refusal.empty() ? "" : " (" + refusal + ")")};
}

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
    ForEachPrintedLine(line, [&](std::string_view part) { printed.emplace_back(part); });
  }
  return printed;
}

// The PDF being painted: the output, the PDF writer on it and the painter.
// Destroyed in reverse order: the painter ends before the writer goes.
struct PdfStreamPrinter::Pdf {
  files::OutputFile file;
  CheckedOutput output{file};
  QPdfWriter writer{&output};
  LinePainter painter;
};

PdfStreamPrinter::PdfStreamPrinter(std::string path) : path_(std::move(path)) {}
PdfStreamPrinter::~PdfStreamPrinter() = default;

void PdfStreamPrinter::SetFontName(std::string_view name) {
  if (name == fontName_) return;
  fontName_ = std::string(name);
  if (pdf_ && failure_.empty()) pdf_->painter.SetFont(DocumentFont(fontName_, fontSize_));
}

void PdfStreamPrinter::SetFontSize(float points) {
  if (points == fontSize_) return;
  fontSize_ = points;
  if (pdf_ && failure_.empty()) pdf_->painter.SetFont(DocumentFont(fontName_, fontSize_));
}

// Opens the output and starts the first page.
void PdfStreamPrinter::Start() {
  pdf_ = std::make_unique<Pdf>();
  if (!pdf_->file.Open(path_)) {
    failure_ = pdf_->file.Error();
    return;
  }
  // The page and resolution of Qt's own PDF printer, so that a saved PDF
  // looks like a printed page.
  QPrinter reference(QPrinter::HighResolution);
  reference.setOutputFormat(QPrinter::PdfFormat);
  pdf_->writer.setResolution(reference.resolution());
  pdf_->writer.setPageLayout(reference.pageLayout());
  pdf_->writer.setTitle(QStringLiteral("elprops protocol"));
  pdf_->writer.setCreator(QStringLiteral("elprops"));
  if (!pdf_->painter.Begin(pdf_->writer, DocumentFont(fontName_, fontSize_))) {
    failure_ = "the print job could not be started";
  }
}

void PdfStreamPrinter::PrintLine(std::string_view text) {
  if (std::exchange(ended_, false)) lines_ = 0;
  ++lines_;
  if (!pdf_) Start();
  if (!failure_.empty()) return;
  if (!pdf_->painter.Paint(text)) failure_ = "a new page could not be started";
  // A page is written out when the next one starts: stop at a failed write.
  if (!pdf_->file.Error().empty()) failure_ = pdf_->file.Error();
}

PrintOutcome PdfStreamPrinter::EndDocument() {
  std::unique_ptr<Pdf> pdf = std::move(pdf_);
  std::string failure = std::exchange(failure_, std::string());
  if (std::exchange(ended_, true)) lines_ = 0;  // a second end without lines
  if (lines_ == 0) return NothingToPrint();
  if (failure.empty()) {
    const bool ended = pdf->painter.End();
    if (!pdf->file.Error().empty()) {
      failure = pdf->file.Error();
    } else if (!ended || !pdf->output.EndsAsPdf()) {
      failure = "the PDF writer did not finish the file";
    } else if (!pdf->file.Commit()) {
      failure = pdf->file.Error();
    }
  }
  PrintOutcome outcome;
  if (failure.empty()) {
    outcome.kind = PrintOutcome::Kind::SavedAsPdf;
    outcome.path = path_;
    return outcome;
  }
  pdf->file.Abandon();
  outcome.kind = PrintOutcome::Kind::Failed;
  outcome.detail = (path_ == "-" ? std::string("cannot write the PDF to standard output: ")
                                 : "cannot write the PDF \"" + path_ + "\": ") +
                   failure;
  return outcome;
}

PrintOutcome RenderPdf(const PrintDocument& document, const std::string& path) {
  if (!HasLines(document)) return NothingToPrint();
  PdfStreamPrinter printer(path);
  printer.SetFontName(document.fontName);
  printer.SetFontSize(document.fontSize);
  for (const std::string& line : document.lines) printer.PrintLine(line);
  return printer.EndDocument();
}

PrintOutcome RenderPdfToStandardOutput(const PrintDocument& document) { return RenderPdf(document, "-"); }

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
  if (!HasLines(document)) return NothingToPrint();

  const PrinterAnswer answer = PrintOnDefaultPrinter(document);
  if (answer.printed) {
    PrintOutcome outcome;
    outcome.kind = PrintOutcome::Kind::Printed;
    outcome.detail = answer.detail;
    return outcome;
  }
  const std::string& printerFailure = answer.detail;

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
    outcome.detail = printerFailure + "; the protocol was not saved either: " + outcome.detail;
  }
  return outcome;
}

}  // namespace elprops::platform
