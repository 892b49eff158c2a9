// The Qt printer without a print system: the lines it prints, the PDF it
// writes, and the fallback PDF when there is no printer. The process runs
// with CUPS_SERVER on a socket where nothing answers and HOME in a
// temporary folder (set before the first test).
#include "qt/qt_printer.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace elprops::platform {
namespace {

using Lines = std::vector<std::string>;

class QtPrinterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    home_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(home_->isValid());
    qputenv("HOME", home_->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home_->path() + "/.config").toLocal8Bit());
    qputenv("CUPS_SERVER", (home_->path() + "/no-scheduler.sock").toLocal8Bit());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    static int argc = 1;
    static char name[] = "elprops_print_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QGuiApplication>(argc, argv);
  }
  static void TearDownTestSuite() {
    app_.reset();
    home_.reset();
  }

  static QString Home() { return home_->path(); }

  static std::unique_ptr<QTemporaryDir> home_;
  static std::unique_ptr<QGuiApplication> app_;
};

std::unique_ptr<QTemporaryDir> QtPrinterTest::home_;
std::unique_ptr<QGuiApplication> QtPrinterTest::app_;

QByteArray ReadAll(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// Pages of a PDF written by Qt: its page objects ("/Type /Page" but not
// "/Type /Pages").
int PageCount(const QByteArray& pdf) {
  int pages = 0;
  for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1)) {
    if (pdf.mid(at + 11, 1) != "s") ++pages;
  }
  return pages;
}

// While it lives, no file of this process may grow beyond `bytes` (as under
// "ulimit -f"): the disk seems full to the PDF writer.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    set_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() {
    if (set_) setrlimit(RLIMIT_FSIZE, &previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  [[nodiscard]] bool Set() const { return set_; }

 private:
  rlimit previous_{};
  bool set_ = false;
};

// A protocol long enough that its PDF takes several pages and far more than
// the limits above.
PrintDocument LongDocument() {
  PrintDocument document;
  for (int i = 0; i < 200; ++i) document.lines.push_back("строка " + std::to_string(i));
  return document;
}

// Whether `detail` gives the system's reason for `error`: in English, or in
// the language of the regional settings (the C library translates most
// reasons, Qt's own texts for a few are English).
bool GivesReason(const std::string& detail, int error) {
  const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  const std::string english = strerror_l(error, c);
  freelocale(c);
  return detail.find(english) != std::string::npos || detail.find(std::strerror(error)) != std::string::npos;
}

QStringList FilesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

struct SplitCase {
  const char* name;
  Lines items;
  Lines printed;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class PrintedLinesCases : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PrintedLinesCases, CarriageReturnStartsANewLine) {
  EXPECT_EQ(PrintedLines(GetParam().items), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(Print, PrintedLinesCases,
                         ::testing::Values(SplitCase{"Plain", {"a", "", "b"}, {"a", "", "b"}},
                                           SplitCase{"TitleAndRule", {"ВОДЫ\r———"}, {"ВОДЫ", "———"}},
                                           SplitCase{"CrLfIsOneBreak", {"a\r\nb"}, {"a", "b"}},
                                           SplitCase{"LineFeed", {"a\nb"}, {"a", "b"}},
                                           SplitCase{"TrailingReturn", {"a\r"}, {"a", ""}},
                                           SplitCase{"Nothing", {}, {}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(QtPrinterTest, RenderPdfWritesTheLinesAndStartsNewPages) {
  QTemporaryDir folder(Home() + "/render-XXXXXX");
  const std::string path = (folder.path() + "/render.pdf").toStdString();
  const PrintOutcome outcome = RenderPdf(LongDocument(), path);
  ASSERT_EQ(outcome.kind, PrintOutcome::Kind::SavedAsPdf) << outcome.detail;
  EXPECT_EQ(outcome.path, path);
  const QByteArray pdf = ReadAll(path);
  EXPECT_TRUE(pdf.startsWith("%PDF-"));
  EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
  // 200 lines of 10 points do not fit one page of any paper size.
  EXPECT_GE(PageCount(pdf), 3);
  // The temporary file it was written to is gone.
  EXPECT_EQ(FilesIn(folder.path()), QStringList{QStringLiteral("render.pdf")});
}

TEST_F(QtPrinterTest, RenderPdfReplacesAnOlderFileWhole) {
  QTemporaryDir folder(Home() + "/replace-XXXXXX");
  const QString path = folder.path() + "/protocol.pdf";
  QFile older(path);
  ASSERT_TRUE(older.open(QIODevice::WriteOnly));
  older.write(QByteArray(100000, 'x'));
  older.close();
  const PrintOutcome outcome = RenderPdf(LongDocument(), path.toStdString());
  ASSERT_EQ(outcome.kind, PrintOutcome::Kind::SavedAsPdf) << outcome.detail;
  const QByteArray pdf = ReadAll(path.toStdString());
  EXPECT_TRUE(pdf.startsWith("%PDF-"));
  EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
  EXPECT_FALSE(pdf.contains("xxxxxxxx"));
}

// A PDF that does not fit under the file-size limit is a failure with the
// system's reason; the older file of that name stays as it was and no part
// of the new one is left anywhere.
TEST_F(QtPrinterTest, RenderPdfCutShortFailsAndKeepsTheOlderFile) {
  QTemporaryDir folder(Home() + "/limited-XXXXXX");
  const QString path = folder.path() + "/protocol.pdf";
  QFile older(path);
  ASSERT_TRUE(older.open(QIODevice::WriteOnly));
  older.write("older protocol");
  older.close();
  PrintOutcome outcome;
  {
    const FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Set());
    outcome = RenderPdf(LongDocument(), path.toStdString());
  }
  EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Failed);
  EXPECT_TRUE(GivesReason(outcome.detail, EFBIG)) << outcome.detail;
  EXPECT_NE(outcome.detail.find(path.toStdString()), std::string::npos) << outcome.detail;
  EXPECT_EQ(ReadAll(path.toStdString()), QByteArray("older protocol"));
  EXPECT_EQ(FilesIn(folder.path()), QStringList{QStringLiteral("protocol.pdf")});
}

// The streaming printer writes each page out as the next one starts: before
// the document ends, pages are already in the temporary file beside the PDF,
// and the PDF's own name is not yet taken. No line, no file.
TEST_F(QtPrinterTest, StreamPrinterWritesPagesBeforeTheEnd) {
  QTemporaryDir folder(Home() + "/stream-XXXXXX");
  const std::string path = (folder.path() + "/stream.pdf").toStdString();
  PdfStreamPrinter printer(path);
  EXPECT_EQ(printer.EndDocument().kind, PrintOutcome::Kind::Printed);
  EXPECT_TRUE(FilesIn(folder.path()).isEmpty());
  for (int round = 0; round < 3; ++round) {
    for (const std::string& line : LongDocument().lines) printer.PrintLine(line);
  }
  const QStringList during = FilesIn(folder.path());
  ASSERT_EQ(during.size(), 1);
  EXPECT_TRUE(during.front().startsWith(QStringLiteral(".stream.pdf."))) << during.front().toStdString();
  EXPECT_GT(QFileInfo(folder.path() + "/" + during.front()).size(), 4096);
  const PrintOutcome outcome = printer.EndDocument();
  ASSERT_EQ(outcome.kind, PrintOutcome::Kind::SavedAsPdf) << outcome.detail;
  EXPECT_GE(PageCount(ReadAll(path)), 9);
  EXPECT_EQ(FilesIn(folder.path()), QStringList{QStringLiteral("stream.pdf")});
}

struct BadPathCase {
  const char* name;
  const char* path;  // below the home folder
  int error;         // the system's reason
};

void PrintTo(const BadPathCase& c, std::ostream* os) { *os << c.name; }

class RenderPdfBadPath : public QtPrinterTest, public ::testing::WithParamInterface<BadPathCase> {};

TEST_P(RenderPdfBadPath, FailsWithTheSystemsReason) {
  // A file where a folder is expected, and a folder where the file should go.
  QFile file(Home() + "/plain-file");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  ASSERT_TRUE(QDir().mkpath(Home() + "/a-folder.pdf"));
  PrintDocument document;
  document.lines = {"a"};
  const std::string path = (Home() + "/" + GetParam().path).toStdString();
  const PrintOutcome outcome = RenderPdf(document, path);
  EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Failed);
  EXPECT_TRUE(GivesReason(outcome.detail, GetParam().error)) << outcome.detail;
  EXPECT_NE(outcome.detail.find(path), std::string::npos) << outcome.detail;
}

INSTANTIATE_TEST_SUITE_P(Print, RenderPdfBadPath,
                         ::testing::Values(BadPathCase{"MissingFolder", "missing/folder/x.pdf", ENOENT},
                                           BadPathCase{"FileAsFolder", "plain-file/x.pdf", ENOTDIR},
                                           BadPathCase{"PathIsAFolder", "a-folder.pdf", EISDIR}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(QtPrinterTest, RenderPdfIntoAReadOnlyFolderFails) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
  QTemporaryDir folder(Home() + "/read-only-XXXXXX");
  ASSERT_EQ(chmod(folder.path().toLocal8Bit().constData(), 0555), 0);
  PrintDocument document;
  document.lines = {"a"};
  const PrintOutcome outcome = RenderPdf(document, (folder.path() + "/x.pdf").toStdString());
  chmod(folder.path().toLocal8Bit().constData(), 0755);
  EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Failed);
  EXPECT_TRUE(GivesReason(outcome.detail, EACCES)) << outcome.detail;
}

TEST_F(QtPrinterTest, WithoutPrinterTheProtocolIsSavedInDocuments) {
  QtPrinter printer;
  printer.SetFontName("Courier New Cyr");
  printer.SetFontSize(10.0f);
  printer.PrintLine("          ФИЗИКО - ХИМИЧЕСКИЕ СВОЙСТВА ХЛОРИДА НАТРИЯ ");
  const PrintOutcome first = printer.EndDocument();
  ASSERT_EQ(first.kind, PrintOutcome::Kind::SavedAsPdf) << first.detail;
  const QString documents = Home() + "/Documents/";
  EXPECT_TRUE(QString::fromStdString(first.path).startsWith(documents + "elprops-protocol-")) << first.path;
  EXPECT_TRUE(first.path.ends_with(".pdf"));
  EXPECT_TRUE(ReadAll(first.path).startsWith("%PDF-"));
  EXPECT_NE(first.detail.find("no default printer"), std::string::npos) << first.detail;

  // The printer starts afresh; a second protocol gets a file of its own.
  printer.PrintLine("x");
  const PrintOutcome second = printer.EndDocument();
  ASSERT_EQ(second.kind, PrintOutcome::Kind::SavedAsPdf) << second.detail;
  EXPECT_NE(second.path, first.path);
  EXPECT_TRUE(ReadAll(first.path).startsWith("%PDF-"));
}

// The window's fallback on a full disk: the protocol is reported as not
// saved, with the reason, and no partial or empty file is left.
TEST_F(QtPrinterTest, FallbackPdfCutShortIsReportedAndLeavesNoFile) {
  const QString documents = Home() + "/Documents";
  ASSERT_TRUE(QDir().mkpath(documents));
  const QStringList before = FilesIn(documents);
  QtPrinter printer;
  for (const std::string& line : LongDocument().lines) printer.PrintLine(line);
  PrintOutcome outcome;
  {
    const FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Set());
    outcome = printer.EndDocument();
  }
  EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Failed);
  EXPECT_NE(outcome.detail.find("not saved"), std::string::npos) << outcome.detail;
  EXPECT_TRUE(GivesReason(outcome.detail, EFBIG)) << outcome.detail;
  EXPECT_EQ(FilesIn(documents), before);
}

TEST_F(QtPrinterTest, NoLinesSendNothing) {
  const int before = static_cast<int>(QDir(Home() + "/Documents").entryList(QDir::Files).size());
  QtPrinter printer;
  printer.SetFontName("Courier New Cyr");
  printer.SetFontSize(10.0f);
  const PrintOutcome outcome = printer.EndDocument();
  EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Printed);
  EXPECT_EQ(static_cast<int>(QDir(Home() + "/Documents").entryList(QDir::Files).size()), before);
}

TEST_F(QtPrinterTest, DocumentsFolderThatCannotBeMadeFallsBackToHome) {
  // A file where the documents folder should be.
  const QString documents = Home() + "/Documents";
  QDir(documents).removeRecursively();
  QFile blocker(documents);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QtPrinter printer;
  printer.PrintLine("a");
  const PrintOutcome outcome = printer.EndDocument();
  QFile::remove(documents);
  ASSERT_EQ(outcome.kind, PrintOutcome::Kind::SavedAsPdf) << outcome.detail;
  EXPECT_TRUE(QString::fromStdString(outcome.path).startsWith(Home() + "/elprops-protocol-")) << outcome.path;
}

}  // namespace
}  // namespace elprops::platform
