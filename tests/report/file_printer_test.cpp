// The printer that writes each printed line to a file at once: the lines it
// writes, the same text as the printer that keeps them, and failed writes
// reported with the system's reason.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/catalogue.h"
#include "report/line_printer.h"
#include "report/protocol.h"
#include "report/run_log.h"

namespace elprops::report {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string ReadBack(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  return text;
}

TEST(FilePrinter, WritesEachPrintedLineEndedByALineFeed) {
  const File file(std::tmpfile());
  ASSERT_NE(file, nullptr);
  FilePrinter printer(file.get());
  printer.SetFontName("Courier New Cyr");
  printer.SetFontSize(10.0f);
  // A carriage return, a CR LF pair and a lone line feed each start a line.
  for (const std::string_view item : {"first", "", "title\rrule", "a\r\nb", "c\nd", "end\r", "—|—"}) {
    printer.PrintLine(item);
  }
  const platform::PrintOutcome outcome = printer.EndDocument();
  EXPECT_EQ(outcome.kind, platform::PrintOutcome::Kind::Printed);
  EXPECT_EQ(outcome.detail, "");
  EXPECT_FALSE(printer.Failed());
  const std::string expected = "first\n\ntitle\nrule\na\nb\nc\nd\nend\n\n—|—\n";
  EXPECT_EQ(ReadBack(file.get()), expected);
  EXPECT_EQ(printer.BytesWritten(), expected.size());
}

TEST(FilePrinter, NothingPrintedWritesNothing) {
  const File file(std::tmpfile());
  ASSERT_NE(file, nullptr);
  FilePrinter printer(file.get());
  EXPECT_EQ(printer.EndDocument().kind, platform::PrintOutcome::Kind::Printed);
  EXPECT_EQ(ReadBack(file.get()), "");
}

// A device that is always full: the lines fill the buffer, the write fails
// and the document ends as failed with the system's reason.
TEST(FilePrinter, AFullDeviceIsReportedWithTheSystemsReason) {
  const File file(std::fopen("/dev/full", "w"));
  if (file == nullptr) GTEST_SKIP() << "no /dev/full here";
  FilePrinter printer(file.get());
  const std::string line(100, 'x');
  for (int i = 0; i < 1000; ++i) printer.PrintLine(line);
  const platform::PrintOutcome outcome = printer.EndDocument();
  EXPECT_EQ(outcome.kind, platform::PrintOutcome::Kind::Failed);
  EXPECT_EQ(outcome.detail, std::strerror(ENOSPC));
  EXPECT_TRUE(printer.Failed());
  EXPECT_EQ(printer.Error(), std::strerror(ENOSPC));
}

TEST(FilePrinter, AStreamOpenForReadingCannotTakeTheLines) {
  const File scratch(std::tmpfile());
  ASSERT_NE(scratch, nullptr);
  // The same file again, for reading only.
  const File file(std::fopen(("/proc/self/fd/" + std::to_string(fileno(scratch.get()))).c_str(), "r"));
  if (file == nullptr) GTEST_SKIP() << "no /proc/self/fd here";
  FilePrinter printer(file.get());
  printer.PrintLine("a line");
  const platform::PrintOutcome outcome = printer.EndDocument();
  EXPECT_EQ(outcome.kind, platform::PrintOutcome::Kind::Failed);
  EXPECT_EQ(outcome.detail, std::strerror(EBADF));
}

class FixedClock final : public platform::ClockOps {
 public:
  [[nodiscard]] platform::LocalDateTime Now() const override { return {2026, 12, 8, 14, 5, 9}; }
};

class CommaLocale final : public platform::LocaleOps {
 public:
  [[nodiscard]] std::string DecimalSeparator() const override { return ","; }
  [[nodiscard]] std::string ShortDateDay(int day) const override { return std::to_string(day); }
  [[nodiscard]] std::string TimeText(const platform::LocalDateTime&) const override { return "14:05:09"; }
};

// The whole protocol, title with its carriage return included, comes out
// of the file as the printer that keeps the lines holds it.
TEST(FilePrinter, AProtocolIsTheTextTheKeepingPrinterHolds) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  report::RunLog log;
  log.Clear();
  for (int i = 0; i < 40; ++i) {
    const auto step = static_cast<float>(i % 7);
    log.RecordPoint(17, 0.05f + 0.01f * step, 10.0f + 2.0f * static_cast<float>(i));
    log.RecordPoint(3, 0.1f, 20.0f + step);
    log.RecordPoint(model::kWater, 0.0f, 5.0f + 3.0f * step);
  }
  const FixedClock clock;
  const CommaLocale locale;

  report::RunLog kept = log;
  LinePrinter linePrinter;
  PrintProtocol(tables, kept, linePrinter, clock, locale);

  const File file(std::tmpfile());
  ASSERT_NE(file, nullptr);
  report::RunLog streamed = log;
  FilePrinter filePrinter(file.get());
  const platform::PrintOutcome outcome = PrintProtocol(tables, streamed, filePrinter, clock, locale);
  EXPECT_EQ(outcome.kind, platform::PrintOutcome::Kind::Printed);
  const std::string text = ReadBack(file.get());
  EXPECT_EQ(text, linePrinter.Text());
  EXPECT_NE(text.find("\n                ФИЗИКО-ХИМИЧЕСКИЕ СВОЙСТВА ВОДЫ\n———"), std::string::npos);
  EXPECT_TRUE(streamed.StampPrinted);
}

}  // namespace
}  // namespace elprops::report
