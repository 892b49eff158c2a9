#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv_reader.h"

namespace elprops::cli {
namespace {

struct Read {
  std::vector<std::string> rows;  // "substance|concentration|temperature@line"
  std::string error;
};

Read ReadAll(std::string_view input) {
  MemorySource source(input);
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
    r.rows.push_back(std::string(p.substance) + "|" + std::string(p.concentration) + "|" + std::string(p.temperature) +
                     "@" + std::to_string(p.line));
  }
  return r;
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

TEST(PointReader, ErrorsNameTheLine) {
  const struct {
    const char* input;
    const char* error;
  } rows[] = {
      {"", "the input is empty: the header substance,concentration,temperature is missing"},
      {"\n\n", "the input is empty: the header substance,concentration,temperature is missing"},
      {"substance,temperature,concentration\n", "line 1: the header must be substance,concentration,temperature"},
      {"substance,concentration\n", "line 1: the header must be substance,concentration,temperature"},
      {"NaCl,0.1,20\n", "line 1: the header must be substance,concentration,temperature"},
      {"substance,concentration,temperature\nNaCl,0.1,20\nNaCl,0.1\n",
       "line 3: expected 3 cells (substance,concentration,temperature), found fewer"},
      {"substance,concentration,temperature\n\nNaCl,0,1,20\n",
       "line 3: expected 3 cells (substance,concentration,temperature), found more"},
      {"substance,concentration,temperature\nNaCl,\"0,1,20\n", "line 2: a quoted cell is not closed"},
      {"substance,concentration,temperature\nNaCl,\"0,1\"x,20\n", "line 2: text after the closing quote of a cell"},
  };
  for (const auto& row : rows) EXPECT_EQ(ReadAll(row.input).error, row.error) << row.input;
}

TEST(PointReader, RowsBeforeAnErrorAreDelivered) {
  const Read r = ReadAll("substance,concentration,temperature\nNaCl,0.1,20\nbroken\nNaCl,0.2,20\n");
  EXPECT_EQ(r.rows, (std::vector<std::string>{"NaCl|0.1|20@2"}));
  EXPECT_EQ(r.error.substr(0, 7), "line 3:");
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

  MemorySource longSource("ok\n123456789012\n");
  LineReader longLines(longSource, 8);
  ASSERT_EQ(longLines.Next(line), LineReader::Result::Line);
  EXPECT_EQ(longLines.Next(line), LineReader::Result::TooLong);
  EXPECT_EQ(longLines.LineNumber(), 2u);
}

}  // namespace
}  // namespace elprops::cli
