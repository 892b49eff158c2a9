// The admissible ranges of a point and the calcium chloride saturation
// limit, shared by the window, the command line and the library.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "model/admissible.h"

namespace elprops::model {
namespace {

struct LimitRow {
  const char* name;
  std::uint8_t substance;
  float concentration;
  float temperature;
  const char* reason;  // nullptr: admissible
};

void PrintTo(const LimitRow& row, std::ostream* os) { *os << row.name; }

class Admissibility : public testing::TestWithParam<LimitRow> {};

TEST_P(Admissibility, RefusesOutsideTheOpenRangesWithTheReason) {
  const LimitRow& row = GetParam();
  const std::optional<std::string> reason = InadmissibleReason(row.substance, row.concentration, row.temperature);
  if (row.reason == nullptr) {
    EXPECT_FALSE(reason.has_value()) << *reason;
  } else {
    ASSERT_TRUE(reason.has_value());
    EXPECT_EQ(*reason, row.reason);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, Admissibility,
    testing::Values(
        LimitRow{"SodiumChlorideWorkedExample", 17, 0.1f, 20.0f, nullptr},
        LimitRow{"ConcentrationZero", 17, 0.0f, 20.0f, "concentration 0 is not between 0 and 1 (both excluded)"},
        LimitRow{"ConcentrationOne", 17, 1.0f, 20.0f, "concentration 1 is not between 0 and 1 (both excluded)"},
        // 0.99999999 is 1 as a single.
        LimitRow{"ConcentrationRoundedToOne", 17, static_cast<float>(0.99999999), 20.0f,
                 "concentration 1 is not between 0 and 1 (both excluded)"},
        LimitRow{"ConcentrationNegative", 3, -0.3f, 20.0f, "concentration -0.3 is not between 0 and 1 (both excluded)"},
        LimitRow{"ConcentrationNotANumber", 3, std::nanf(""), 20.0f,
                 "concentration nan is not between 0 and 1 (both excluded)"},
        LimitRow{"SaltAt250", 17, 0.1f, 250.0f, nullptr},
        LimitRow{
            "SaltAt280", 17, 0.1f, 280.0f,
            "temperature 280 °C is outside the range: above 0 °C and below 270 °C; 270 °C and above are not covered"},
        LimitRow{
            "SaltOnUpperLimit", 17, 0.1f, 270.0f,
            "temperature 270 °C is outside the range: above 0 °C and below 270 °C; 270 °C and above are not covered"},
        LimitRow{
            "OnLowerLimit", 17, 0.1f, 1e-20f,
            "temperature 1e-20 °C is outside the range: above 0 °C and below 270 °C (to be exact, above 1e-20 °C)"},
        LimitRow{"JustAboveLowerLimit", 17, 0.1f, std::nextafter(1e-20f, 1.0f), nullptr},
        LimitRow{
            "WaterAt250", 19, 0.0f, 250.0f,
            "temperature 250 °C is outside the range: above 0 °C and below 200 °C; 200 °C and above are not covered"},
        LimitRow{"WaterJustBelowItsLimit", 19, 0.0f, std::nextafter(200.0f, 0.0f), nullptr},
        LimitRow{"WaterWithConcentration", 19, 0.1f, 20.0f, "water takes no concentration: leave it empty or 0"}),
    [](const testing::TestParamInfo<LimitRow>& row) { return std::string(row.param.name); });

TEST(TemperatureLimit, TwoHundredForWaterTwoHundredSeventyForEverySalt) {
  for (std::uint8_t s = 1; s <= 18; ++s) EXPECT_EQ(TemperatureLimitOf(s), 270.0f) << int{s};
  EXPECT_EQ(TemperatureLimitOf(19), 200.0f);
}

TEST(SaturationConcentration, TheWrittenValues) {
  // The saturation mass fraction to the 7 digits written down for it.
  EXPECT_NEAR(SaturationConcentration(20.0f), 0.5421876, 5e-8);
  EXPECT_NEAR(SaturationConcentration(25.0f), 0.546439, 5e-7);
  EXPECT_NEAR(SaturationConcentration(50.0f), 0.5682015, 5e-8);
  EXPECT_NEAR(SaturationConcentration(100.0f), 0.6143613, 5e-8);
}

TEST(SaturationConcentration, ComputedInDoubleAndRoundedOnce) {
  for (const float t : {1e-20f, 0.5f, 20.0f, 37.3f, 100.0f, 150.0f, 269.99f}) {
    const double exact = 0.52551 * std::exp(0.00156214 * static_cast<double>(t));
    EXPECT_EQ(SaturationConcentration(t), static_cast<float>(exact)) << t;
  }
}

TEST(SaturationConcentration, FarBeyondTheFitStaysAFloat) {
  EXPECT_EQ(SaturationConcentration(1e30f), HUGE_VALF);
  EXPECT_TRUE(std::isnan(SaturationConcentration(std::nanf(""))));
  EXPECT_GT(SaturationConcentration(-1e30f), -1.0f);
}

TEST(ShortestSingleText, ReadsBackToTheSameSingle) {
  EXPECT_EQ(ShortestSingleText(0.1f), "0.1");
  EXPECT_EQ(ShortestSingleText(1e-20f), "1e-20");
  EXPECT_EQ(ShortestSingleText(270.0f), "270");
  for (const float v : {1070.638f, 0.001208059f, 0.58673525f, 3.4e38f}) {
    EXPECT_EQ(std::stof(ShortestSingleText(v)), v);
  }
}

}  // namespace
}  // namespace elprops::model
