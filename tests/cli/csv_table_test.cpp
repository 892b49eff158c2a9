// The tests' own CSV reader, checked on its own before it judges the
// program's output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/csv_table.h"

namespace elprops::cli::testing {
namespace {

using Records = std::vector<std::vector<std::string>>;

TEST(CsvTableReader, QuotedFieldsEmptyFieldsAndLineEnds) {
  const CsvTable t("a,b,c\r\n1,\"x,\"\"y\"\"\",\r\n\"multi\nline\",,3\n,,\n4,5,6");
  EXPECT_EQ(t.Error(), "");
  EXPECT_EQ(t.Records(),
            (Records{{"a", "b", "c"}, {"1", "x,\"y\"", ""}, {"multi\nline", "", "3"}, {"", "", ""}, {"4", "5", "6"}}));
  EXPECT_EQ(t.RowCount(), 4u);
  EXPECT_EQ(t.Get(0, "b"), "x,\"y\"");
  EXPECT_EQ(t.Get(3, "c"), "6");
  EXPECT_EQ(t.Get(0, "d"), std::nullopt);
}

TEST(CsvTableReader, ShortRecordsHaveNoValueForTheMissingColumns) {
  const CsvTable t("a,b,c\n1,2\n");
  EXPECT_EQ(t.FieldCount(0), 2u);
  EXPECT_EQ(t.Get(0, "b"), "2");
  EXPECT_EQ(t.Get(0, "c"), std::nullopt);
}

TEST(CsvTableReader, MalformedTextIsAnError) {
  for (const char* text : {"a,\"b\n", "a,\"b\"c\n", "a,b\"c\n", "a\rb\n"}) {
    EXPECT_NE(CsvTable(text).Error(), "") << text;
  }
}

}  // namespace
}  // namespace elprops::cli::testing
