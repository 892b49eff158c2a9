// The report's field routines: exchange sorts, fixed decimals, centred
// cells, the short form of values too wide for their cell, the date stamp.
#include "report/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "text/text.h"

namespace elprops::report {
namespace {

using Floats = std::vector<float>;

// The exchange sequence written out literally: for i, for j from i, exchange
// when keys[j] < keys[i] or either is a NaN.
void ReferenceExchange(Floats& keys, Floats* companion) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (std::size_t j = i; j < keys.size(); ++j) {
      if (keys[j] < keys[i] || std::isnan(keys[j]) || std::isnan(keys[i])) {
        std::swap(keys[i], keys[j]);
        if (companion) std::swap((*companion)[i], (*companion)[j]);
      }
    }
  }
}

// Bit-exact comparison, so that NaN and -0 count too.
bool SameBits(const Floats& a, const Floats& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return false;
  }
  return true;
}

struct SortCase {
  const char* name;
  Floats keys, companion, sortedKeys, sortedCompanion;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name << " (" << c.keys.size() << " keys)"; }

class SortWithCompanionCases : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortWithCompanionCases, EndsInTheExchangeOrder) {
  SortCase c = GetParam();
  SortWithCompanion(c.keys, c.companion);
  EXPECT_EQ(c.keys, c.sortedKeys);
  EXPECT_EQ(c.companion, c.sortedCompanion);
}

// Companions stand for the letters: x=24, y=25, z=26; a=1, b=2, c=3.
INSTANTIATE_TEST_SUITE_P(
    Report, SortWithCompanionCases,
    ::testing::Values(
        SortCase{"ThreeDistinct", {3, 1, 2}, {24, 25, 26}, {1, 2, 3}, {25, 26, 24}},
        SortCase{"TieBeforeSmaller", {2, 2, 1}, {1, 2, 3}, {1, 2, 2}, {3, 2, 1}},
        SortCase{"SortedWithTiesUntouched", {1, 2, 2, 3, 3}, {5, 4, 3, 2, 1}, {1, 2, 2, 3, 3}, {5, 4, 3, 2, 1}},
        SortCase{"Empty", {}, {}, {}, {}}, SortCase{"One", {7}, {8}, {7}, {8}},
        // 0.3, 0.1, 0.2 with 30, 10, 20: each temperature follows its concentration.
        SortCase{"Concentrations", {0.3f, 0.1f, 0.2f}, {30, 10, 20}, {0.1f, 0.2f, 0.3f}, {10, 20, 30}},
        // i=1: 0.2 > 0.1 at j=3, exchange; i=2: 0.2 vs 0.2 equal, kept.
        SortCase{"EqualConcentrations", {0.2f, 0.2f, 0.1f}, {30, 10, 20}, {0.1f, 0.2f, 0.2f}, {20, 10, 30}},
        SortCase{"Descending", {4, 3, 2, 1}, {1, 2, 3, 4}, {1, 2, 3, 4}, {4, 3, 2, 1}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SortWithCompanion, ElementsBeyondTheCountAreLeftAlone) {
  Floats keys{3, 1, 9, 0};
  Floats companion{30, 10, 90, 5, 6};
  SortWithCompanion(std::span<float>(keys).first(2), companion);
  EXPECT_EQ(keys, (Floats{1, 3, 9, 0}));
  EXPECT_EQ(companion, (Floats{10, 30, 90, 5, 6}));
}

TEST(SortWithCompanion, CompanionShorterThanKeysIsRefused) {
  Floats keys{2, 1};
  Floats companion{1};
  EXPECT_THROW(SortWithCompanion(keys, companion), std::invalid_argument);
  EXPECT_EQ(keys, (Floats{2, 1}));
}

TEST(SortWithCompanion, ComparisonWithNaNCountsAsLess) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // i=1, j=2: "NaN < 1" counts as true, so the two are exchanged.
  Floats keys{1, nan};
  Floats companion{10, 20};
  SortWithCompanion(keys, companion);
  EXPECT_TRUE(std::isnan(keys[0]));
  EXPECT_EQ(keys[1], 1.0f);
  EXPECT_EQ(companion, (Floats{20, 10}));
}

TEST(SortAscending, SmallCases) {
  Floats none;
  SortAscending(none);
  EXPECT_TRUE(none.empty());
  Floats one{5};
  SortAscending(one);
  EXPECT_EQ(one, Floats{5});
  Floats temperatures{40, 20, 30, 20, 10};
  SortAscending(temperatures);
  EXPECT_EQ(temperatures, (Floats{10, 20, 20, 30, 40}));
  Floats keys{3, 1, 2, 0};
  SortAscending(std::span<float>(keys).first(3));
  EXPECT_EQ(keys, (Floats{1, 2, 3, 0}));
}

// Long runs (the log has no fixed size) must end exactly where the literal
// exchange sequence ends, ties, signed zeros and NaNs included.
TEST(Sorts, LongRunsMatchTheLiteralExchangeSequence) {
  std::mt19937 random(12345);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int round = 0; round < 60; ++round) {
    const std::size_t n = 50 + static_cast<std::size_t>(round) * 7;
    Floats keys(n), companion(n);
    for (std::size_t i = 0; i < n; ++i) {
      switch (round % 4) {
        case 0:  // distinct keys
          keys[i] = static_cast<float>(i) * 0.01f;
          break;
        case 1:  // many ties
          keys[i] = static_cast<float>(random() % 5) * 0.1f;
          break;
        case 2:  // a few NaNs
          keys[i] = random() % 17 == 0 ? nan : static_cast<float>(random() % 1000);
          break;
        default:  // signed zeros among ties
          keys[i] = random() % 3 == 0 ? (random() % 2 ? 0.0f : -0.0f) : static_cast<float>(random() % 4);
          break;
      }
      companion[i] = static_cast<float>(i);
    }
    std::shuffle(keys.begin(), keys.end(), random);

    Floats expectedKeys = keys, expectedCompanion = companion;
    ReferenceExchange(expectedKeys, &expectedCompanion);
    Floats sortedKeys = keys, sortedCompanion = companion;
    SortWithCompanion(sortedKeys, sortedCompanion);
    EXPECT_TRUE(SameBits(sortedKeys, expectedKeys)) << "round " << round;
    EXPECT_EQ(sortedCompanion, expectedCompanion) << "round " << round;

    Floats alone = keys, expectedAlone = keys;
    ReferenceExchange(expectedAlone, nullptr);
    SortAscending(alone);
    EXPECT_TRUE(SameBits(alone, expectedAlone)) << "round " << round;
  }
}

struct FixedCase {
  const char* name;
  float value;
  std::size_t width;
  int decimals;
  const char* separator;
  std::string expected;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const FixedCase& c, std::ostream* os) {
  *os << c.name << " (" << c.value << ", width " << c.width << ", " << c.decimals << " decimals -> \"" << c.expected
      << "\")";
}

class FormatFixedCases : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FormatFixedCases, PadsOnTheLeftNeverCuts) {
  const FixedCase& c = GetParam();
  EXPECT_EQ(FormatFixed(c.value, c.width, c.decimals, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Report, FormatFixedCases,
                         ::testing::Values(FixedCase{"Temperature", 20.0f, 8, 2, ".", "   20.00"},
                                           FixedCase{"Density", 998.2f, 8, 1, ".", "   998.2"},
                                           FixedCase{"ViscosityExactWidth", 0.0010016f, 8, 6, ".", "0.001002"},
                                           FixedCase{"NoDecimalsEndsInSeparator", 4182.4f, 7, 0, ".", "  4182."},
                                           FixedCase{"CommaSeparator", 4182.4f, 7, 0, ",", "  4182,"},
                                           FixedCase{"CommaConcentration", 0.1f, 7, 4, ",", " 0,1000"},
                                           FixedCase{"LongerComesBackWhole", 12345.678f, 5, 2, ".", "12345.68"},
                                           FixedCase{"Negative", -0.5f, 8, 3, ".", "  -0.500"},
                                           FixedCase{"ZeroWidth", 1.5f, 0, 1, ".", "1.5"},
                                           // Arabic decimal separator: two bytes, one character.
                                           FixedCase{"WideSeparatorCountsOnce", 20.0f, 8, 2, "\u066b",
                                                     "   20\u066b00"}),
                         [](const auto& row) { return std::string(row.param.name); });

// Rounding to the nearest on the exact binary value of the single, an exact
// half away from zero; the digits worked out by hand from each single's
// exact value.
INSTANTIATE_TEST_SUITE_P(
    Rounding, FormatFixedCases,
    ::testing::Values(FixedCase{"ExactHalfUp", 0.125f, 0, 2, ".", "0.13"},
                      FixedCase{"ExactHalfNegative", -0.125f, 0, 2, ".", "-0.13"},
                      FixedCase{"WholeHalf", 2.5f, 0, 0, ".", "3."},
                      // 1.005 is stored as 1.00499999523..., below the half.
                      FixedCase{"JustBelowHalf", 1.005f, 0, 2, ".", "1.00"},
                      // 9.9995 is stored as 9.99950027..., above the half: the carry runs through.
                      FixedCase{"CarryIntoTheWholePart", 9.9995f, 0, 3, ".", "10.000"},
                      // 123456.7890625 is exact: its seventh decimal is a half.
                      FixedCase{"HalfAtTheSeventhDecimal", 123456.7890625f, 0, 6, ".", "123456.789063"},
                      FixedCase{"NegativeRoundsToZeroWithoutSign", -0.00004f, 0, 4, ".", "0.0000"},
                      FixedCase{"SmallestSubnormal", 1e-45f, 0, 6, ",", "0,000000"},
                      FixedCase{"TwelveDecimalsOfALargeValue", 16777216.0f, 0, 12, ".", "16777216.000000000000"},
                      FixedCase{"LargestSingle", 3.4028235e38f, 0, 0, ".", "340282346638528859811704183484516925440."}),
    [](const auto& row) { return std::string(row.param.name); });

// FormatFixed reads the rounded digits off directly where it can; they must
// be the digits of the platform's picture formatting, which expands the
// exact decimal value, for every count of decimals and any magnitude.
TEST(FormatFixed, SameDigitsAsThePicturePattern) {
  std::mt19937 random(2024);
  const auto draw = [&random] { return static_cast<std::uint32_t>(random()); };
  int failures = 0;
  for (int round = 0; round < 20000; ++round) {
    // Magnitudes from about 1e-12 to 1e15, beyond what 2^53 allows with many decimals.
    const std::uint32_t exponent = 87u + draw() % 90u;
    const std::uint32_t bits = ((draw() % 2u) << 31) | (exponent << 23) | (draw() & 0x7FFFFFu);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    for (int decimals = 0; decimals <= 13; ++decimals) {
      const char* separator = decimals % 2 == 0 ? "." : ",";
      const std::string expected = text::FormatPicture(value, decimals, separator);
      const std::string actual = FormatFixed(value, 0, decimals, separator);
      if (actual != expected && ++failures <= 5) {
        ADD_FAILURE() << "bits " << bits << ", " << decimals << " decimals: " << actual << " instead of " << expected;
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

struct CenterCase {
  const char* name;
  std::string text;
  std::size_t width;
  std::string expected;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const CenterCase& c, std::ostream* os) {
  *os << c.name << " (\"" << c.text << "\" in " << c.width << " -> \"" << c.expected << "\")";
}

class CenterInFieldCases : public ::testing::TestWithParam<CenterCase> {};

TEST_P(CenterInFieldCases, CentresWithTheOddBlankRight) {
  const CenterCase& c = GetParam();
  EXPECT_EQ(CenterInField(c.text, c.width), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Report, CenterInFieldCases,
                         ::testing::Values(CenterCase{"Width11", "   20.00", 11, "   20.00   |"},
                                           CenterCase{"Width8OddRight", "   20.00", 8, " 20.00  |"},
                                           CenterCase{"Width9", "   998.2", 9, "  998.2  |"},
                                           CenterCase{"Full", "0.001002", 8, "0.001002|"},
                                           CenterCase{"TrimsBothEnds", "  7.5  ", 5, " 7.5 |"},
                                           CenterCase{"Empty", "", 4, "    |"},
                                           CenterCase{"CyrillicCountsCharacters", "ОШИБКА", 9, " ОШИБКА  |"},
                                           CenterCase{"TooLongKeptWhole", "123456789", 8, "123456789|"}),
                         [](const auto& row) { return std::string(row.param.name); });

// A value whose fixed form does not fit its cell comes in exponent form that
// does, so the row keeps its bars.
struct CellCase {
  const char* name;
  float value;
  std::size_t fieldWidth;
  int decimals;
  std::size_t cellWidth;
  const char* separator;
  std::string expected;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const CellCase& c, std::ostream* os) {
  *os << c.name << " (" << c.value << " in a cell of " << c.cellWidth << " -> \"" << c.expected << "\")";
}

class FormatCellCases : public ::testing::TestWithParam<CellCase> {};

TEST_P(FormatCellCases, FitsTheCell) {
  const CellCase& c = GetParam();
  const std::string cell = FormatCell(c.value, c.fieldWidth, c.decimals, c.cellWidth, c.separator);
  EXPECT_EQ(cell, c.expected);
  EXPECT_EQ(text::CharCount(cell), c.cellWidth + 1);
}

INSTANTIATE_TEST_SUITE_P(Report, FormatCellCases,
                         ::testing::Values(
                             // Values that fit are the centred fixed form.
                             CellCase{"FixedFits", 0.0796479f, 11, 5, 13, ".", "   0.07965   |"},
                             CellCase{"ExactlyFull", -556746.0f, 11, 5, 13, ".", "-556746.00000|"},
                             // 11.2777 Pa*s: "11.277700" is nine characters; three significant
                             // digits are the most that fit eight.
                             CellCase{"ViscosityTenOrMore", 11.2777f, 8, 6, 8, ".", "1.13E+01|"},
                             CellCase{"ViscosityWithComma", 11.2777f, 8, 6, 8, ",", "1,13E+01|"},
                             CellCase{"LargeViscosity", 2958.69f, 8, 6, 8, ".", "2.96E+03|"},
                             // -3.29281E+07 N/m: fifteen characters in fixed form.
                             CellCase{"HugeNegativeTension", -32928100.0f, 11, 5, 13, ".", "-3.292810E+07|"},
                             CellCase{"HugeTensionComma", -2.62568e10f, 11, 5, 13, ",", "-2,625680E+10|"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FormatCell, NotFiniteValuesStillFit) {
  EXPECT_EQ(FormatCell(std::numeric_limits<float>::infinity(), 8, 6, 8, "."), "  inf   |");
  EXPECT_EQ(text::CharCount(FormatCell(std::numeric_limits<float>::quiet_NaN(), 8, 6, 8, ".")), 9u);
}

struct MonthCase {
  int month;
  int index;
};

TEST(StampMonthIndex, MonthAboveTwelveGivesTwelve) {
  for (const MonthCase c :
       {MonthCase{1, 1}, MonthCase{3, 3}, MonthCase{12, 12}, MonthCase{13, 12}, MonthCase{99, 12}, MonthCase{0, 1}}) {
    EXPECT_EQ(StampMonthIndex(c.month), c.index) << "month " << c.month;
  }
  EXPECT_EQ(MonthNames[StampMonthIndex(13)], " декабря ");
  EXPECT_EQ(MonthNames[3], " марта ");
}

class FakeLocale final : public platform::LocaleOps {
 public:
  FakeLocale(bool leadingZero, std::string time) : leadingZero_(leadingZero), time_(std::move(time)) {}
  [[nodiscard]] std::string DecimalSeparator() const override { return "."; }
  [[nodiscard]] std::string ShortDateDay(int day) const override {
    std::string text = std::to_string(day);
    return leadingZero_ && text.size() < 2 ? "0" + text : text;
  }
  [[nodiscard]] std::string TimeText(const platform::LocalDateTime&) const override { return time_; }

 private:
  bool leadingZero_;
  std::string time_;
};

struct StampCase {
  const char* name;
  platform::LocalDateTime when;
  bool leadingZero;
  std::string time;
  std::string expected;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const StampCase& c, std::ostream* os) { *os << c.name << " (\"" << c.expected << "\")"; }

class FormatPrintStampCases : public ::testing::TestWithParam<StampCase> {};

TEST_P(FormatPrintStampCases, DayMonthYearEightBlanksTime) {
  const StampCase& c = GetParam();
  EXPECT_EQ(FormatPrintStamp(c.when, FakeLocale(c.leadingZero, c.time)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Report, FormatPrintStampCases,
    ::testing::Values(
        StampCase{"DayFirst", {2026, 12, 8, 14, 5, 9}, true, "14:05:09", "08 декабря 2026г.        14:05:09"},
        StampCase{"MonthFirst", {2026, 12, 8, 14, 5, 9}, false, "2:05:09 PM", "8 декабря 2026г.        2:05:09 PM"},
        StampCase{"MonthThirteen", {2026, 13, 8, 14, 5, 9}, true, "14:05:09", "08 декабря 2026г.        14:05:09"},
        StampCase{"March", {2024, 3, 1, 0, 0, 0}, true, "00:00:00", "01 марта 2024г.        00:00:00"},
        StampCase{"TwoDigitDay", {2025, 5, 31, 9, 1, 2}, false, "9:01:02 AM", "31 мая 2025г.        9:01:02 AM"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace elprops::report
