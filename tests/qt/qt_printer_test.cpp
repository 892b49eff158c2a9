// The Qt printer without a print system: the lines it prints, the PDF it
// writes, and the fallback PDF when there is no printer. The process runs
// with CUPS_SERVER on a socket where nothing answers and HOME in a
// temporary folder (set before the first test).
#include "qt_printer.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <memory>
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

struct SplitCase {
  const char* name;
  Lines items;
  Lines printed;
};

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
  const std::string path = (Home() + "/render.pdf").toStdString();
  PrintDocument document;
  for (int i = 0; i < 200; ++i) document.lines.push_back("строка " + std::to_string(i));
  const PrintOutcome outcome = RenderPdf(document, path);
  ASSERT_EQ(outcome.kind, PrintOutcome::Kind::SavedAsPdf) << outcome.detail;
  EXPECT_EQ(outcome.path, path);
  const QByteArray pdf = ReadAll(path);
  EXPECT_TRUE(pdf.startsWith("%PDF-"));
  // 200 lines of 10 points do not fit one page of any paper size.
  EXPECT_GE(PageCount(pdf), 3);
}

TEST_F(QtPrinterTest, RenderPdfIntoAMissingFolderFails) {
  PrintDocument document;
  document.lines = {"a"};
  const PrintOutcome outcome = RenderPdf(document, (Home() + "/missing/folder/x.pdf").toStdString());
  EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Failed);
  EXPECT_FALSE(outcome.detail.empty());
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
