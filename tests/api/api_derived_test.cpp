// The derived quantities at the worked example, worked by hand from its
// published digits, and the temperature solve.
#include <gtest/gtest.h>
#include <elprops/elprops.hpp>

#include <cmath>
#include <string>
#include <vector>

namespace {

using elprops::quantity_kind;
constexpr elprops::substance_id kSodiumChloride{17};
constexpr elprops::substance_id kCalciumChloride{11};

// Sodium chloride at 0.1 and 20 °C, as published to seven digits.
constexpr double kRho = 1070.638, kMu = 0.001208059, kCp = 3747.392, kLambda = 0.5867352;

struct ByHand {
  std::string name;
  quantity_kind quantity;
  double expected;
};

class DerivedAtTheWorkedExample : public testing::TestWithParam<ByHand> {};

TEST_P(DerivedAtTheWorkedExample, AgreesWithThePublishedDigits) {
  const auto d = elprops::compute_derived(kSodiumChloride, 0.1f, 20.0f);
  const auto p = elprops::compute(kSodiumChloride, 0.1f, 20.0f);
  ASSERT_TRUE(d && p);
  // Seven published digits each: a product or quotient of up to three
  // agrees to 2e-6.
  EXPECT_NEAR(elprops::quantity_value(*p, *d, GetParam().quantity), GetParam().expected, 2e-6 * GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Quantities, DerivedAtTheWorkedExample,
    testing::Values(ByHand{"KinematicViscosity", quantity_kind::kinematic_viscosity, kMu / kRho},
                    ByHand{"ThermalDiffusivity", quantity_kind::thermal_diffusivity, kLambda / (kRho * kCp)},
                    ByHand{"Prandtl", quantity_kind::prandtl_number, kMu* kCp / kLambda},
                    ByHand{"SpecificVolume", quantity_kind::specific_volume, 1.0 / kRho},
                    ByHand{"VolumetricHeatCapacity", quantity_kind::volumetric_heat_capacity, kRho* kCp}),
    [](const testing::TestParamInfo<ByHand>& p) { return p.param.name; });

TEST(Derived, NamesAndRefusals) {
  EXPECT_NEAR(elprops::compute_derived(kSodiumChloride, 0.1f, 20.0f)->prandtl_number, 7.7156, 1e-4);
  // The heat from the reference to itself is nothing.
  EXPECT_EQ(elprops::compute_derived(kSodiumChloride, 0.1f, 20.0f)->heat_taken_up, 0.0);
  EXPECT_EQ(elprops::parse_quantity("Prandtl-Number"), quantity_kind::prandtl_number);
  EXPECT_EQ(elprops::parse_quantity("pr"), quantity_kind::prandtl_number);
  EXPECT_EQ(elprops::parse_quantity("surface-tension"), quantity_kind::surface_tension);
  EXPECT_EQ(elprops::parse_quantity("beta"), quantity_kind::thermal_expansion);
  EXPECT_FALSE(elprops::parse_quantity("enthalpy"));
  EXPECT_EQ(elprops::quantity_table().size(), static_cast<std::size_t>(elprops::quantity_count));
  const auto badReference = elprops::compute_derived(kSodiumChloride, 0.1f, 20.0f, {0.0f});
  ASSERT_FALSE(badReference);
  EXPECT_EQ(badReference.error().kind, elprops::error_kind::inadmissible_input);
  EXPECT_FALSE(elprops::solve_concentration(elprops::water, 20.0f, quantity_kind::prandtl_number, 7.0));
  const auto far = elprops::solve_temperature(kSodiumChloride, 0.1f, quantity_kind::prandtl_number, 1e6);
  ASSERT_FALSE(far);
  EXPECT_EQ(far.error().kind, elprops::error_kind::out_of_reach);
  EXPECT_NE(far.error().message.find("admissible temperatures give"), std::string::npos) << far.error().message;
}

// The quantity at a temperature, solved back: one answer's run of equal
// values holds the temperature, or for the thermal expansion, a slope of
// rounded densities that wavers by 2e-7 1/K, lies within 0.1 K of it.
struct Trip {
  std::string name;
  quantity_kind quantity;
  float tolerance;  // K
};

class TemperatureRoundTrip : public testing::TestWithParam<Trip> {};

TEST_P(TemperatureRoundTrip, FindsTheTemperatureAgain) {
  const quantity_kind q = GetParam().quantity;
  const float t = 37.5f;
  const auto p = elprops::compute(kSodiumChloride, 0.1f, t);
  const auto d = elprops::compute_derived(kSodiumChloride, 0.1f, t);
  ASSERT_TRUE(p && d);
  const double value = elprops::quantity_value(*p, *d, q);
  const auto s = elprops::solve_temperature(kSodiumChloride, 0.1f, q, value);
  ASSERT_TRUE(s) << s.error().message;
  bool found = false;
  const float tolerance = GetParam().tolerance;
  for (const auto& root : s->roots)
    found = found || (root.run_first - tolerance <= t && t <= root.run_last + tolerance);
  EXPECT_TRUE(found) << "no answer around " << t << " among " << s->roots.size();
}

INSTANTIATE_TEST_SUITE_P(Quantities, TemperatureRoundTrip,
                         testing::Values(Trip{"Density", quantity_kind::density, 0.0f},
                                         Trip{"Viscosity", quantity_kind::viscosity, 0.0f},
                                         Trip{"HeatCapacity", quantity_kind::heat_capacity, 0.0f},
                                         Trip{"Prandtl", quantity_kind::prandtl_number, 0.0f},
                                         Trip{"ThermalExpansion", quantity_kind::thermal_expansion, 0.1f},
                                         Trip{"HeatTakenUp", quantity_kind::heat_taken_up, 0.0f}),
                         [](const testing::TestParamInfo<Trip>& p) { return p.param.name; });

TEST(Derived, CalciumChlorideBrineReachesThreeMillipascalSeconds) {
  const auto s = elprops::solve_temperature(kCalciumChloride, 0.25f, quantity_kind::viscosity, 0.003);
  ASSERT_TRUE(s) << s.error().message;
  ASSERT_FALSE(s->roots.empty());
  for (const auto& root : s->roots) {
    const auto at = elprops::compute(kCalciumChloride, 0.25f, root.temperature);
    ASSERT_TRUE(at);
    EXPECT_NEAR(at->viscosity, 0.003, 1e-8) << root.temperature;
  }
}

}  // namespace
