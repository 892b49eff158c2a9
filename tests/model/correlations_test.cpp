#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/admissible.h"
#include "model/catalogue.h"
#include "model/correlations.h"

namespace elprops::model {
namespace {

// Significant digits written in a decimal text ("0.0796479" has 6,
// "-1.351488e-5" has 7, "1.00000" has 6).
int SignificantDigits(std::string_view text) {
  int digits = 0;
  bool leading = true;
  for (const char c : text) {
    if (c == 'e' || c == 'E') break;
    if (c < '0' || c > '9') continue;
    if (leading && c == '0') continue;
    leading = false;
    ++digits;
  }
  return digits;
}

std::string Rounded(double value, int digits) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
  return std::string(buf, r.ptr);
}

// Compares after rounding both to the digits that `expected` gives.
testing::AssertionResult AgreesWith(float actual, std::string_view expected) {
  double e = 0.0;
  std::from_chars(expected.data(), expected.data() + expected.size(), e);
  const int digits = SignificantDigits(expected);
  const std::string a = Rounded(static_cast<double>(actual), digits);
  const std::string b = Rounded(e, digits);
  if (a == b) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "got " << a << " (" << Rounded(static_cast<double>(actual), 9) << "), expected "
                                     << expected;
}

class Correlations : public testing::Test {
 protected:
  struct Run {
    ComputeStatus status;
    PropertySet out;
    Intermediates trace;
    float concentration;
    float limit;
  };

  Run Compute(std::uint8_t substance, float x, float t) const {
    Run r{};
    r.concentration = x;
    r.limit = -1.0f;
    r.status = ComputeProperties(tables_, substance, r.concentration, t, r.limit, r.out, &r.trace);
    return r;
  }

  SubstanceTables tables_ = MakeSubstanceTables();
};

struct WorkedRow {
  const char* name;
  std::uint8_t substance;
  float x, t;
  const char *a, *density, *viscosity, *tension, *heat, *conductivity;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const WorkedRow& w, std::ostream* os) {
  *os << w.name << " (substance " << int(w.substance) << ", x " << w.x << ", t " << w.t << ")";
}

class WorkedExample : public Correlations, public testing::WithParamInterface<WorkedRow> {};

TEST_P(WorkedExample, AgreesToTheDigitsGiven) {
  const WorkedRow& w = GetParam();
  const Run r = Compute(w.substance, w.x, w.t);
  ASSERT_TRUE(r.status.ok()) << r.status.Message();
  EXPECT_TRUE(AgreesWith(r.trace.TensionFactor, w.a)) << "tension factor";
  EXPECT_TRUE(AgreesWith(r.out.Density, w.density)) << "density";
  EXPECT_TRUE(AgreesWith(r.out.Viscosity, w.viscosity)) << "viscosity";
  EXPECT_TRUE(AgreesWith(r.out.SurfaceTension, w.tension)) << "surface tension";
  EXPECT_TRUE(AgreesWith(r.out.HeatCapacity, w.heat)) << "heat capacity";
  EXPECT_TRUE(AgreesWith(r.out.ThermalConductivity, w.conductivity)) << "thermal conductivity";
}

INSTANTIATE_TEST_SUITE_P(Published, WorkedExample,
                         testing::Values(WorkedRow{"SodiumChloride_0_1_at_20", 17, 0.1f, 20.0f, "0.858350", "1070.64",
                                                   "0.00120806", "0.0796479", "3747.39", "0.586735"},
                                         WorkedRow{"Water_at_20", 19, 0.0f, 20.0f, "1.00000", "998.365", "0.000998348",
                                                   "0.0727071", "4182.62", "0.599014"},
                                         WorkedRow{"Water_at_100", 19, 0.0f, 100.0f, "1.00000", "958.096",
                                                   "0.000282995", "0.0588512", "4215.45", "0.682150"},
                                         WorkedRow{"AmmoniumBicarbonate_0_1_at_20", 1, 0.1f, 20.0f, "0.928000",
                                                   "1046.91", "0.00129419", "0.0762351", "3889.78", "0.591527"},
                                         WorkedRow{"AmmoniumSulfate_0_2_at_50", 2, 0.2f, 50.0f, "0.826673", "1096.68",
                                                   "0.000843097", "0.0763824", "3449.91", "0.573960"},
                                         WorkedRow{"AmmoniumChloride_0_1_at_20", 3, 0.1f, 20.0f, "0.932616", "1028.33",
                                                   "0.00109860", "0.0760089", "3729.60", "0.578829"},
                                         WorkedRow{"BariumChloride_0_15_at_25", 6, 0.15f, 25.0f, "0.958224", "1152.51",
                                                   "0.00108770", "0.0739827", "3450.67", "0.588110"},
                                         WorkedRow{"CalciumChloride_0_3_at_60", 11, 0.3f, 60.0f, "0.880958", "1261.73",
                                                   "0.00180166", "0.0720157", "2838.36", "0.614814"},
                                         WorkedRow{"SodiumHydroxide_0_2_at_80", 14, 0.2f, 80.0f, "0.742525", "1171.38",
                                                   "0.00107906", "0.0752341", "3700.88", "0.706108"},
                                         WorkedRow{"SodiumSulfate_0_1_at_20", 16, 0.1f, 20.0f, "0.973764", "1091.63",
                                                   "0.00141168", "0.0739927", "3761.04", "0.575475"}),
                         [](const testing::TestParamInfo<WorkedRow>& row) { return std::string(row.param.name); });

TEST_F(Correlations, SodiumChlorideIntermediatesToSevenDigits) {
  const Run r = Compute(17, 0.1f, 20.0f);
  ASSERT_TRUE(r.status.ok());
  const Intermediates& s = r.trace;
  const struct {
    const char* step;
    double value;
    const char* expected;
  } rows[] = {
      {"water density", s.WaterDensity, "998.3648"},
      {"log10 of the water density Lw", s.Lw, "2.999289"},
      {"density correction Ls", s.Ls, "0.03035320"},
      {"log10 of the density L", s.L, "3.029643"},
      {"density", r.out.Density, "1070.638"},
      {"water viscosity power W", s.W, "0.001668027"},
      {"log10 of the water viscosity Vw", s.Vw, "-3.000740"},
      {"concentration power p", s.p, "0.1"},
      {"viscosity correction Vs", s.Vs, "0.08281000"},
      {"log10 of the viscosity V", s.V, "-2.917930"},
      {"viscosity", r.out.Viscosity, "0.001208059"},
      {"mole ratio m", s.MoleRatio, "34.26116"},
      {"tension polynomial P", s.P, "-0.001473140"},
      {"tension polynomial Q", s.Q, "-1.351488e-5"},
      {"log10 of the tension factor g", s.g, "-0.06633563"},
      {"tension factor a", s.TensionFactor, "0.8583499"},
      {"water surface tension", s.SigmaW, "0.07270659"},
      {"surface tension", r.out.SurfaceTension, "0.07964794"},
      {"water heat capacity cw", s.cw, "4182.618"},
      {"heat capacity correction cs", s.cs, "-435.2260"},
      {"heat capacity", r.out.HeatCapacity, "3747.392"},
      {"water thermal conductivity", s.LambdaW, "0.5989640"},
      {"thermal conductivity", r.out.ThermalConductivity, "0.5867352"},
  };
  for (const auto& row : rows) {
    double e = 0.0;
    const std::string_view text = row.expected;
    std::from_chars(text.data(), text.data() + text.size(), e);
    const int digits = SignificantDigits(text);
    EXPECT_EQ(Rounded(row.value, digits), Rounded(e, digits)) << row.step;
  }
}

TEST_F(Correlations, WaterForcesConcentrationToZeroAndLimitTo200) {
  for (const float t : {1e-19f, 0.5f, 20.0f, 37.5f, 100.0f, 150.0f, 199.99f}) {
    SCOPED_TRACE("temperature " + std::to_string(t));
    const Run clean = Compute(19, 0.0f, t);
    const Run leftover = Compute(19, 0.3f, t);
    ASSERT_TRUE(clean.status.ok());
    ASSERT_TRUE(leftover.status.ok());
    EXPECT_EQ(leftover.concentration, 0.0f);
    EXPECT_EQ(leftover.limit, 200.0f);
    EXPECT_EQ(clean.limit, 200.0f);
    EXPECT_EQ(std::memcmp(&clean.out, &leftover.out, sizeof(PropertySet)), 0);
    EXPECT_EQ(leftover.trace.TensionFactor, 1.0f);
    EXPECT_EQ(leftover.trace.cs, 0.0f);
    EXPECT_EQ(leftover.trace.Vs, 0.0f);
    // The constants added before the final stores keep every result positive.
    EXPECT_GT(leftover.out.Viscosity, 0.0f);
    EXPECT_GT(leftover.out.ThermalConductivity, 0.0f);
  }
}

TEST_F(Correlations, WaterHeatCapacityAtHundredDegreesIsExact) {
  const Run r = Compute(19, 0.0f, 100.0f);
  ASSERT_TRUE(r.status.ok());
  EXPECT_EQ(r.out.HeatCapacity, 4215.45f);
  EXPECT_EQ(r.trace.cw, 4215.45f);
}

TEST_F(Correlations, WaterViscosityIncludesItsAddedConstant) {
  // 0.59849 * (20 + 43.252)^-1.5423 is 0.000998298...; the stored value
  // carries the added 5e-8.
  const Run r = Compute(19, 0.0f, 20.0f);
  const double bare = 0.59849 * std::pow(63.252, -1.5423);
  EXPECT_NEAR(static_cast<double>(r.out.Viscosity) - bare, 5e-8, 2e-10);
  EXPECT_NEAR(static_cast<double>(r.out.ThermalConductivity) - (20 * 0.00246 + 0.5545 - 400 * 1.184e-5), 5e-5, 1e-7);
}

TEST_F(Correlations, EverySaltAtZeroConcentrationEqualsWater) {
  for (const float t : {1e-19f, 0.25f, 20.0f, 55.5f, 100.0f, 199.0f}) {
    const Run water = Compute(19, 0.0f, t);
    ASSERT_TRUE(water.status.ok());
    for (std::uint8_t i = 1; i <= 18; ++i) {
      SCOPED_TRACE("substance " + std::to_string(i) + " at " + std::to_string(t));
      const Run salt = Compute(i, 0.0f, t);
      ASSERT_TRUE(salt.status.ok()) << salt.status.Message();
      EXPECT_EQ(std::bit_cast<std::uint32_t>(salt.out.Density), std::bit_cast<std::uint32_t>(water.out.Density));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(salt.out.Viscosity), std::bit_cast<std::uint32_t>(water.out.Viscosity));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(salt.out.SurfaceTension),
                std::bit_cast<std::uint32_t>(water.out.SurfaceTension));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(salt.out.HeatCapacity),
                std::bit_cast<std::uint32_t>(water.out.HeatCapacity));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(salt.out.ThermalConductivity),
                std::bit_cast<std::uint32_t>(water.out.ThermalConductivity));
      EXPECT_EQ(salt.concentration, 0.0f);
      EXPECT_EQ(salt.limit, 270.0f);
    }
  }
}

TEST_F(Correlations, AmmoniumBicarbonateFactorReadsNoTable) {
  const Run r = Compute(1, 0.1f, 20.0f);
  ASSERT_TRUE(r.status.ok());
  EXPECT_EQ(r.trace.TensionFactor, static_cast<float>(1.0 - static_cast<double>(0.1f) * 0.72));
  EXPECT_EQ(r.trace.MoleRatio, 0.0f);  // MolarMass(1) is 0 and never divides
  // Even at a concentration of 1 there is no division by the zero molar mass.
  const Run one = Compute(1, 1.0f, 20.0f);
  EXPECT_TRUE(one.status.ok()) << one.status.Message();
  EXPECT_NEAR(one.trace.TensionFactor, 0.28f, 1e-7f);
}

TEST_F(Correlations, ViscosityPowerUsesTheSubstanceExponent) {
  for (std::uint8_t i = 1; i <= 18; ++i) {
    for (const float x : {0.01f, 0.1f, 0.35f, 0.7f}) {
      SCOPED_TRACE("substance " + std::to_string(i) + " at x " + std::to_string(x));
      const Run r = Compute(i, x, 30.0f);
      ASSERT_TRUE(r.status.ok());
      const long double e = i == 2 ? 0.3144L : i == 6 ? 0.575L : 1.0L;
      const long double power = std::pow(static_cast<long double>(x), e);
      EXPECT_NEAR(static_cast<double>(r.trace.p / power), 1.0, 4e-7);
    }
  }
}

TEST_F(Correlations, TensionFactorHalvesTheMoleRatioForFiveSubstances) {
  // log10 of the factor is n*(P + Q*n) with n the mole ratio divided by the
  // substance's divisor.
  for (std::uint8_t i = 2; i <= 18; ++i) {
    SCOPED_TRACE("substance " + std::to_string(i));
    const Run r = Compute(i, 0.2f, 40.0f);
    ASSERT_TRUE(r.status.ok());
    const long double m = r.trace.MoleRatio;
    EXPECT_NEAR(static_cast<double>(m), 0.2 * 18020 / (0.8 * static_cast<double>(kCatalogue[i - 1].Table.MolarMass)),
                1e-3 * static_cast<double>(m));
    const bool halved = i == 3 || i == 7 || i == 10 || i == 13 || i == 14;
    const long double n = halved ? m / 2 : m;
    const long double g = n * (static_cast<long double>(r.trace.P) + static_cast<long double>(r.trace.Q) * n);
    EXPECT_NEAR(static_cast<double>(r.trace.g), static_cast<double>(g), 1e-6 * std::fabs(static_cast<double>(g)));
    EXPECT_NEAR(static_cast<double>(r.trace.TensionFactor), std::pow(10.0, static_cast<double>(r.trace.g)),
                1e-6 * static_cast<double>(r.trace.TensionFactor));
  }
}

TEST_F(Correlations, PotassiumCarbonateNearSaturationFailsInTheTensionFactor) {
  const Run r = Compute(8, 0.99f, 20.0f);
  EXPECT_FALSE(r.status.ok());
  EXPECT_EQ(r.status.fault, Fault::SingleOverflow);
  EXPECT_EQ(r.status.step, "surface tension factor");
  EXPECT_NE(r.status.Message().find("surface tension factor"), std::string::npos);
}

TEST_F(Correlations, BariumNitrateFarAboveSolubilityIsNotClamped) {
  const Run r = Compute(4, 0.95f, 20.0f);
  ASSERT_TRUE(r.status.ok()) << r.status.Message();
  EXPECT_GT(r.trace.TensionFactor, 1.0e7f);
  EXPECT_LT(r.trace.TensionFactor, 1.2e7f);
  EXPECT_LT(r.out.SurfaceTension, -5.5e5f);
  EXPECT_GT(r.out.SurfaceTension, -5.7e5f);
}

struct FaultRow {
  const char* name;
  std::uint8_t substance;
  float x, t;
  Fault fault;
  const char* step;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const FaultRow& f, std::ostream* os) {
  *os << f.name << " (substance " << int(f.substance) << ", x " << f.x << ", t " << f.t << ", step " << f.step << ")";
}

class Faults : public Correlations, public testing::WithParamInterface<FaultRow> {};

TEST_P(Faults, ReportedAsAValueAndOutputLeftAlone) {
  const FaultRow& f = GetParam();
  PropertySet out{1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
  const PropertySet before = out;
  float x = f.x;
  float limit = -1.0f;
  const ComputeStatus status = ComputeProperties(tables_, f.substance, x, f.t, limit, out);
  EXPECT_EQ(status.fault, f.fault) << status.Message();
  EXPECT_EQ(status.step, f.step);
  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(status.Message().empty());
  EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, Faults,
    testing::Values(
        FaultRow{"IndexZero", 0, 0.1f, 20.0f, Fault::IndexOutOfRange, "preparation"},
        FaultRow{"IndexTwenty", 20, 0.1f, 20.0f, Fault::IndexOutOfRange, "preparation"},
        FaultRow{"PotassiumCarbonate_0_99", 8, 0.99f, 20.0f, Fault::SingleOverflow, "surface tension factor"},
        FaultRow{"ConcentrationOneDividesByZero", 17, 1.0f, 20.0f, Fault::DivisionByZero, "surface tension factor"},
        FaultRow{"NegativeConcentrationToTheLog", 17, -0.1f, 20.0f, Fault::LogOfNonPositive, "viscosity"},
        FaultRow{"NegativeConcentrationExponent", 2, -0.1f, 20.0f, Fault::LogOfNonPositive, "viscosity"},
        FaultRow{"ZeroTemperatureToTheLog", 17, 0.1f, 0.0f, Fault::LogOfNonPositive, "heat capacity"},
        FaultRow{"ColdWaterViscosity", 19, 0.0f, -50.0f, Fault::LogOfNonPositive, "viscosity"},
        FaultRow{"DensityExponentOverflows", 17, 1e30f, 20.0f, Fault::ExpOverflow, "density"},
        // Two steps fault: the earlier step is reported, as a run from the
        // first step to the last would meet it first.
        FaultRow{"ViscosityBeforeHeatCapacity", 17, -0.1f, 0.0f, Fault::LogOfNonPositive, "viscosity"},
        FaultRow{"TensionFactorBeforeHeatCapacity", 8, 0.99f, 0.0f, Fault::SingleOverflow, "surface tension factor"},
        FaultRow{"DivisionBeforeHeatCapacity", 17, 1.0f, 0.0f, Fault::DivisionByZero, "surface tension factor"}),
    [](const testing::TestParamInfo<FaultRow>& row) { return std::string(row.param.name); });

TEST_F(Correlations, IndexFaultLeavesSharedValuesAlone) {
  float x = 0.25f;
  float limit = 123.0f;
  PropertySet out;
  EXPECT_EQ(ComputeProperties(tables_, 0, x, 20.0f, limit, out).fault, Fault::IndexOutOfRange);
  EXPECT_EQ(x, 0.25f);
  EXPECT_EQ(limit, 123.0f);
}

TEST_F(Correlations, UnderflowIsNotAFault) {
  // Sodium bicarbonate at high concentration drives the tension factor far
  // below the single range; it becomes 0 without an error.
  const Run r = Compute(13, 0.999f, 20.0f);
  ASSERT_TRUE(r.status.ok()) << r.status.Message();
  EXPECT_EQ(r.trace.TensionFactor, 0.0f);
}

// --- Calcium chloride saturation ------------------------------------------

struct SaturationRow {
  const char* name;
  float t;
  const char* expected;  // published digits
};

void PrintTo(const SaturationRow& row, std::ostream* os) { *os << row.name; }

class Saturation : public testing::TestWithParam<SaturationRow> {};

TEST_P(Saturation, AgreesToTheDigitsGiven) {
  EXPECT_TRUE(AgreesWith(SaturationConcentration(GetParam().t), GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Published, Saturation,
                         testing::Values(SaturationRow{"At20", 20.0f, "0.5421876"},
                                         SaturationRow{"At25", 25.0f, "0.546439"},
                                         SaturationRow{"At50", 50.0f, "0.5682015"},
                                         SaturationRow{"At100", 100.0f, "0.6143613"}),
                         [](const testing::TestParamInfo<SaturationRow>& row) { return std::string(row.param.name); });

TEST(SaturationLimit, IsTheDoubleResultRoundedOnce) {
  for (const float t : {1.0f, 37.5f, 99.99f, 269.0f}) {
    EXPECT_EQ(SaturationConcentration(t), static_cast<float>(0.52551 * std::exp(0.00156214 * static_cast<double>(t))))
        << t;
  }
}

TEST(SaturationLimit, BeyondTheSingleRangeIsInfinite) {
  EXPECT_EQ(SaturationConcentration(1e30f), HUGE_VALF);
  EXPECT_EQ(SaturationConcentration(-1e30f), 0.0f);
}

}  // namespace
}  // namespace elprops::model
