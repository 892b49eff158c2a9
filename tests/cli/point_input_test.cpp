#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <elprops/compute.hpp>
#include <elprops/text.hpp>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>

#include "cli/input/point_input.h"
#include "cli/input/sweep.h"

namespace elprops::cli {
namespace {

struct NumberRow {
  const char* name;
  const char* text;
  NumberError error;
  float value;
};

void PrintTo(const NumberRow& row, std::ostream* os) { *os << row.name; }

const std::string kSixtyFourLettersText(64, 'a');
const char* const kSixtyFourLetters = kSixtyFourLettersText.c_str();
const std::string kTenthWithZerosText = "0.1" + std::string(61, '0');
const char* const kTenthWithZeros = kTenthWithZerosText.c_str();
const std::string kLongAboveMidpointText = "1.000000059604644775390625" + std::string(60, '0') + "1";
const char* const kLongAboveMidpoint = kLongAboveMidpointText.c_str();

class ReadNumber : public testing::TestWithParam<NumberRow> {};

TEST_P(ReadNumber, AsTheWindowReadsIt) {
  const NumberRow& row = GetParam();
  const ParsedNumber n = ParseSingle(row.text);
  EXPECT_EQ(n.error, row.error) << '"' << row.text << '"';
  if (row.error == NumberError::None) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(n.value), std::bit_cast<std::uint32_t>(row.value))
        << '"' << row.text << "\" gave " << n.value;
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadNumber,
                         testing::Values(NumberRow{"Point", "0.5", NumberError::None, 0.5f},
                                         NumberRow{"Comma", "0,5", NumberError::None, 0.5f},
                                         NumberRow{"LeadingComma", ",5", NumberError::None, 0.5f},
                                         NumberRow{"Blanks", "  0.1\t", NumberError::None, 0.1f},
                                         NumberRow{"PlusSign", "+20", NumberError::None, 20.0f},
                                         NumberRow{"NegativeComma", "-0,3", NumberError::None, -0.3f},
                                         NumberRow{"Exponent", "1e-3", NumberError::None, 0.001f},
                                         NumberRow{"ExponentWithComma", "2,5E+1", NumberError::None, 25.0f},
                                         NumberRow{"EmptyIsZero", "", NumberError::None, 0.0f},
                                         NumberRow{"BlankIsZero", "   ", NumberError::None, 0.0f},
                                         NumberRow{"BecomesOneInSingle", "0.99999999", NumberError::None, 1.0f},
                                         NumberRow{"JustBelowOne", "0.9999", NumberError::None, 0.9999f},
                                         NumberRow{"TinyIsZero", "1e-400", NumberError::None, 0.0f},
                                         NumberRow{"LargestSingle", "3.4028235e38", NumberError::None, 3.4028235e38f},
                                         NumberRow{"Letters", "abc", NumberError::NotANumber, 0.0f},
                                         NumberRow{"TwoSeparators", "1,5,3", NumberError::NotANumber, 0.0f},
                                         NumberRow{"TrailingText", "20C", NumberError::NotANumber, 0.0f},
                                         NumberRow{"Infinity", "inf", NumberError::NotANumber, 0.0f},
                                         NumberRow{"NotANumberWord", "nan", NumberError::NotANumber, 0.0f},
                                         NumberRow{"Hexadecimal", "0x10", NumberError::NotANumber, 0.0f},
                                         NumberRow{"InnerBlank", "0 5", NumberError::NotANumber, 0.0f},
                                         NumberRow{"SignOnly", "-", NumberError::NotANumber, 0.0f},
                                         NumberRow{"TwoSigns", "--1", NumberError::NotANumber, 0.0f},
                                         NumberRow{"HexadecimalFloat", "0x1p-3", NumberError::NotANumber, 0.0f},
                                         NumberRow{"ExponentWithoutDigits", "1e", NumberError::NotANumber, 0.0f},
                                         NumberRow{"SixtyFourLetters", kSixtyFourLetters, NumberError::NotANumber,
                                                   0.0f},
                                         NumberRow{"TenthWithSixtyOneZeros", kTenthWithZeros, NumberError::None, 0.1f},
                                         // Just above the midpoint between 1 and the next single, by far
                                         // less than half a double step: the double is the midpoint, and
                                         // the single 1 (ties to even).
                                         NumberRow{"LongAboveTheMidpoint", kLongAboveMidpoint, NumberError::None, 1.0f},
                                         NumberRow{"BeyondSingle", "1e39", NumberError::OutOfRange, 0.0f},
                                         NumberRow{"BeyondDouble", "1e400", NumberError::OutOfRange, 0.0f}),
                         [](const testing::TestParamInfo<NumberRow>& row) { return std::string(row.param.name); });

TEST(ReadNumberRounding, GoesThroughDoubleBeforeSingle) {
  // Slightly above the midpoint between 1 and the next single, but within
  // half a double step of it: the double is the midpoint itself, which
  // rounds to even (1). Read straight to a single it would round up.
  const char* text = "1.0000000596046448";
  float direct = 0.0f;
  std::from_chars(text, text + 18, direct);
  ASSERT_EQ(direct, std::nextafter(1.0f, 2.0f));
  EXPECT_EQ(ParseSingle(text).value, 1.0f);
  EXPECT_EQ(ParseSingle("1,0000000596046448").value, 1.0f);
}

// Plain decimals (the common case, read on a quick path) give the double
// the standard library reads from them, digit for digit: up to sixteen
// digits, the point anywhere, with a comma as well.
TEST(ReadNumberPlain, SameDoubleAsTheStandardLibrary) {
  std::uint64_t state = 12345;
  for (int k = 0; k < 200000; ++k) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const int digits = 1 + static_cast<int>((state >> 33) % 16);
    std::string text = std::to_string(state >> 11).substr(0, static_cast<std::size_t>(digits));
    const auto point = static_cast<std::size_t>((state >> 20) % static_cast<std::uint64_t>(digits + 1));
    if (point < text.size()) text.insert(point == 0 ? 0 : point, point == 0 ? "0." : ".");
    double expected = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(ParseDecimal(text).value), std::bit_cast<std::uint64_t>(expected)) << text;
    std::replace(text.begin(), text.end(), '.', ',');
    EXPECT_EQ(std::bit_cast<std::uint64_t>(ParseDecimal(text).value), std::bit_cast<std::uint64_t>(expected)) << text;
  }
}

// A text said to be its own shortest text is what std::to_chars writes for
// the single it reads as; typical plain texts are said to be so.
TEST(ReadNumberPlain, ShortestTextAsTheStandardLibraryWritesIt) {
  const char* const forms[] = {"%.0f", "%.1f", "%.2f", "%.3f", "%.4f", "%.6f", "%.8f", "%.0e", "%.3g", "%.7g"};
  std::uint64_t state = 7;
  int echoed = 0;
  for (int k = 0; k < 100000; ++k) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double value = static_cast<double>(state >> 40) / static_cast<double>(1ull << ((state >> 8) % 40));
    char text[64];
    std::snprintf(text, sizeof text, forms[(state >> 4) % std::size(forms)], value);
    const float single = ParseSingle(text).value;
    char written[32];
    const std::string_view shortest(written, std::to_chars(written, written + sizeof written, single).ptr);
    if (const auto plain = PlainDecimal(text); plain && plain->shortest) {
      ++echoed;
      ASSERT_EQ(shortest, text);
    }
  }
  EXPECT_GT(echoed, 30000);
  for (const char* text : {"", "0.0", "05", "1.", ".5", "0,5", "-1", "1e3", "1000000", "0.0001", "1.234567", " 1"}) {
    EXPECT_FALSE(PlainDecimal(text) && PlainDecimal(text)->shortest) << '"' << text << '"';
  }
}

struct PointRow {
  const char* name;
  std::uint8_t substance;
  float x, t;
  bool admissible;
};

void PrintTo(const PointRow& row, std::ostream* os) { *os << row.name; }

class Admissible : public testing::TestWithParam<PointRow> {};

// The command line computes its points through the library, which refuses
// what the window's input refuses.
TEST_P(Admissible, AsTheWindowDecides) {
  const PointRow& p = GetParam();
  const result r = compute(substance_id{p.substance}, p.x, p.t);
  EXPECT_EQ(r.error().kind != error_kind::inadmissible_input, p.admissible) << r.error().message;
  if (!r) {
    EXPECT_FALSE(r.error().message.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, Admissible,
    testing::Values(
        PointRow{"SaltInside", 17, 0.1f, 20.0f, true}, PointRow{"SaltZeroConcentration", 17, 0.0f, 20.0f, false},
        PointRow{"SaltConcentrationOne", 17, 1.0f, 20.0f, false},
        PointRow{"SaltJustBelowOne", 17, std::nextafter(1.0f, 0.0f), 20.0f, true},
        PointRow{"SaltNegative", 17, -0.3f, 20.0f, false}, PointRow{"TemperatureOnLowerLimit", 17, 0.1f, 1e-20f, false},
        PointRow{"TemperatureAboveLowerLimit", 17, 0.1f, std::nextafter(1e-20f, 1.0f), true},
        PointRow{"TemperatureZero", 17, 0.1f, 0.0f, false}, PointRow{"TemperatureNegative", 17, 0.1f, -5.0f, false},
        PointRow{"SaltAt250", 17, 0.1f, 250.0f, true}, PointRow{"SaltOnUpperLimit", 17, 0.1f, 270.0f, false},
        PointRow{"SaltBelowUpperLimit", 17, 0.1f, std::nextafter(270.0f, 0.0f), true},
        PointRow{"SaltAt280", 17, 0.1f, 280.0f, false}, PointRow{"WaterAt250", 19, 0.0f, 250.0f, false},
        PointRow{"WaterOnUpperLimit", 19, 0.0f, 200.0f, false},
        PointRow{"WaterBelowUpperLimit", 19, 0.0f, std::nextafter(200.0f, 0.0f), true},
        PointRow{"WaterNegativeZero", 19, -0.0f, 20.0f, true},
        PointRow{"WaterWithConcentration", 19, 0.1f, 20.0f, false}),
    [](const testing::TestParamInfo<PointRow>& row) { return std::string(row.param.name); });

TEST(Shortest, ReadsBackToTheSameSingleAndNoShorterTextDoes) {
  for (const float v : {0.1f, 1070.638f, 0.0012080587f, 3747.392f, 1e-20f, 4215.45f, -5.6e5f, 16777217.0f,
                        std::nextafter(1.0f, 2.0f), 3.4028235e38f, 1.4e-45f}) {
    const std::string text = shortest_text(v);
    float back = 0.0f;
    std::from_chars(text.data(), text.data() + text.size(), back);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(v)) << text;
    EXPECT_EQ(text.find(','), std::string::npos);
    // One significant digit fewer no longer identifies the single.
    std::string mantissa;
    for (const char c : text.substr(0, text.find('e'))) {
      if (c >= '0' && c <= '9') mantissa += c;
    }
    mantissa.erase(0, mantissa.find_first_not_of('0'));
    mantissa.erase(mantissa.find_last_not_of('0') + 1);
    const int digits = static_cast<int>(mantissa.size());
    char shorter[64];
    const auto r = std::to_chars(shorter, shorter + 64, static_cast<double>(v), std::chars_format::scientific,
                                 std::max(0, digits - 2));
    float shortBack = 0.0f;
    std::from_chars(shorter, r.ptr, shortBack);
    if (text.find_first_not_of("0.-") != std::string::npos && digits > 1) {
      EXPECT_NE(shortBack, v) << text << " vs " << std::string(shorter, r.ptr);
    }
  }
}

TEST(SweepValues, RangeEndsInclusiveWithTypedValues) {
  std::string error;
  const auto s = Sweep::Parse("0.1:0.3:0.1", error);
  ASSERT_TRUE(s) << error;
  ASSERT_EQ(s->Count(), 3u);
  EXPECT_EQ(s->At(0).value, 0.1f);
  EXPECT_EQ(s->At(1).value, 0.2f);
  EXPECT_EQ(s->At(2).value, 0.3f);

  const auto t = Sweep::Parse("20:80:20", error);
  ASSERT_TRUE(t);
  ASSERT_EQ(t->Count(), 4u);
  EXPECT_EQ(t->At(3).value, 80.0f);

  const auto comma = Sweep::Parse("0,05:0,15:0,05", error);
  ASSERT_TRUE(comma) << error;
  ASSERT_EQ(comma->Count(), 3u);
  EXPECT_EQ(comma->At(2).value, 0.15f);

  const auto one = Sweep::Parse("0,25", error);
  ASSERT_TRUE(one);
  EXPECT_EQ(one->Count(), 1u);
  EXPECT_EQ(one->At(0).value, 0.25f);

  const auto degenerate = Sweep::Parse("5:5:1", error);
  ASSERT_TRUE(degenerate);
  EXPECT_EQ(degenerate->Count(), 1u);
}

TEST(SweepValues, MalformedRangesAreRefused) {
  for (const char* text :
       {"1:0:1", "0:1:0", "0:1:-0.5", "a:b:c", "1:2", "1:2:3:4", "::", "0.1:0.3:", "abc", "0:1e9:1e-9"}) {
    std::string error;
    EXPECT_FALSE(Sweep::Parse(text, error).has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

TEST(SweepValues, BothAxesTogetherAreCappedLikeEach) {
  std::string error;
  const auto tenThousand = Sweep::Parse("0:9999:1", error);
  const auto thousand = Sweep::Parse("1:1000:1", error);
  const auto thousandAndOne = Sweep::Parse("0:1000:1", error);
  const auto one = Sweep::Parse("5", error);
  const auto tenMillion = Sweep::Parse("1:10000000:1", error);
  ASSERT_TRUE(tenThousand && thousand && thousandAndOne && one && tenMillion);
  ASSERT_EQ(tenThousand->Count(), 10000u);
  ASSERT_EQ(thousandAndOne->Count(), 1001u);
  ASSERT_EQ(tenMillion->Count(), 10000000u);
  EXPECT_EQ(CombinedCount(*tenThousand, *thousand, error), std::optional<std::size_t>(10000000u));
  EXPECT_EQ(CombinedCount(*one, *tenMillion, error), std::optional<std::size_t>(10000000u));
  error.clear();
  EXPECT_EQ(CombinedCount(*tenThousand, *thousandAndOne, error), std::nullopt);
  EXPECT_EQ(error,
            "the sweep gives 10000 concentrations x 1001 temperatures = 10010000 points, more than 10000000; split "
            "the job into runs of at most 9990 concentrations each (or fewer temperatures) and join their outputs");
  EXPECT_EQ(CombinedCount(*tenMillion, *tenMillion, error), std::nullopt);
}

}  // namespace
}  // namespace elprops::cli
