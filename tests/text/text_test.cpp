// Text and number conversions: the leading-number rule of typed input, the
// general number form, picture formatting, trimming and character counts.
// Expected values are the decimal literals themselves (the compiler rounds
// them correctly) or digits worked out by hand from the exact binary value
// of the single.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "text/text.h"

namespace elprops::text {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

// --- Leading-number rule -------------------------------------------------

struct NumberRow {
  const char* name;
  std::string text;
  double expected;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const NumberRow& r, std::ostream* os) {
  *os << r.name << " (\"" << r.text << "\" -> " << r.expected << ")";
}

class LeadingNumber : public testing::TestWithParam<NumberRow> {};

TEST_P(LeadingNumber, ReadsTheNearestDouble) {
  const NumberRow& row = GetParam();
  const double got = ReadLeadingNumber(row.text);
  EXPECT_EQ(got, row.expected) << "text: \"" << row.text << "\"";
  if (row.expected == 0.0) {
    EXPECT_FALSE(std::signbit(got)) << "no number gives +0";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Typed, LeadingNumber,
    testing::Values(
        NumberRow{"PointFirst", ".5", 0.5}, NumberRow{"ZeroPointFive", "0.5", 0.5},
        NumberRow{"BlanksAroundEverything", " 0 . 5 ", 0.5}, NumberRow{"StopsAtSecondComma", "1.5,3", 1.5},
        NumberRow{"LettersGiveZero", "abc", 0.0}, NumberRow{"NegativeFraction", "-0.3", -0.3},
        NumberRow{"EmptyGivesZero", "", 0.0}, NumberRow{"PointAloneGivesZero", ".", 0.0},
        NumberRow{"MinusAloneGivesZero", "-", 0.0}, NumberRow{"PlusAloneGivesZero", "+", 0.0},
        NumberRow{"NegativeZeroIsZero", "-0.000", 0.0}, NumberRow{"SignedFractionExponent", "+.5e-2", 0.005},
        NumberRow{"SecondPointStops", "1.2.3", 1.2}, NumberRow{"DoubleSignStops", "--1", 0.0},
        NumberRow{"DigitsThenLetters", "12abc", 12.0}, NumberRow{"TabsAndLineFeedsIgnored", "\t1\n2 3", 123.0},
        NumberRow{"CarriageReturnStops", "1\r2", 1.0}, NumberRow{"DExponent", "1D3", 1000.0},
        NumberRow{"LowerDExponent", "1d-3", 0.001}, NumberRow{"UpperEWithPlus", "1E+2", 100.0},
        NumberRow{"BlanksInsideExponent", "2 e - 1", 0.2}, NumberRow{"BareExponentLetter", "7e", 7.0},
        NumberRow{"ExponentSignWithoutDigits", "7e+x", 7.0}, NumberRow{"Hex", "&H1F", 31.0},
        NumberRow{"HexLowerCase", "&hff", 255.0}, NumberRow{"HexStopsAtNonDigit", "&H1G", 1.0},
        NumberRow{"HexWithoutDigits", "&H", 0.0}, NumberRow{"Octal", "&O17", 15.0},
        NumberRow{"OctalStopsAtEight", "&o178", 15.0}, NumberRow{"UnknownPrefix", "&X12", 0.0},
        NumberRow{"AmpersandAlone", "&", 0.0},
        NumberRow{"LongHexRoundsToNearest", "&H20000000000001", 9007199254740992.0},
        NumberRow{"LongHexRoundsUp", "&H20000000000003", 9007199254740996.0},
        NumberRow{"LongOctal", "&O1000000000000000000001", 9223372036854775808.0},
        NumberRow{"HugeHexIsInfinite", "&H" + std::string(300, 'F'), kInf},
        NumberRow{"OverflowIsInfinite", "1e400", kInf}, NumberRow{"NegativeOverflow", "-1e400", -kInf},
        NumberRow{"UnderflowIsZero", "1e-400", 0.0}, NumberRow{"NegativeUnderflowIsZero", "-1e-400", 0.0},
        NumberRow{"EnormousExponent", "1e999999999999999999999999", kInf},
        NumberRow{"EnormousNegativeExponent", "5e-999999999999999999999999", 0.0},
        NumberRow{"ZeroWithEnormousExponent", "0e999999999", 0.0},
        NumberRow{"TieRoundsToEven", "9007199254740993", 9007199254740992.0},
        NumberRow{"AboveTieRoundsUp", "9007199254740993.0000000001", 9007199254740994.0},
        NumberRow{"SmallestSubnormal", "4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
        NumberRow{"LargestDouble", "1.7976931348623157e308", std::numeric_limits<double>::max()},
        NumberRow{"JustBeyondLargestDouble", "1.7976931348623159e308", kInf},
        NumberRow{"ManyLeadingFractionZeros", "0." + std::string(400, '0') + "1e400", 0.1},
        NumberRow{"ManyTrailingZeros", "1" + std::string(400, '0') + "e-400", 1.0}, NumberRow{"OneTenth", "0.1", 0.1}),
    RowName<NumberRow>);

// --- Nearest single ------------------------------------------------------

TEST(NearestSingle, RoundsIntoTheSingleRange) {
  constexpr float kMax = std::numeric_limits<float>::max();
  constexpr float kInfF = std::numeric_limits<float>::infinity();
  EXPECT_EQ(NearestSingle(0.99999999), 1.0f);
  EXPECT_EQ(NearestSingle(0.9999), 0.9999f);
  EXPECT_EQ(NearestSingle(0.1), 0.1f);
  EXPECT_EQ(NearestSingle(static_cast<double>(kMax)), kMax);
  // Above the largest single but nearer to it than to the next power of two.
  EXPECT_EQ(NearestSingle(3.4028235e38), kMax);
  EXPECT_EQ(NearestSingle(-3.4028235e38), -kMax);
  // Half a unit beyond it and more: an infinity.
  EXPECT_EQ(NearestSingle(static_cast<double>(kMax) + 0x1p103), kInfF);
  EXPECT_EQ(NearestSingle(1e39), kInfF);
  EXPECT_EQ(NearestSingle(-1e39), -kInfF);
  EXPECT_EQ(NearestSingle(kInf), kInfF);
  EXPECT_EQ(NearestSingle(1e-50), 0.0f);
}

// --- General number form -------------------------------------------------

struct FormRow {
  const char* name;
  float value;
  const char* expected;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const FormRow& r, std::ostream* os) {
  *os << r.name << " (" << r.value << " -> \"" << r.expected << "\")";
}

class GeneralForm : public testing::TestWithParam<FormRow> {};

TEST_P(GeneralForm, Writes) { EXPECT_EQ(GeneralNumberForm(GetParam().value), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Singles, GeneralForm,
    testing::Values(
        FormRow{"Zero", 0.0f, " 0"}, FormRow{"NegativeZero", -0.0f, " 0"},
        FormRow{"OneTenthHasNoLeadingZero", 0.1f, " .1"}, FormRow{"Twenty", 20.0f, " 20"},
        FormRow{"NegativeFraction", -0.3f, "-.3"}, FormRow{"OneAndAHalf", 1.5f, " 1.5"},
        FormRow{"NegativeWhole", -5.0f, "-5"}, FormRow{"SevenDigitsWithFraction", 123456.7f, " 123456.7"},
        FormRow{"SevenDigitWhole", 1234567.0f, " 1234567"}, FormRow{"LargestFixed", 9999999.0f, " 9999999"},
        FormRow{"Million", 1e6f, " 1000000"}, FormRow{"EightDigitsTurnToExponent", 12345678.0f, " 1.234568E+07"},
        FormRow{"OneAndAHalfTimesTenToSeven", 1.5e7f, " 1.5E+07"}, FormRow{"TenToTheMinusFiveFixed", 1e-5f, " .00001"},
        FormRow{"TenToTheMinusSixExponent", 1e-6f, " 1E-06"}, FormRow{"SmallNegative", -0.000123f, "-.000123"},
        FormRow{"NearlyOneBecomesOne", 0.99999999f, " 1"}, FormRow{"OneThird", 1.0f / 3.0f, " .3333333"},
        FormRow{"TwoThirdsRoundsUp", 2.0f / 3.0f, " .6666667"}, FormRow{"SaturationAtTwenty", 0.5421876f, " .5421876"},
        FormRow{"RoundingCarriesIntoExponent", 1e11f, " 1E+11"},
        FormRow{"LargestSingle", std::numeric_limits<float>::max(), " 3.402823E+38"},
        FormRow{"SmallestSubnormal", std::numeric_limits<float>::denorm_min(), " 1.401298E-45"},
        FormRow{"Infinity", std::numeric_limits<float>::infinity(), " Inf"},
        FormRow{"NegativeInfinity", -std::numeric_limits<float>::infinity(), "-Inf"}),
    RowName<FormRow>);

// Typed text, read as typed input is read and stored as a single, then
// shown in the general number form: the 7th significant digit is rounded
// from the single's exact binary value, not from the digits typed. The
// singles (bit patterns) and the exact decimal values that decide the
// rounding were worked out separately in exact decimal arithmetic; none of
// these is an exact half.
struct TypedRow {
  const char* name;
  const char* typed;
  std::uint32_t bits;    // the single stored
  const char* expected;  // the general number form
};

void PrintTo(const TypedRow& row, std::ostream* os) { *os << row.name; }

class TypedThenShown : public testing::TestWithParam<TypedRow> {};

TEST_P(TypedThenShown, RoundsTheSeventhDigitFromTheSingle) {
  const TypedRow& row = GetParam();
  const float stored = NearestSingle(ReadLeadingNumber(row.typed));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(stored), row.bits) << row.typed;
  EXPECT_EQ(GeneralNumberForm(stored), row.expected) << row.typed;
}

INSTANTIATE_TEST_SUITE_P(Typed, TypedThenShown,
                         testing::Values(
                             // 0.15000005066394805908203125: above the half, up.
                             TypedRow{"AboveHalfRoundsUp", "0.15000005", 0x3e19999du, " .1500001"},
                             // 1.23456752300262451171875: up.
                             TypedRow{"TypedHalfStoredAbove", "1.2345675", 0x3f9e064fu, " 1.234568"},
                             TypedRow{"NegativeStoredAbove", "-1.2345675", 0xbf9e064fu, "-1.234568"},
                             // 1.2345664501190185546875: the typed half is stored below it, down.
                             TypedRow{"TypedHalfStoredBelow", "1.2345665", 0x3f9e0646u, " 1.234566"},
                             // 0.123456649482250213623046875: down.
                             TypedRow{"FractionStoredBelow", "0.12345665", 0x3dfcd6d7u, " .1234566"},
                             // 3.141592502593994140625: up.
                             TypedRow{"PiStoredAbove", "3.1415925", 0x40490fdau, " 3.141593"},
                             // 0.3141592442989349365234375: down.
                             TypedRow{"TenthOfPiStoredBelow", "0.31415925", 0x3ea0d97bu, " .3141592"},
                             // 0.999999940395355224609375: down to seven nines, not up to 1.
                             TypedRow{"JustBelowOne", "0.99999995", 0x3f7fffffu, " .9999999"},
                             // 9.99999904632568359375: down.
                             TypedRow{"JustBelowTen", "9.9999995", 0x411fffffu, " 9.999999"},
                             // 2.000000476837158203125: down to 2, trailing zeros dropped.
                             TypedRow{"DownToAWholeNumber", "2.0000005", 0x40000002u, " 2"},
                             // 0.000123456746223382651805877685546875: down.
                             TypedRow{"SmallFraction", "0.00012345675", 0x3901742bu, " .0001234567"},
                             // 0.1000000536441802978515625: up.
                             TypedRow{"UpFromZeros", "0.10000005", 0x3dccccd4u, " .1000001"},
                             // 20.0000057220458984375: up.
                             TypedRow{"TemperatureUp", "20.000005", 0x41a00003u, " 20.00001"},
                             // 270.00001 is stored as 270 exactly.
                             TypedRow{"StoredAsWhole", "270.00001", 0x43870000u, " 270"}),
                         RowName<TypedRow>);

// --- Picture formatting --------------------------------------------------

struct PictureRow {
  const char* name;
  float value;
  int decimals;
  const char* separator;
  const char* expected;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const PictureRow& r, std::ostream* os) {
  *os << r.name << " (" << r.value << ", " << r.decimals << " decimals, \"" << r.separator << "\" -> \"" << r.expected
      << "\")";
}

class Picture : public testing::TestWithParam<PictureRow> {};

TEST_P(Picture, Formats) {
  const PictureRow& row = GetParam();
  EXPECT_EQ(FormatPicture(row.value, row.decimals, row.separator), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Patterns, Picture,
                         testing::Values(PictureRow{"TwoDecimals", 20.0f, 2, ".", "20.00"},
                                         PictureRow{"NoDecimalsEndsWithSeparator", 4182.4f, 0, ".", "4182."},
                                         PictureRow{"NoDecimalsComma", 4182.4f, 0, ",", "4182,"},
                                         PictureRow{"SixDecimalsRoundsUp", 0.0010016f, 6, ".", "0.001002"},
                                         PictureRow{"OneDecimal", 998.2f, 1, ".", "998.2"},
                                         PictureRow{"CommaSeparator", 1070.638f, 1, ",", "1070,6"},
                                         PictureRow{"ViscosityDigits", 0.001208059f, 6, ",", "0,001208"},
                                         PictureRow{"TensionDigits", 0.07964794f, 5, ".", "0.07965"},
                                         PictureRow{"ConductivityDigits", 0.5867352f, 3, ".", "0.587"},
                                         PictureRow{"Negative", -12.345f, 1, ".", "-12.3"},
                                         PictureRow{"NegativeRoundingToZeroHasNoMinus", -0.0001f, 3, ".", "0.000"},
                                         PictureRow{"NegativeZero", -0.0f, 2, ".", "0.00"},
                                         PictureRow{"ExactHalfGoesAwayFromZero", 0.125f, 2, ".", "0.13"},
                                         PictureRow{"NegativeExactHalf", -1.25f, 1, ".", "-1.3"},
                                         PictureRow{"HalfWithNoDecimals", 2.5f, 0, ".", "3."},
                                         PictureRow{"NegativeHalfWithNoDecimals", -2.5f, 0, ".", "-3."},
                                         // 1.005 as a single is 1.00499999523..., below the half.
                                         PictureRow{"BinaryValueBelowTheDecimalHalf", 1.005f, 2, ".", "1.00"},
                                         // 0.045 as a single is 0.0450000017881..., above it.
                                         PictureRow{"BinaryValueAboveTheDecimalHalf", 0.045f, 2, ".", "0.05"},
                                         PictureRow{"CarryThroughNines", 9.9999f, 2, ".", "10.00"},
                                         PictureRow{"CarryAddsADigit", 999.96f, 1, ".", "1000.0"},
                                         PictureRow{"NoGrouping", 123456792.0f, 0, ".", "123456792."},
                                         PictureRow{"SmallValueLeadingZero", 0.0004f, 3, ".", "0.000"},
                                         PictureRow{"Infinity", std::numeric_limits<float>::infinity(), 2, ".", "Inf"}),
                         RowName<PictureRow>);

struct WholeRow {
  const char* name;
  float value;
  const char* expected;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const WholeRow& r, std::ostream* os) {
  *os << r.name << " (" << r.value << " -> \"" << r.expected << "\")";
}

class Whole : public testing::TestWithParam<WholeRow> {};

TEST_P(Whole, Formats) { EXPECT_EQ(FormatWhole(GetParam().value), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Patterns, Whole,
                         testing::Values(WholeRow{"RoundsDown", 3747.392f, "3747"},
                                         WholeRow{"SixTenthsRaiseTheLastDigit", 4182.618f, "4183"},
                                         WholeRow{"WaterAtHundred", 4215.45f, "4215"},
                                         WholeRow{"HalfGoesUp", 0.5f, "1"}, WholeRow{"SmallNegativeIsZero", -0.4f, "0"},
                                         WholeRow{"NegativeHalf", -2.5f, "-3"},
                                         WholeRow{"LargeHasNoGrouping", 1e10f, "10000000000"},
                                         WholeRow{"NegativeInfinity", -std::numeric_limits<float>::infinity(), "-Inf"}),
                         RowName<WholeRow>);

// --- Trim and character count -------------------------------------------

TEST(Trim, RemovesOnlyOuterBlanks) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("20.00"), "20.00");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim("    "), "");
  EXPECT_EQ(Trim("\ta "), "\ta");
  EXPECT_EQ(Trim(" ВОДЫ "), "ВОДЫ");
}

TEST(CharCount, CountsCodePoints) {
  EXPECT_EQ(CharCount(""), 0u);
  EXPECT_EQ(CharCount("abc"), 3u);
  EXPECT_EQ(CharCount("ПЛОТНОСТЬ"), 9u);
  EXPECT_EQ(CharCount("ТЕПЛОЁМКОСТЬ - "), 15u);
  EXPECT_EQ(CharCount("a\u20acb"), 3u);
  EXPECT_EQ(CharCount("\U0001F600"), 1u);
}

}  // namespace
}  // namespace elprops::text
