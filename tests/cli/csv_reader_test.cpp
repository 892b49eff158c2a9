#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli/input/csv_reader.h"

namespace elprops::cli {
namespace {

struct Read {
  // "substance|concentration|temperature@line", a row that is not a point
  // as "! message | substance|concentration|temperature".
  std::vector<std::string> rows;
  std::string error;
};

// Gives its text a byte a read: every record crosses the ends of reads.
struct ByteByByteSource final : ByteSource {
  std::string_view data;
  std::size_t Read(char* buffer, std::size_t size) override {
    if (data.empty() || size == 0) return 0;
    *buffer = data.front();
    data.remove_prefix(1);
    return 1;
  }
};

Read ReadFrom(ByteSource& source) {
  PointReader reader(source);
  Read r;
  CsvPoint p;
  for (;;) {
    const auto next = reader.Next(p);
    if (next == PointReader::Result::End) break;
    if (next == PointReader::Result::Error) {
      r.error = reader.ErrorMessage();
      break;
    }
    const std::string cells =
        std::string(p.substance) + "|" + std::string(p.concentration) + "|" + std::string(p.temperature);
    if (next == PointReader::Result::BadRow) {
      r.rows.push_back("! " + reader.ErrorMessage() + " | " + cells);
    } else {
      r.rows.push_back(cells + "@" + std::to_string(p.line));
    }
  }
  return r;
}

Read ReadAll(std::string_view input) {
  MemorySource source(input);
  return ReadFrom(source);
}

TEST(PointReader, ReadsRowsAfterTheHeader) {
  const Read r = ReadAll("substance,concentration,temperature\nNaCl,0.1,20\nH2O,,100\n");
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.rows, (std::vector<std::string>{"NaCl|0.1|20@2", "H2O||100@3"}));
}

TEST(PointReader, AcceptsCrLfBlankLinesQuotesAndAByteOrderMark) {
  const Read r = ReadAll(
      "\xEF\xBB\xBFSubstance, Concentration ,temperature\r\n\r\nNaCl,\"0,1\",20\r\n  \n\"K\"\"X\",0.2, \"25,5\" "
      "\r\n17,0.1,20");
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.rows, (std::vector<std::string>{"NaCl|0,1|20@3", "K\"X|0.2|25,5@5", "17|0.1|20@6"}));
}

TEST(PointReader, NumbersAreReadWithThePoint) {
  MemorySource source("substance,concentration,temperature\nNaCl,\"0,25\",1e1\nNaCl,1e39,20\n");
  PointReader reader(source);
  CsvPoint p;
  ASSERT_EQ(reader.Next(p), PointReader::Result::Point);
  EXPECT_EQ(p.concentrationValue.value, 0.25f);
  EXPECT_EQ(p.temperatureValue.value, 10.0f);
  // Beyond the single range is still a point; computing it refuses it.
  ASSERT_EQ(reader.Next(p), PointReader::Result::Point);
  EXPECT_EQ(p.concentrationValue.error, NumberError::OutOfRange);
}

struct FatalRow {
  const char* name;
  std::string input;
  const char* error;
};

void PrintTo(const FatalRow& row, std::ostream* os) { *os << row.name; }

class UnreadableInput : public testing::TestWithParam<FatalRow> {};

TEST_P(UnreadableInput, StopsWithTheReason) { EXPECT_EQ(ReadAll(GetParam().input).error, GetParam().error); }

INSTANTIATE_TEST_SUITE_P(
    Inputs, UnreadableInput,
    testing::Values(
        FatalRow{"Empty", "", "the input is empty: the header substance,concentration,temperature is missing"},
        FatalRow{"BlankLines", "\n\n", "the input is empty: the header substance,concentration,temperature is missing"},
        FatalRow{"TwoColumns", "substance,concentration\n",
                 "line 1: the header must name the columns substance, concentration and temperature, in any order, "
                 "separated by commas or semicolons"},
        FatalRow{"NoHeader", "NaCl,0.1,20\n",
                 "line 1: the header must name the columns substance, concentration and temperature, in any order, "
                 "separated by commas or semicolons"},
        FatalRow{"HeaderQuoteNotClosed", "\"substance,concentration,temperature\n",
                 "line 1: the header must name the columns substance, concentration and temperature, in any order, "
                 "separated by commas or semicolons"},
        FatalRow{"HeaderTooLong", std::string(300000, 'x') + "\nNaCl,0.1,20\n",
                 "line 1: the line is longer than 262144 characters; the header must be "
                 "substance,concentration,temperature"}),
    [](const testing::TestParamInfo<FatalRow>& row) { return std::string(row.param.name); });

struct BadRowCase {
  const char* name;
  std::string row;       // the third line of the input
  std::string expected;  // as ReadAll shows it
};

void PrintTo(const BadRowCase& row, std::ostream* os) { *os << row.name; }

class BadRow : public testing::TestWithParam<BadRowCase> {};

// Each bad row between two good ones: it is reported with its line and
// cell, and the rows after it are read.
TEST_P(BadRow, IsReportedAndTheNextRowIsRead) {
  const Read r = ReadAll("substance,concentration,temperature\nNaCl,0.1,20\n" + GetParam().row + "\nKCl,0.2,30\n");
  EXPECT_EQ(r.error, "");
  ASSERT_EQ(r.rows.size(), 3u);
  EXPECT_EQ(r.rows[0], "NaCl|0.1|20@2");
  EXPECT_EQ(r.rows[1], GetParam().expected);
  EXPECT_EQ(r.rows[2], "KCl|0.2|30@4");
}

const std::string kSixtyFourLetters = std::string(64, 'z');

INSTANTIATE_TEST_SUITE_P(
    Rows, BadRow,
    testing::Values(
        BadRowCase{"NotANumberWord", "NaCl,nan,20", "! line 3: concentration \"nan\" is not a number | NaCl|nan|20"},
        BadRowCase{"Infinity", "NaCl,0.1,inf", "! line 3: temperature \"inf\" is not a number | NaCl|0.1|inf"},
        BadRowCase{"HexadecimalFloat", "NaCl,0x1p-3,20",
                   "! line 3: concentration \"0x1p-3\" is not a number | NaCl|0x1p-3|20"},
        BadRowCase{"Letters", "NaCl, abc ,20", "! line 3: concentration \"abc\" is not a number | NaCl| abc |20"},
        BadRowCase{"ExponentWithoutDigits", "NaCl,1e,20",
                   "! line 3: concentration \"1e\" is not a number | NaCl|1e|20"},
        BadRowCase{"LongText", "NaCl,0.1," + kSixtyFourLetters,
                   "! line 3: temperature \"" + std::string(40, 'z') + "...\" is not a number | NaCl|0.1|" +
                       kSixtyFourLetters},
        BadRowCase{"HeaderAgain", "Substance,Concentration,Temperature",
                   "! line 3: the header line again (were two inputs joined?); it is not a point | "
                   "Substance|Concentration|Temperature"},
        BadRowCase{"HeaderAgainWithByteOrderMark", "\xEF\xBB\xBFsubstance,concentration,temperature",
                   "! line 3: the header line again (were two inputs joined?); it is not a point | "
                   "substance|concentration|temperature"},
        BadRowCase{"TwoCells", "NaCl,0.1",
                   "! line 3: expected 3 cells (substance,concentration,temperature), found 2 | NaCl|0.1|"},
        BadRowCase{"FourCells", "NaCl,0,1,20",
                   "! line 3: expected 3 cells (substance,concentration,temperature), found 4 | NaCl|0|1"},
        BadRowCase{"QuoteNotClosed", "NaCl,\"0,1,20",
                   "! line 3: the quote that opens the concentration cell is not closed | NaCl||"},
        BadRowCase{"TextAfterQuote", "\"NaCl\"x,0.1,20",
                   "! line 3: text after the closing quote of the substance cell | ||"},
        BadRowCase{"QuoteInFifthCellNotClosed", "NaCl,1,2,3,\"4",
                   "! line 3: the quote that opens the cell 5 is not closed | NaCl|1|2"},
        BadRowCase{"LineTooLong", "NaCl,0.1," + std::string(300000, '1'),
                   "! line 3: the line is longer than 262144 characters | ||"}),
    [](const testing::TestParamInfo<BadRowCase>& row) { return std::string(row.param.name); });

// Quoted line breaks, line ends and empty cells at the end of a row, read
// whole and a byte a read alike: "input after the header", rows.
TEST(PointReader, SplitsRecordsAsRfc4180Says) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"\"a\nb\",0.1,20\nKCl,0.2,30\n", {"a\nb|0.1|20@2", "KCl|0.2|30@4"}},
      {"\"a\r\n\"\"b\",0.1,20\r\nKCl,0.2,30", {"a\r\n\"b|0.1|20@2", "KCl|0.2|30@4"}},
      {"NaCl,0.1,20\r\nKCl,0.2,30", {"NaCl|0.1|20@2", "KCl|0.2|30@3"}},
      {"NaCl,0.1,20,,\nKCl,0.2,30, ,\n", {"NaCl|0.1|20@2", "KCl|0.2|30@3"}},
      {"\"NaCl,0.1,20\nKCl,\"0,2\",30\n",
       {"! line 2: the quote that opens the substance cell is not closed | ||", "KCl|0,2|30@3"}},
      {"\"x\n" + std::string(300000, 'q') + "\nKCl,0.2,30",
       {"! line 2: the quote that opens the substance cell is not closed | ||",
        "! line 3: the line is longer than 262144 characters | ||", "KCl|0.2|30@4"}}};
  for (const auto& [rows, expected] : cases) {
    const std::string input = "substance,concentration,temperature,,\n" + rows;
    ByteByByteSource slow;
    slow.data = input;
    for (const Read& r : {ReadAll(input), ReadFrom(slow)}) {
      EXPECT_EQ(r.error, "");
      EXPECT_EQ(r.rows, expected) << rows.substr(0, 40);
    }
  }
}

TEST(FileSource, AStopRequestEndsTheReadWithoutWaitingForInput) {
  // An empty pipe whose writer stays open: a read would wait. (Non-blocking,
  // so that a read that is made anyway fails at once instead of hanging.)
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_NONBLOCK), 0);
  std::FILE* file = fdopen(fds[0], "rb");
  ASSERT_NE(file, nullptr);
  std::atomic<int> stop{0};
  FileSource source(file, "standard input", &stop);
  char buffer[16];
  ASSERT_EQ(write(fds[1], "ab", 2), 2);
  EXPECT_EQ(source.Read(buffer, sizeof buffer), 2u);
  EXPECT_FALSE(source.Failed());
  stop.store(SIGINT);
  EXPECT_EQ(source.Read(buffer, sizeof buffer), 0u);
  EXPECT_TRUE(source.Failed());
  EXPECT_EQ(source.ErrorNumber(), EINTR);
  std::fclose(file);
  close(fds[1]);
}

TEST(PointReader, AReadErrorIsReportedWithTheSourceAndTheReason) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  // The writing end read from: EBADF.
  std::FILE* file = fdopen(fds[1], "wb");
  ASSERT_NE(file, nullptr);
  FileSource source(file, "standard input");
  PointReader reader(source);
  CsvPoint p;
  EXPECT_EQ(reader.Next(p), PointReader::Result::Error);
  EXPECT_EQ(reader.ErrorMessage(), "cannot read standard input: Bad file descriptor");
  std::fclose(file);
  close(fds[0]);
}

TEST(LineReader, LinesAcrossBufferRefillsAndTooLongLines) {
  // A buffer of 8 characters: lines up to 7 characters plus the line feed
  // are read across refills; a longer one is refused.
  std::string input = "abc\ndefghij\nk";
  MemorySource source(input);
  LineReader lines(source, 8);
  std::string_view line;
  ASSERT_EQ(lines.Next(line), LineReader::Result::Line);
  EXPECT_EQ(line, "abc");
  ASSERT_EQ(lines.Next(line), LineReader::Result::Line);
  EXPECT_EQ(line, "defghij");
  ASSERT_EQ(lines.Next(line), LineReader::Result::Line);
  EXPECT_EQ(line, "k");
  EXPECT_EQ(lines.LineNumber(), 3u);
  EXPECT_EQ(lines.Next(line), LineReader::Result::End);

  // A line too long is reported and skipped to its end, however long;
  // the lines after it are read.
  MemorySource longSource("ok\n123456789012345678901234567890\nnext\n12345678");
  LineReader longLines(longSource, 8);
  ASSERT_EQ(longLines.Next(line), LineReader::Result::Line);
  EXPECT_EQ(longLines.Next(line), LineReader::Result::TooLong);
  EXPECT_EQ(longLines.LineNumber(), 2u);
  ASSERT_EQ(longLines.Next(line), LineReader::Result::Line);
  EXPECT_EQ(line, "next");
  EXPECT_EQ(longLines.LineNumber(), 3u);
  EXPECT_EQ(longLines.Next(line), LineReader::Result::TooLong);
  EXPECT_EQ(longLines.LineNumber(), 4u);
  EXPECT_EQ(longLines.Next(line), LineReader::Result::End);
}

}  // namespace
}  // namespace elprops::cli
