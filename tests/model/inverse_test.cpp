// The inverse question: round trips for every salt, the answer nearest to
// the target among neighbouring singles, a property that turns, and targets
// out of reach.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "model/correlations.h"
#include "model/inverse.h"

namespace elprops::model {
namespace {

class Inverse : public testing::Test {
 protected:
  // The property at w, or NaN where the correlations fail.
  [[nodiscard]] double At(std::uint8_t substance, float w, float t, Property property) const {
    float x = w;
    float limit = 0.0f;
    PropertySet p;
    if (!ComputeProperties(tables_, substance, x, t, limit, p).ok()) return std::nan("");
    return static_cast<double>(PropertyValue(p, property));
  }

  // No neighbouring single of the answer comes nearer to the target.
  void ExpectNearestAmongNeighbours(std::uint8_t substance, float t, Property property, double target,
                                    const Root& root) const {
    const double here = std::fabs(At(substance, root.massFraction, t, property) - target);
    for (const float next : {std::nextafter(root.massFraction, 0.0f), std::nextafter(root.massFraction, 1.0f)}) {
      const double there = At(substance, next, t, property);
      if (!std::isnan(there)) {
        EXPECT_LE(here, std::fabs(there - target)) << "neighbour " << next << " of " << root.massFraction;
      }
    }
  }

  const SubstanceTables tables_ = MakeSubstanceTables();
};

TEST_F(Inverse, HydrometerReadingOfSodiumChloride) {
  // 1070.6378 kg/m3 is the published density of 0.1 NaCl at 20 °C.
  const Solution s = SolveConcentration(tables_, 17, 20.0f, Property::Density, 1070.6378);
  ASSERT_EQ(s.roots.size(), 1u) << s.error;
  EXPECT_EQ(s.roots[0].massFraction, 0.1f);
  EXPECT_TRUE(s.error.empty());
}

TEST_F(Inverse, DensityRoundTripsForEverySalt) {
  for (std::uint8_t substance = 1; substance < kWater; ++substance) {
    for (const float t : {5.0f, 20.0f, 60.0f, 95.0f}) {
      for (const float w : {0.01f, 0.05f, 0.1f, 0.2f, 0.3f}) {
        SCOPED_TRACE(std::string(CatalogueEntry(substance).Formula) + " at " + std::to_string(t) + ", w " +
                     std::to_string(w));
        const double density = At(substance, w, t, Property::Density);
        ASSERT_FALSE(std::isnan(density));
        const Solution s = SolveConcentration(tables_, substance, t, Property::Density, density);
        ASSERT_EQ(s.roots.size(), 1u) << s.error;
        // The density is monotonic in w: the answer gives the same single.
        EXPECT_EQ(At(substance, s.roots[0].massFraction, t, Property::Density), density);
        EXPECT_EQ(s.roots[0].chosen, Root::Chosen::Exact);
      }
    }
  }
}

TEST_F(Inverse, EveryPropertyAnswerIsTheNearestSingle) {
  for (const Property property :
       {Property::Viscosity, Property::SurfaceTension, Property::HeatCapacity, Property::ThermalConductivity}) {
    for (const std::uint8_t substance : std::vector<std::uint8_t>{2, 6, 10, 11, 14, 17}) {
      SCOPED_TRACE(std::string(PropertyName(property)) + " of " + std::string(CatalogueEntry(substance).Formula));
      // A target between two singles' values, so that a neighbour is chosen.
      const double a = At(substance, 0.15f, 30.0f, property);
      const double b = At(substance, std::nextafter(0.15f, 1.0f), 30.0f, property);
      const double target = a == b ? a : (a + b) / 2.0;
      const Solution s = SolveConcentration(tables_, substance, 30.0f, property, target);
      ASSERT_FALSE(s.roots.empty()) << s.error;
      for (const Root& root : s.roots) {
        ExpectNearestAmongNeighbours(substance, 30.0f, property, target, root);
        EXPECT_LE(root.below, root.above);
        const float side = root.chosen == Root::Chosen::Upper ? root.above : root.below;
        EXPECT_EQ(At(substance, side, 30.0f, property), At(substance, root.massFraction, 30.0f, property));
      }
    }
  }
}

TEST_F(Inverse, PropertyThatTurnsHasAnAnswerOnEachSide) {
  // The heat capacity of sodium chloride at 20 °C falls to a minimum near
  // w = 0.48 (the correction x·(C1·x − C0 + ...) is a parabola in x) and
  // rises again: the value at 0.3 is met once more above the minimum.
  const double target = At(17, 0.3f, 20.0f, Property::HeatCapacity);
  const double atMinimum = At(17, 0.48f, 20.0f, Property::HeatCapacity);
  ASSERT_LT(atMinimum, target);
  const Solution s = SolveConcentration(tables_, 17, 20.0f, Property::HeatCapacity, target);
  ASSERT_EQ(s.roots.size(), 2u) << s.error;
  EXPECT_EQ(At(17, s.roots[0].massFraction, 20.0f, Property::HeatCapacity), target);
  EXPECT_NEAR(static_cast<double>(s.roots[0].massFraction), 0.3, 1e-4);
  EXPECT_GT(s.roots[1].massFraction, 0.48f);
  ExpectNearestAmongNeighbours(17, 20.0f, Property::HeatCapacity, target, s.roots[1]);
}

TEST_F(Inverse, OutOfReachSaysTheReachableRange) {
  const Solution s = SolveConcentration(tables_, 17, 20.0f, Property::Density, 5000.0);
  EXPECT_TRUE(s.roots.empty());
  EXPECT_NE(s.error.find("out of reach"), std::string::npos) << s.error;
  // The most dilute solution is nearly water: 998.3648 kg/m3 at 20 °C.
  EXPECT_NEAR(s.reachableMin, 998.3648, 0.01);
  EXPECT_GT(s.reachableMax, 1070.6378);
  EXPECT_LT(s.reachableMax, 5000.0);
}

TEST_F(Inverse, WaterAndBadTargetsAreErrors) {
  EXPECT_FALSE(SolveConcentration(tables_, kWater, 20.0f, Property::Density, 998.0).error.empty());
  EXPECT_FALSE(SolveConcentration(tables_, 17, 20.0f, Property::Density, std::nan("")).error.empty());
  EXPECT_FALSE(SolveConcentration(tables_, 0, 20.0f, Property::Density, 1000.0).error.empty());
}

// A target typed as the shortest text of a computed value: read back as
// strtod would, independently of the solver.
double TypedBack(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (static_cast<float>(std::strtod(text, nullptr)) == static_cast<float>(value)) break;
  }
  return std::strtod(text, nullptr);
}

struct TargetCase {
  const char* name;
  std::uint8_t substance;
  float t;
  Property property;
  float w;  // the target is the property here, as compute prints it
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.name; }

class SolveTargets : public Inverse, public testing::WithParamInterface<TargetCase> {};

// Every answer is met exactly, its run of equal values ends where the value
// changes, no two answers share a run, and the sampled ends of the range
// are the computed values there.
TEST_P(SolveTargets, TypedValueIsMetExactlyOnceInEachRun) {
  const TargetCase& c = GetParam();
  const double value = At(c.substance, c.w, c.t, c.property);
  ASSERT_FALSE(std::isnan(value));
  const double target = TypedBack(value);
  const Solution s = SolveConcentration(tables_, c.substance, c.t, c.property, target);
  ASSERT_FALSE(s.roots.empty()) << s.error;
  bool found = false;
  for (std::size_t i = 0; i < s.roots.size(); ++i) {
    const Root& r = s.roots[i];
    EXPECT_EQ(r.chosen, Root::Chosen::Exact);
    EXPECT_EQ(r.below, r.massFraction);
    EXPECT_EQ(r.above, r.massFraction);
    EXPECT_EQ(At(c.substance, r.massFraction, c.t, c.property), value);
    EXPECT_EQ(At(c.substance, r.runFirst, c.t, c.property), value);
    EXPECT_EQ(At(c.substance, r.runLast, c.t, c.property), value);
    // The run ends where the value changes, or at the ends of the admissible range.
    const float previous = std::nextafter(r.runFirst, 0.0f);
    if (previous > 0.0f) {
      EXPECT_NE(At(c.substance, previous, c.t, c.property), value);
    }
    const float next = std::nextafter(r.runLast, 1.0f);
    if (next < 1.0f) {
      EXPECT_NE(At(c.substance, next, c.t, c.property), value);
    }
    EXPECT_TRUE(r.runFirst <= r.massFraction && r.massFraction <= r.runLast);
    if (i > 0) {
      EXPECT_GT(r.runFirst, s.roots[i - 1].runLast);
    }
    found = found || (r.runFirst <= c.w && c.w <= r.runLast);
  }
  EXPECT_TRUE(found) << "no answer's run holds " << c.w;
  EXPECT_LE(s.reachableMin, value);
  EXPECT_GE(s.reachableMax, value);
  EXPECT_EQ(s.reachableMin,
            std::min(s.reachableMin, At(c.substance, std::numeric_limits<float>::denorm_min(), c.t, c.property)));
}

INSTANTIATE_TEST_SUITE_P(Cases, SolveTargets,
                         testing::Values(
                             // Surface tension levels off: 0.7 to 0.99 all give one value.
                             TargetCase{"PlateauOfSodiumChlorideTension", 17, 60.0f, Property::SurfaceTension, 0.8f},
                             // A peak of the viscosity of barium sulfide between two samples.
                             TargetCase{"HiddenPeakOfBariumSulfideViscosity", 5, 20.0f, Property::Viscosity, 0.24f},
                             // The most dilute end: nearly water.
                             TargetCase{"DiluteEndOfSodiumChlorideDensity", 17, 20.0f, Property::Density,
                                        std::numeric_limits<float>::denorm_min()},
                             TargetCase{"SodiumChlorideDensityAsPrinted", 17, 20.0f, Property::Density, 0.1f},
                             TargetCase{"CalciumChlorideViscosityAsPrinted", 11, 40.0f, Property::Viscosity, 0.3f},
                             TargetCase{"PotassiumHydroxideHeatCapacityAsPrinted", 7, 80.0f, Property::HeatCapacity,
                                        0.15f}),
                         [](const testing::TestParamInfo<TargetCase>& row) { return std::string(row.param.name); });

TEST_F(Inverse, PlateauIsOneAnswerThatSaysSo) {
  const double value = At(17, 0.8f, 60.0f, Property::SurfaceTension);
  const Solution s = SolveConcentration(tables_, 17, 60.0f, Property::SurfaceTension, value);
  ASSERT_EQ(s.roots.size(), 1u);
  EXPECT_TRUE(s.roots[0].plateau);
  EXPECT_LE(s.roots[0].runFirst, 0.71f);
  EXPECT_GE(s.roots[0].runLast, 0.98f);
  // A value met at one place only is no plateau.
  EXPECT_FALSE(SolveConcentration(tables_, 17, 20.0f, Property::Density, 1070.6378).roots[0].plateau);
}

TEST_F(Inverse, NeighboursStraddleTheTargetAndTheAnswerHasTheChosenValue) {
  for (const std::uint8_t substance : std::vector<std::uint8_t>{6, 11, 17}) {
    const double a = At(substance, 0.2f, 25.0f, Property::Density);
    const double b = At(substance, std::nextafter(0.2f, 1.0f), 25.0f, Property::Density);
    // Between two neighbouring singles' values, nearer the upper one.
    const double target = a + (b - a) * 0.75;
    if (a == b) continue;
    const Solution s = SolveConcentration(tables_, substance, 25.0f, Property::Density, target);
    ASSERT_EQ(s.roots.size(), 1u) << s.error;
    const Root& r = s.roots[0];
    EXPECT_EQ(std::nextafter(r.below, 1.0f), r.above);
    EXPECT_LT(At(substance, r.below, 25.0f, Property::Density), target);
    EXPECT_GT(At(substance, r.above, 25.0f, Property::Density), target);
    EXPECT_EQ(r.chosen, Root::Chosen::Upper);
    EXPECT_EQ(At(substance, r.massFraction, 25.0f, Property::Density),
              At(substance, r.above, 25.0f, Property::Density));
  }
}

}  // namespace
}  // namespace elprops::model
