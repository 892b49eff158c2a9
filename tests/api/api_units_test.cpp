// Units, the inverse question and the warnings through the public headers.
#include <gtest/gtest.h>
#include <elprops/elprops.hpp>

#include <string>

namespace {

constexpr int kSodiumChloride = 17;

TEST(PublicUnits, MolalityAndPercentWorkedByHand) {
  const auto unit = elprops::parse_concentration_unit("molality");
  ASSERT_TRUE(unit.has_value());
  const elprops::conversion c = elprops::to_mass_fraction(kSodiumChloride, *unit, 1.0, 25.0f);
  ASSERT_TRUE(c.ok) << c.error;
  EXPECT_EQ(c.mass_fraction, static_cast<float>(58.44 / 1058.44));
  EXPECT_NEAR(elprops::standard_molar_mass(kSodiumChloride), 58.44, 1e-9);
  EXPECT_EQ(
      elprops::to_mass_fraction(kSodiumChloride, elprops::concentration_unit::mass_percent, 10.0, 20.0f).mass_fraction,
      0.1f);
  EXPECT_FALSE(elprops::to_mass_fraction(kSodiumChloride, elprops::concentration_unit::molality, -1.0, 20.0f).ok);
  EXPECT_FALSE(elprops::to_mass_fraction(42, elprops::concentration_unit::molality, 1.0, 20.0f).ok);
  EXPECT_FALSE(elprops::parse_concentration_unit("ppm").has_value());
}

TEST(PublicUnits, MolarityThroughTheDensity) {
  // 0.1 NaCl at 20 °C has the published density 1070.638 kg/m3.
  const double molar = 0.1 * 1070.638 / 58.44;
  const elprops::conversion c =
      elprops::to_mass_fraction(kSodiumChloride, elprops::concentration_unit::molarity, molar, 20.0f);
  ASSERT_TRUE(c.ok) << c.error;
  EXPECT_NEAR(static_cast<double>(c.mass_fraction), 0.1, 2e-7);
  EXPECT_NEAR(elprops::molarity(kSodiumChloride, c.mass_fraction, 1070.638f), molar, 1e-5);
  EXPECT_NEAR(elprops::molality(kSodiumChloride, 0.1f), 1000.0 * 0.1 / (58.44 * 0.9), 1e-5);
}

TEST(PublicSolve, HydrometerReading) {
  const auto property = elprops::parse_property("density");
  ASSERT_TRUE(property.has_value());
  const elprops::concentration_solution s = elprops::solve_concentration(kSodiumChloride, 20.0f, *property, 1070.6378);
  ASSERT_EQ(s.roots.size(), 1u) << s.error;
  EXPECT_EQ(s.roots[0].mass_fraction, 0.1f);
  const elprops::concentration_solution none =
      elprops::solve_concentration(kSodiumChloride, 20.0f, elprops::property_kind::density, 3000.0);
  EXPECT_TRUE(none.roots.empty());
  EXPECT_NE(none.error.find("out of reach"), std::string::npos) << none.error;
  EXPECT_NEAR(none.reachable_min, 998.3648, 0.01);
}

TEST(PublicWarnings, ResultsCarryTheirWarnings) {
  const elprops::result above = elprops::compute(kSodiumChloride, 0.30f, 20.0f);
  ASSERT_TRUE(above.has_value());
  ASSERT_EQ(above.warnings().size(), 1u);
  EXPECT_EQ(above.warnings()[0].kind, elprops::warning_kind::above_solubility);
  EXPECT_EQ(above.warnings()[0].message, "above the solubility of NaCl at 20 °C (0.2641; the solid is NaCl)");
  EXPECT_FALSE(above.warnings()[0].is_note());

  EXPECT_TRUE(elprops::compute(kSodiumChloride, 0.20f, 20.0f).warnings().empty());

  const elprops::result hot = elprops::compute(elprops::water_index, 0.0f, 150.0f);
  ASSERT_EQ(hot.warnings().size(), 1u);
  EXPECT_EQ(hot.warnings()[0].kind, elprops::warning_kind::above_boiling);

  const auto sulfide = elprops::check_validity(5, 0.3f, 20.0f);
  ASSERT_EQ(sulfide.size(), 1u);
  EXPECT_TRUE(sulfide[0].is_note());

  EXPECT_TRUE(elprops::compute(8, 0.99f, 20.0f).warnings().empty());  // a failed point has none
  EXPECT_DOUBLE_EQ(elprops::solubility(kSodiumChloride, 20.0f), 0.2641);
  EXPECT_LT(elprops::solubility(kSodiumChloride, 150.0f), 0.0);
  EXPECT_LT(elprops::solubility(elprops::water_index, 20.0f), 0.0);
}

}  // namespace
