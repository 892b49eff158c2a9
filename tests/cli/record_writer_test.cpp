// Records as CSV (cells quoted as RFC 4180 asks) and as JSON lines.
#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>

#include "cli/output/record_writer.h"

namespace elprops::cli {
namespace {

constexpr std::string_view kFields[] = {"name", "x", "m", "note", "raw"};

std::string Written(Format format, std::string_view text, float x, double m) {
  std::string written;
  {
    OutputBuffer out([&written](std::string_view data) {
      written += data;
      return true;
    });
    RecordWriter record(out, format, kFields);
    record.WriteHeader();
    record.Text(text).Float(x).Double(m).Null().Raw("12");
    record.EndRecord();
  }
  return written;
}

struct RecordRow {
  const char* name;
  std::string text;
  float x;
  double m;
  std::string csv;   // the row after the header
  std::string json;  // the line
};

void PrintTo(const RecordRow& row, std::ostream* os) { *os << row.name; }

class Record : public testing::TestWithParam<RecordRow> {};

TEST_P(Record, CsvAndJson) {
  const RecordRow& row = GetParam();
  EXPECT_EQ(Written(Format::Csv, row.text, row.x, row.m), "name,x,m,note,raw\n" + row.csv + "\n");
  EXPECT_EQ(Written(Format::Json, row.text, row.x, row.m), row.json + "\n");
}

constexpr float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cells, Record,
    testing::Values(RecordRow{"PlainText", "NaCl", 0.1f, 3.4215, "NaCl,0.1,3.4215,,12",
                              R"({"name":"NaCl","x":0.1,"m":3.4215,"note":null,"raw":12})"},
                    RecordRow{"CommaIsQuoted", "a,b", 1e-20f, 1.0 / 3.0, "\"a,b\",1e-20,0.333333333,,12",
                              R"({"name":"a,b","x":1e-20,"m":0.333333333,"note":null,"raw":12})"},
                    RecordRow{"QuotesDoubled", "say \"hi\"", 1070.6378f, 0.0, "\"say \"\"hi\"\"\",1070.6378,0,,12",
                              R"({"name":"say \"hi\"","x":1070.6378,"m":0,"note":null,"raw":12})"},
                    RecordRow{"LineBreakQuoted", "a\r\nb", 0.5f, 2.0, "\"a\r\nb\",0.5,2,,12",
                              R"({"name":"a\u000d\u000ab","x":0.5,"m":2,"note":null,"raw":12})"},
                    RecordRow{"ControlCharactersEscapedInBoth", std::string("t\tab\0\x1f\"", 7), 0.5f, 2.0,
                              "\"t\\u0009ab\\u0000\\u001f\"\"\",0.5,2,,12",
                              R"({"name":"t\u0009ab\u0000\u001f\"","x":0.5,"m":2,"note":null,"raw":12})"},
                    RecordRow{"LongPlainAndUtf8InRuns",
                              "0123456789 \xC2\xB0"
                              "C, \xFF",
                              0.5f, 2.0,
                              "\"0123456789 \xC2\xB0"
                              "C, \xFF\",0.5,2,,12",
                              "{\"name\":\"0123456789 \xC2\xB0"
                              "C, \xEF\xBF\xBD\",\"x\":0.5,\"m\":2,\"note\":null,\"raw\":12}"},
                    RecordRow{"InfinityIsNullInJson", "", kInf, 1.0, ",inf,1,,12",
                              R"({"name":"","x":null,"m":1,"note":null,"raw":12})"},
                    RecordRow{"ControlCharactersEscaped", std::string("a\x01\tb\0c\x1f", 7), 1.0f, 1.0,
                              R"(a\u0001\u0009b\u0000c\u001f,1,1,,12)",
                              R"({"name":"a\u0001\u0009b\u0000c\u001f","x":1,"m":1,"note":null,"raw":12})"}),
    [](const testing::TestParamInfo<RecordRow>& c) { return std::string(c.param.name); });

// A control character anywhere in a long cell is escaped, wherever it
// falls in the blocks of characters looked at together.
TEST(Record, ControlCharacterAnywhereInALongCell) {
  for (const std::size_t at : {0, 7, 15, 16, 17, 31, 39}) {
    std::string text(40, 'a');
    text[at] = '\x01';
    std::string cell = text;
    cell.replace(at, 1, "\\u0001");
    EXPECT_EQ(Written(Format::Csv, text, 0.5f, 2.0), "name,x,m,note,raw\n" + cell + ",0.5,2,,12\n") << at;
  }
}

// An input cell echoed as it was given: in JSON a number only when it is
// written as JSON writes one.
TEST(Record, EchoWritesTheCellAsGiven) {
  static constexpr std::string_view kOne[] = {"c"};
  const char* const rows[][3] = {{"0.10", "0.10", "0.10"},  {"1e-50", "1e-50", "1e-50"}, {"0,5", "\"0,5\"", "\"0,5\""},
                                 {"+20", "+20", "\"+20\""}, {"01", "01", "\"01\""},      {"", "", "null"}};
  for (const auto& row : rows) {
    for (const Format format : {Format::Csv, Format::Json}) {
      std::string written;
      OutputBuffer out([&written](std::string_view data) { return written += data, true; });
      RecordWriter(out, format, kOne).Echo(row[0]).EndRecord();
      out.Flush();
      EXPECT_EQ(written, format == Format::Csv ? std::string(row[1]) + "\n" : "{\"c\":" + std::string(row[2]) + "}\n");
    }
  }
}

}  // namespace
}  // namespace elprops::cli
