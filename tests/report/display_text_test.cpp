// The texts of the two result labels, built from given values.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "report/display_text.h"

namespace elprops::report {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find('\r', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

TEST(InputLabel, SolutionShowsBothInputsWithAPoint) {
  EXPECT_EQ(InputLabelText(17, 0.1f, 20.0f), "КОНЦЕНТРАЦИЯ -  .1 Кг/Кг\rТЕМПЕРАТУРА -  20 Град. Цельсия");
  EXPECT_EQ(InputLabelText(6, 0.15f, 25.5f), "КОНЦЕНТРАЦИЯ -  .15 Кг/Кг\rТЕМПЕРАТУРА -  25.5 Град. Цельсия");
  EXPECT_EQ(InputLabelText(1, 0.9999f, 1.5f), "КОНЦЕНТРАЦИЯ -  .9999 Кг/Кг\rТЕМПЕРАТУРА -  1.5 Град. Цельсия");
}

TEST(InputLabel, WaterLeavesTheFirstLineEmpty) {
  EXPECT_EQ(InputLabelText(19, 0.0f, 20.0f), "\rТЕМПЕРАТУРА -  20 Град. Цельсия");
  EXPECT_EQ(InputLabelText(19, 0.0f, 199.9f), "\rТЕМПЕРАТУРА -  199.9 Град. Цельсия");
}

TEST(ResultLabel, FourteenLinesWithCaptionsUnitsAndEmptyLines) {
  // Sodium chloride at 0.1 and 20 degrees.
  const model::PropertySet p{1070.638f, 0.001208059f, 0.07964794f, 3747.392f, 0.5867352f};
  const std::vector<std::string> expected{"ПЛОТНОСТЬ -",
                                          "1070.6  КГ/(M^3)",
                                          "",
                                          "ВЯЗКОСТЬ - ",
                                          "0.001208 ПА*С",
                                          "",
                                          "ПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ - ",
                                          "0.07965  Н/М",
                                          "",
                                          "ТЕПЛОЁМКОСТЬ - ",
                                          "3747  ДЖ/(КГ*К)",
                                          "",
                                          "ТЕПЛОПРОВОДНОСТЬ -",
                                          "0.587  ВТ/(М*К)"};
  EXPECT_EQ(Lines(ResultLabelText(p, ".")), expected);
}

TEST(ResultLabel, DensityUnitHasALatinM) {
  const std::string text = ResultLabelText(model::PropertySet{}, ".");
  const auto lines = Lines(text);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_NE(lines[1].find("КГ/(M^3)"), std::string::npos);
  // Every other letter of the captions and units is Cyrillic.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == 1) continue;
    EXPECT_TRUE(std::none_of(lines[i].begin(), lines[i].end(),
                             [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }))
        << "line " << i + 1 << ": " << lines[i];
  }
}

TEST(ResultLabel, UsesTheGivenSeparatorAndRoundsTheHeatCapacity) {
  // Water at 20 degrees: the heat capacity 4182.618 is raised to 4183.
  const model::PropertySet p{998.3648f, 0.000998348f, 0.0727071f, 4182.618f, 0.599014f};
  const auto lines = Lines(ResultLabelText(p, ","));
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[1], "998,4  КГ/(M^3)");
  EXPECT_EQ(lines[4], "0,000998 ПА*С");
  EXPECT_EQ(lines[7], "0,07271  Н/М");
  EXPECT_EQ(lines[10], "4183  ДЖ/(КГ*К)");
  EXPECT_EQ(lines[13], "0,599  ВТ/(М*К)");
}

TEST(ResultLabel, NoLineBreakAfterTheLastLine) {
  const std::string text = ResultLabelText(model::PropertySet{}, ".");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 13);
  EXPECT_NE(text.back(), '\r');
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace elprops::report
