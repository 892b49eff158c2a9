// The thermal expansion and the heat taken up against the closed forms of
// the density and heat capacity correlations, written out here from the
// catalogue's coefficients: the density is 10^(log10 ρw + (A0 − A1·T +
// A2·T²)·x) with ρw = 1002.164 − 0.12728·T − 0.003134·T², the heat capacity
// 1.02·T·ln(T/100) + 4215.45 + ((x·C1 − C0) + C2·T − C3·T²)·x.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "model/catalogue.h"
#include "model/derived.h"

namespace elprops::model {
namespace {

double ClosedFormExpansion(std::uint8_t substance, double x, double t) {
  const Coefficients& c = kCatalogue[substance - 1].Table;
  const double water = (1002.164 - 0.12728 * t) - 0.003134 * t * t;
  const double waterSlope = -0.12728 - 2.0 * 0.003134 * t;
  const double correctionSlope = (-double{c.DensityA1} + 2.0 * double{c.DensityA2} * t) * x;
  return -(waterSlope / water + std::log(10.0) * correctionSlope);
}

// ∫c_p dT as a function of T; the difference of two values is the heat.
double ClosedFormEnthalpy(std::uint8_t substance, double x, double t) {
  const Coefficients& c = kCatalogue[substance - 1].Table;
  const double water = 1.02 * (t * t / 2.0 * std::log(t / 100.0) - t * t / 4.0) + 4215.45 * t;
  if (substance == kWater) return water;
  const double salt = ((x * double{c.HeatCapacityC1} - double{c.HeatCapacityC0}) * t +
                       double{c.HeatCapacityC2} * t * t / 2.0 - double{c.HeatCapacityC3} * t * t * t / 3.0) *
                      x;
  return water + salt;
}

struct Case {
  std::string name;
  std::uint8_t substance;
  float x, from, to;
  double expansionTolerance;  // 1/K: wider within 2.5 K of a temperature limit
};

class DerivedClosedForm : public testing::TestWithParam<Case> {
 protected:
  const SubstanceTables tables_ = MakeSubstanceTables();
};

TEST_P(DerivedClosedForm, ExpansionAndHeat) {
  const Case& c = GetParam();
  const std::optional<double> beta = ThermalExpansion(tables_, c.substance, c.x, c.to);
  ASSERT_TRUE(beta);
  EXPECT_NEAR(*beta, ClosedFormExpansion(c.substance, c.x, c.to), c.expansionTolerance);

  const std::optional<double> heat = HeatTakenUp(tables_, c.substance, c.x, c.from, c.to);
  ASSERT_TRUE(heat);
  const double expected = ClosedFormEnthalpy(c.substance, c.x, c.to) - ClosedFormEnthalpy(c.substance, c.x, c.from);
  EXPECT_NEAR(*heat, expected, 1e-7 * std::fabs(expected) + 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Points, DerivedClosedForm,
                         testing::Values(Case{"SodiumChlorideWarmed", 17, 0.1f, 20.0f, 80.0f, 2e-7},
                                         Case{"SodiumChlorideCooled", 17, 0.1f, 20.0f, 5.0f, 2e-7},
                                         Case{"CalciumChlorideStrong", 11, 0.3f, 10.0f, 150.0f, 2e-7},
                                         Case{"PotassiumCarbonateHot", 8, 0.2f, 30.0f, 260.0f, 2e-7},
                                         Case{"PotassiumCarbonateNearTheTop", 8, 0.2f, 30.0f, 269.8f, 6e-7},
                                         Case{"WaterFromTheBottom", 19, 0.0f, 0.1f, 40.0f, 2e-7},
                                         Case{"WaterNearItsLimit", 19, 0.0f, 100.0f, 199.9f, 6e-7},
                                         Case{"SodiumHydroxideNearZero", 14, 0.05f, 0.2f, 0.3f, 6e-7}),
                         [](const testing::TestParamInfo<Case>& p) { return p.param.name; });

}  // namespace
}  // namespace elprops::model
