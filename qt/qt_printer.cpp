#include "qt/qt_printer.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QIODevice>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>

#include "qt/cups_queue.h"

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

// Paints the lines on `device` (a printer or a PDF writer), one text line
// per printed line, starting a new page whenever the next line would not
// fit. Returns the reason of a failure, or an empty text.
std::string Render(QPagedPaintDevice& device, const PrintDocument& document) {
  QPainter painter;
  if (!painter.begin(&device)) return "the print job could not be started";
  painter.setFont(DocumentFont(document));
  const QFontMetricsF metrics(painter.font(), &device);
  const double lineHeight = metrics.lineSpacing();
  const double pageHeight = device.pageLayout().paintRectPixels(device.logicalDpiY()).height();

  std::string failure;
  double y = 0.0;
  for (const std::string& line : PrintedLines(document.lines)) {
    if (y > 0.0 && y + lineHeight > pageHeight) {
      if (!device.newPage()) {
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
  return {};
}

// While it lives, a write beyond the file-size limit (ulimit -f) fails with
// "File too large" instead of killing the process, so that the failure can
// be reported.
class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() {
#ifdef SIGXFSZ
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
#endif
  }
  ~FileSizeSignalIgnored() {
#ifdef SIGXFSZ
    if (previous_ != SIG_ERR) std::signal(SIGXFSZ, previous_);
#endif
  }
  FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
  FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

 private:
  void (*previous_)(int) = SIG_ERR;
};

// The PDF writer's output: passes every byte on to `file` and checks that
// it was taken whole. Qt's PDF engine does not look at the result of its
// writes, so a full disk would otherwise go unnoticed. After the first
// failure nothing more is written.
class CheckedOutput final : public QIODevice {
 public:
  explicit CheckedOutput(QFileDevice& file) : file_(file) { open(QIODevice::WriteOnly); }

  [[nodiscard]] bool isSequential() const override { return true; }
  [[nodiscard]] qint64 Written() const { return written_; }
  [[nodiscard]] const QString& Failure() const { return failure_; }
  // Whether the last bytes written close a PDF.
  [[nodiscard]] bool EndsAsPdf() const { return tail_.trimmed().endsWith("%%EOF"); }

 protected:
  qint64 readData(char* /*data*/, qint64 /*size*/) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    if (!failure_.isEmpty()) return -1;
    qint64 done = 0;
    while (done < size) {
      const qint64 n = file_.write(data + done, size - done);
      if (n <= 0) {
        failure_ = file_.errorString();
        if (failure_.isEmpty()) failure_ = QStringLiteral("a write failed");
        return -1;
      }
      done += n;
    }
    written_ += size;
    tail_.append(data + (size > 64 ? size - 64 : 0), size > 64 ? 64 : size);
    if (tail_.size() > 64) tail_.remove(0, tail_.size() - 64);
    return size;
  }

 private:
  QFileDevice& file_;
  qint64 written_ = 0;
  QString failure_;
  QByteArray tail_;
};

// Renders the document as a PDF into `file` (open for writing, unbuffered).
// Returns the reason of a failure, or an empty text; on success `written`
// is the size of the PDF.
std::string WritePdf(const PrintDocument& document, QFileDevice& file, qint64& written) {
  // The page and resolution of Qt's own PDF printer, so that a saved PDF
  // looks like a printed page.
  QPrinter reference(QPrinter::HighResolution);
  reference.setOutputFormat(QPrinter::PdfFormat);
  CheckedOutput output(file);
  std::string failure;
  {
    QPdfWriter writer(&output);
    writer.setResolution(reference.resolution());
    writer.setPageLayout(reference.pageLayout());
    writer.setTitle(QStringLiteral("elprops protocol"));
    writer.setCreator(QStringLiteral("elprops"));
    failure = Render(writer, document);
  }
  if (!output.Failure().isEmpty()) return output.Failure().toStdString();
  if (!failure.empty()) return failure;
  if (output.Written() == 0 || !output.EndsAsPdf()) return "the PDF writer did not finish the file";
  written = output.Written();
  return {};
}

bool HasLines(const PrintDocument& document) { return !document.lines.empty(); }

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
  const auto fail = [&](const std::string& reason) {
    outcome.kind = PrintOutcome::Kind::Failed;
    outcome.detail = "cannot write the PDF \"" + path + "\": " + reason;
    return outcome;
  };
  const FileSizeSignalIgnored signalIgnored;
  const QString name = QString::fromStdString(path);
  if (QFileInfo(name).isDir()) return fail(std::strerror(EISDIR));
  // A temporary file beside the final one, renamed over it when complete;
  // removed by QSaveFile when it is not.
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString().toStdString());
  qint64 written = 0;
  const std::string failure = WritePdf(document, file, written);
  if (!failure.empty()) {
    file.cancelWriting();
    return fail(failure);
  }
  if (file.size() != written) {
    file.cancelWriting();
    return fail("the file on disk is shorter than the PDF");
  }
  if (!file.commit()) return fail(file.errorString().toStdString());
  if (QFileInfo(name).size() != written) {
    QFile::remove(name);
    return fail("the saved file is not the PDF that was written");
  }
  outcome.kind = PrintOutcome::Kind::SavedAsPdf;
  outcome.path = path;
  return outcome;
}

PrintOutcome RenderPdfToStandardOutput(const PrintDocument& document) {
  PrintOutcome outcome;
  if (!HasLines(document)) {
    outcome.kind = PrintOutcome::Kind::Printed;
    outcome.detail = "nothing to print";
    return outcome;
  }
  const FileSizeSignalIgnored signalIgnored;
  std::fflush(stdout);
  QFile out;
  std::string failure;
  qint64 written = 0;
  if (!out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
    failure = out.errorString().toStdString();
  } else {
    failure = WritePdf(document, out, written);
  }
  if (!failure.empty()) {
    outcome.kind = PrintOutcome::Kind::Failed;
    outcome.detail = "cannot write the PDF to standard output: " + failure;
    return outcome;
  }
  outcome.kind = PrintOutcome::Kind::SavedAsPdf;
  outcome.path = "-";
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
