// ComputeMany against ComputeProperties called point by point: the same
// bits in every result, the same fault and step, the same untouched output
// for a failed point, whatever the neighbours and the size of the call.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "model/correlations.h"

namespace elprops::model {
namespace {

struct Point {
  std::uint8_t substance;
  float x, t;
};

std::string Describe(const Point& p) {
  std::ostringstream s;
  s.precision(9);
  s << "substance " << int{p.substance} << " x " << p.x << " T " << p.t;
  return s.str();
}

// What a caller had in its output before the call: different bits for
// every point, so that a write to the wrong place shows.
PropertySet Before(std::size_t k) {
  const auto f = static_cast<float>(k);
  return PropertySet{-1.0f - f, -2.0f - f, -3.0f - f, -4.0f - f, -5.0f - f};
}

bool SameBits(const PropertySet& a, const PropertySet& b) {
  return std::bit_cast<std::uint32_t>(a.Density) == std::bit_cast<std::uint32_t>(b.Density) &&
         std::bit_cast<std::uint32_t>(a.Viscosity) == std::bit_cast<std::uint32_t>(b.Viscosity) &&
         std::bit_cast<std::uint32_t>(a.SurfaceTension) == std::bit_cast<std::uint32_t>(b.SurfaceTension) &&
         std::bit_cast<std::uint32_t>(a.HeatCapacity) == std::bit_cast<std::uint32_t>(b.HeatCapacity) &&
         std::bit_cast<std::uint32_t>(a.ThermalConductivity) == std::bit_cast<std::uint32_t>(b.ThermalConductivity);
}

struct Comparison {
  std::size_t points = 0;
  std::size_t faults = 0;  // points that fault when computed one by one
  std::vector<std::string> mismatches;
};

// The points as the three input columns of ComputeMany.
struct PointColumns {
  std::vector<std::uint8_t> substances;
  std::vector<float> xs, ts;
};
PointColumns Columns(const std::vector<Point>& points) {
  PointColumns c;
  for (const Point& p : points) {
    c.substances.push_back(p.substance);
    c.xs.push_back(p.x);
    c.ts.push_back(p.t);
  }
  return c;
}

// Computes the points with one ComputeMany call and each of them with its
// own ComputeProperties call, and lists every point where the two differ.
Comparison CompareWithOneByOne(const SubstanceTables& tables, const std::vector<Point>& points) {
  auto [substances, xs, ts] = Columns(points);
  const std::vector<float> xsBefore = xs;
  std::vector<PropertySet> out(points.size());
  for (std::size_t k = 0; k < out.size(); ++k) out[k] = Before(k);
  std::vector<ComputeStatus> status(points.size(), ComputeStatus{Fault::InvalidOperation, "not written"});

  Comparison c;
  c.points = points.size();
  if (!ComputeMany(tables, substances, xs, ts, out, status)) {
    c.mismatches.push_back("ComputeMany refused spans of equal size");
    return c;
  }
  if (std::memcmp(xs.data(), xsBefore.data(), xs.size() * sizeof(float)) != 0) {
    c.mismatches.push_back("ComputeMany changed its input");
  }
  for (std::size_t k = 0; k < points.size(); ++k) {
    const Point& p = points[k];
    float concentration = p.x;
    float limit = 0.0f;
    PropertySet one = Before(k);
    const ComputeStatus expected = ComputeProperties(tables, p.substance, concentration, p.t, limit, one);
    if (!expected.ok()) ++c.faults;
    std::string what;
    if (status[k].fault != expected.fault || status[k].step != expected.step) {
      what = "status \"" + status[k].Message() + "\", one by one \"" + expected.Message() + "\"";
    } else if (!SameBits(out[k], one)) {
      what = expected.ok() ? "different bits" : "output of a failed point changed";
    }
    if (!what.empty() && c.mismatches.size() < 10) {
      c.mismatches.push_back("point " + std::to_string(k) + " (" + Describe(p) + "): " + what);
    }
  }
  return c;
}

// Concentrations over the whole admissible range and its edges, and a few
// beyond it where the correlations fault.
std::vector<float> GridConcentrations() {
  std::vector<float> xs{0.0f,
                        1e-30f,
                        1e-7f,
                        1e-3f,
                        0.05f,
                        0.1f,
                        0.15f,
                        0.2f,
                        0.3f,
                        0.5f,
                        0.7f,
                        0.85f,
                        0.95f,
                        0.99f,
                        0.999f,
                        0.9999f,
                        std::nextafter(1.0f, 0.0f)};
  for (int k = 1; k < 40; ++k) xs.push_back(static_cast<float>(k) / 40.0f);
  return xs;
}

std::vector<float> GridTemperatures() {
  return {std::nextafter(1e-20f, 1.0f),
          1e-3f,
          0.5f,
          10.0f,
          20.0f,
          37.5f,
          60.0f,
          99.0f,
          100.0f,
          140.0f,
          180.0f,
          199.99f,
          230.0f,
          std::nextafter(270.0f, 0.0f)};
}

struct SubstanceCase {
  std::uint8_t index;
};

void PrintTo(const SubstanceCase& c, std::ostream* os) {
  *os << int{c.index} << " " << CatalogueEntry(c.index).EnglishName;
}

std::string CaseName(const testing::TestParamInfo<SubstanceCase>& info) {
  std::string name;
  bool upper = true;
  for (const char ch : CatalogueEntry(info.param.index).EnglishName) {
    if (ch == ' ') {
      upper = true;
      continue;
    }
    name += upper ? static_cast<char>(ch - 'a' + 'A') : ch;
    upper = false;
  }
  return name;
}

std::vector<SubstanceCase> AllSubstances() {
  std::vector<SubstanceCase> all;
  for (std::uint8_t i = 1; i <= kSubstanceCount; ++i) all.push_back({i});
  return all;
}

class ComputeManySubstance : public testing::TestWithParam<SubstanceCase> {
 protected:
  SubstanceTables tables_ = MakeSubstanceTables();
};

TEST_P(ComputeManySubstance, GridEqualsOneByOne) {
  const std::uint8_t i = GetParam().index;
  std::vector<Point> points;
  for (const float x : GridConcentrations()) {
    for (const float t : GridTemperatures()) {
      if (i == kWater && t >= kWaterTemperatureLimit) continue;
      points.push_back({i, x, t});
    }
  }
  const Comparison c = CompareWithOneByOne(tables_, points);
  EXPECT_TRUE(c.mismatches.empty()) << testing::PrintToString(c.mismatches);
  EXPECT_GT(c.points, 500u);
}

TEST_P(ComputeManySubstance, RandomAdmissiblePointsEqualOneByOne) {
  const std::uint8_t i = GetParam().index;
  std::mt19937 rng(7000u + i);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const float limit = i == kWater ? kWaterTemperatureLimit : kSolutionTemperatureLimit;
  std::vector<Point> points;
  for (int k = 0; k < 5000; ++k) {
    // Concentrations strictly between 0 and 1, temperatures above 1e-20
    // and below the limit.
    const float x = std::clamp(unit(rng), 1e-7f, std::nextafter(1.0f, 0.0f));
    const float t = std::clamp(unit(rng) * limit, 1e-19f, std::nextafter(limit, 0.0f));
    points.push_back({i, x, t});
  }
  const Comparison c = CompareWithOneByOne(tables_, points);
  EXPECT_TRUE(c.mismatches.empty()) << testing::PrintToString(c.mismatches);
}

TEST_P(ComputeManySubstance, ValuesBeyondTheInputRangeEqualOneByOne) {
  // Infinities, NaNs, signed zeros, subnormals and huge values reach the
  // same faults (or the same results) as one by one.
  const std::uint8_t i = GetParam().index;
  constexpr float kInf = std::numeric_limits<float>::infinity();
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  const float xs[] = {-0.5f, -1e-6f, -0.0f, 1.0f, 1.0000001f, 1.5f, 3.0f, 1e20f, FLT_MAX, kInf, -kInf, kNaN, 1e-45f};
  const float ts[] = {-100.0f, -43.252f, -1.0f, -0.0f,   0.0f, 1e-45f, 1e-30f, 270.0f,
                      500.0f,  1e4f,     1e30f, FLT_MAX, kInf, -kInf,  kNaN};
  std::vector<Point> points;
  for (const float x : xs) {
    for (const float t : ts) points.push_back({i, x, t});
  }
  const Comparison c = CompareWithOneByOne(tables_, points);
  EXPECT_TRUE(c.mismatches.empty()) << testing::PrintToString(c.mismatches);
  EXPECT_GT(c.faults, 0u);
}

INSTANTIATE_TEST_SUITE_P(EverySubstance, ComputeManySubstance, testing::ValuesIn(AllSubstances()), CaseName);

class ComputeManyTest : public testing::Test {
 protected:
  SubstanceTables tables_ = MakeSubstanceTables();
};

TEST_F(ComputeManyTest, MixedSubstancesOverTheAdmissibleRange) {
  // More points than are sorted at a time, in random order of substance,
  // concentration and temperature, with concentrations right up to 1 so
  // that faulting points are among them.
  std::mt19937 rng(424242u);
  std::uniform_int_distribution<int> substance(1, kSubstanceCount);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<Point> points;
  for (int k = 0; k < 20000; ++k) {
    const auto i = static_cast<std::uint8_t>(substance(rng));
    const float limit = i == kWater ? kWaterTemperatureLimit : kSolutionTemperatureLimit;
    const float x = std::clamp(unit(rng), 1e-7f, std::nextafter(1.0f, 0.0f));
    const float t = std::clamp(unit(rng) * limit, 1e-19f, std::nextafter(limit, 0.0f));
    points.push_back({i, x, t});
  }
  const Comparison c = CompareWithOneByOne(tables_, points);
  EXPECT_TRUE(c.mismatches.empty()) << testing::PrintToString(c.mismatches);
  EXPECT_GT(c.faults, 0u);
  EXPECT_LT(c.faults, c.points / 10);
}

// Points that fault, with the fault and step a run from the first step to
// the last meets first.
struct FaultCase {
  const char* name;
  Point point;
  Fault fault;
  const char* step;
};

void PrintTo(const FaultCase& f, std::ostream* os) { *os << f.name << " (" << Describe(f.point) << ")"; }

class ComputeManyFault : public testing::TestWithParam<FaultCase> {
 protected:
  SubstanceTables tables_ = MakeSubstanceTables();
};

TEST_P(ComputeManyFault, ReportedAtEveryPlaceInAGroupAndNeighboursUnharmed) {
  const FaultCase& f = GetParam();
  // The fault at every position of two groups' worth of good points of the
  // same substance and of mixed substances.
  const std::size_t n = 2 * kComputeManyGroupWidth + 1;
  for (std::size_t at = 0; at < n; ++at) {
    for (const bool mixed : {false, true}) {
      SCOPED_TRACE("position " + std::to_string(at) + (mixed ? " among mixed substances" : ""));
      std::vector<Point> points;
      for (std::size_t k = 0; k < n; ++k) {
        const auto i = static_cast<std::uint8_t>(mixed ? 1 + k % kSubstanceCount : f.point.substance);
        const bool valid = i >= 1 && i <= kSubstanceCount;
        points.push_back(
            {valid ? i : std::uint8_t{17}, 0.05f + 0.01f * static_cast<float>(k), 15.0f + static_cast<float>(k)});
      }
      points[at] = f.point;
      const Comparison c = CompareWithOneByOne(tables_, points);
      EXPECT_TRUE(c.mismatches.empty()) << testing::PrintToString(c.mismatches);
      EXPECT_EQ(c.faults, 1u);

      const auto [substances, xs, ts] = Columns(points);
      std::vector<PropertySet> out(n, Before(0));
      std::vector<ComputeStatus> status(n);
      ASSERT_TRUE(ComputeMany(tables_, substances, xs, ts, out, status));
      EXPECT_EQ(status[at].fault, f.fault) << status[at].Message();
      EXPECT_EQ(status[at].step, f.step);
      EXPECT_TRUE(SameBits(out[at], Before(0)));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, ComputeManyFault,
    testing::Values(
        FaultCase{"IndexZero", {0, 0.1f, 20.0f}, Fault::IndexOutOfRange, "preparation"},
        FaultCase{"IndexTwenty", {20, 0.1f, 20.0f}, Fault::IndexOutOfRange, "preparation"},
        FaultCase{"Index255", {255, 0.1f, 20.0f}, Fault::IndexOutOfRange, "preparation"},
        FaultCase{"PotassiumCarbonate_0_99", {8, 0.99f, 20.0f}, Fault::SingleOverflow, "surface tension factor"},
        FaultCase{"ConcentrationOneDividesByZero", {17, 1.0f, 20.0f}, Fault::DivisionByZero, "surface tension factor"},
        FaultCase{"NegativeConcentrationToTheLog", {17, -0.1f, 20.0f}, Fault::LogOfNonPositive, "viscosity"},
        FaultCase{"NegativeConcentrationExponent", {2, -0.1f, 20.0f}, Fault::LogOfNonPositive, "viscosity"},
        FaultCase{"ZeroTemperatureToTheLog", {17, 0.1f, 0.0f}, Fault::LogOfNonPositive, "heat capacity"},
        FaultCase{"ColdWaterViscosity", {19, 0.0f, -50.0f}, Fault::LogOfNonPositive, "viscosity"},
        FaultCase{"DensityExponentOverflows", {17, 1e30f, 20.0f}, Fault::ExpOverflow, "density"},
        FaultCase{"ViscosityBeforeHeatCapacity", {17, -0.1f, 0.0f}, Fault::LogOfNonPositive, "viscosity"},
        FaultCase{"TensionFactorBeforeHeatCapacity", {8, 0.99f, 0.0f}, Fault::SingleOverflow, "surface tension factor"},
        FaultCase{"DivisionBeforeHeatCapacity", {17, 1.0f, 0.0f}, Fault::DivisionByZero, "surface tension factor"},
        FaultCase{
            "NaNTemperature", {17, 0.1f, std::numeric_limits<float>::quiet_NaN()}, Fault::InvalidOperation, "density"}),
    [](const testing::TestParamInfo<FaultCase>& row) { return std::string(row.param.name); });

TEST_F(ComputeManyTest, EveryCallSizeAroundTheGroupWidth) {
  // Calls of 1 point up to a few more than the group width, with the same
  // substance throughout and with substances mixed, the last point a fault
  // or not.
  for (std::size_t n = 1; n <= 2 * kComputeManyGroupWidth + 3; ++n) {
    for (const bool mixed : {false, true}) {
      for (const bool lastFaults : {false, true}) {
        SCOPED_TRACE(std::to_string(n) + " points" + (mixed ? ", mixed" : "") + (lastFaults ? ", last faults" : ""));
        std::vector<Point> points;
        for (std::size_t k = 0; k < n; ++k) {
          const auto i = static_cast<std::uint8_t>(mixed ? 1 + (k * 7) % kSubstanceCount : 11);
          points.push_back({i, 0.02f + 0.03f * static_cast<float>(k), 5.0f + 9.0f * static_cast<float>(k)});
        }
        if (lastFaults) points.back() = {8, 0.99f, 20.0f};
        const Comparison c = CompareWithOneByOne(tables_, points);
        EXPECT_TRUE(c.mismatches.empty()) << testing::PrintToString(c.mismatches);
        EXPECT_EQ(c.faults, lastFaults ? 1u : 0u);
      }
    }
  }
}

TEST_F(ComputeManyTest, WaterIgnoresTheConcentrationGiven) {
  const std::vector<std::uint8_t> substances(6, kWater);
  const std::vector<float> xs{0.0f, 0.3f, -1.0f, 2.0f, std::numeric_limits<float>::quiet_NaN(), 1e30f};
  const std::vector<float> ts(6, 20.0f);
  std::vector<PropertySet> out(6);
  std::vector<ComputeStatus> status(6);
  ASSERT_TRUE(ComputeMany(tables_, substances, xs, ts, out, status));
  for (std::size_t k = 0; k < xs.size(); ++k) {
    SCOPED_TRACE("concentration given " + std::to_string(xs[k]));
    EXPECT_TRUE(status[k].ok()) << status[k].Message();
    EXPECT_TRUE(SameBits(out[k], out[0]));
  }
  // The published figures for water at 20 degrees.
  EXPECT_NEAR(out[0].Density, 998.365f, 0.0005f);
  EXPECT_NEAR(out[0].Viscosity, 0.000998348f, 5e-10f);
  EXPECT_NEAR(out[0].HeatCapacity, 4182.62f, 0.005f);
}

TEST_F(ComputeManyTest, OtherTablesTakeTheSamePaths) {
  // Tables a caller may build: a divisor without an exact reciprocal, a
  // zero divisor and a zero molar mass divide as the one-point computation
  // does, and fault where it faults. Coefficients near the single range
  // drive a stored value to minus infinity just before an exponential,
  // which turns it into 0: the fault must still be found.
  SubstanceTables tables = tables_;
  tables.TensionDivisor[17] = 3.0f;
  tables.TensionDivisor[11] = 0.0f;
  tables.Row[16].MolarMass = 0.0f;
  tables.ViscosityExponent[15] = 0.0f;
  tables.Row[12].TensionQ0 = 3e38f;     // log10 of the tension factor
  tables.Row[9].DensityA2 = -3e38f;     // log10 of the density
  tables.Row[10].ViscosityB2 = -3e38f;  // log10 of the viscosity
  std::vector<Point> points;
  for (const std::uint8_t i : {std::uint8_t{9}, std::uint8_t{10}, std::uint8_t{11}, std::uint8_t{12}, std::uint8_t{15},
                               std::uint8_t{16}, std::uint8_t{17}}) {
    for (const float x : {0.0f, 0.1f, 0.5f, 0.99f}) {
      for (const float t : {0.0f, 20.0f, 150.0f}) points.push_back({i, x, t});
    }
  }
  const Comparison c = CompareWithOneByOne(tables, points);
  EXPECT_TRUE(c.mismatches.empty()) << testing::PrintToString(c.mismatches);
  EXPECT_GT(c.faults, 0u);
}

TEST_F(ComputeManyTest, SpansOfDifferentSizesAreRefusedAndNothingIsWritten) {
  const std::vector<std::uint8_t> substances{17, 17};
  const std::vector<float> xs{0.1f, 0.2f};
  const std::vector<float> ts{20.0f, 30.0f};
  const std::vector<float> shortTs{20.0f};
  std::vector<PropertySet> out{Before(0), Before(1)};
  std::vector<ComputeStatus> status(2, ComputeStatus{Fault::InvalidOperation, "not written"});
  EXPECT_FALSE(ComputeMany(tables_, substances, xs, shortTs, out, status));
  EXPECT_FALSE(ComputeMany(tables_, substances, xs, ts, std::span(out).first(1), status));
  EXPECT_FALSE(ComputeMany(tables_, substances, xs, ts, out, std::span(status).first(1)));
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_TRUE(SameBits(out[k], Before(k)));
    EXPECT_EQ(status[k].step, "not written");
  }
  EXPECT_TRUE(ComputeMany(tables_, {}, {}, {}, {}, {}));
}

}  // namespace
}  // namespace elprops::model
