// Concentration units: molar masses from formulas against published values,
// the direct conversions worked by hand, and the conversions that go through
// the model's density.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "model/catalogue.h"
#include "model/correlations.h"
#include "model/units.h"

namespace elprops::model {
namespace {

struct MolarMassRow {
  const char* name;
  std::uint8_t substance;
  double published;  // g/mol, from handbook tables; sulfur there is 32.065
};

void PrintTo(const MolarMassRow& r, std::ostream* os) { *os << r.name << " (" << r.published << " g/mol)"; }

class MolarMass : public testing::TestWithParam<MolarMassRow> {};

TEST_P(MolarMass, AgreesWithThePublishedValue) {
  const MolarMassRow& r = GetParam();
  EXPECT_NEAR(StandardMolarMass(r.substance), r.published, 0.01) << CatalogueEntry(r.substance).Formula;
}

INSTANTIATE_TEST_SUITE_P(
    Handbook, MolarMass,
    testing::Values(MolarMassRow{"AmmoniumBicarbonate", 1, 79.056}, MolarMassRow{"AmmoniumSulfate", 2, 132.14},
                    MolarMassRow{"AmmoniumChloride", 3, 53.491}, MolarMassRow{"BariumNitrate", 4, 261.34},
                    MolarMassRow{"BariumSulfide", 5, 169.39}, MolarMassRow{"BariumChloride", 6, 208.23},
                    MolarMassRow{"PotassiumHydroxide", 7, 56.106}, MolarMassRow{"PotassiumCarbonate", 8, 138.205},
                    MolarMassRow{"PotassiumSulfate", 9, 174.26}, MolarMassRow{"PotassiumChloride", 10, 74.551},
                    MolarMassRow{"CalciumChloride", 11, 110.98}, MolarMassRow{"MagnesiumChloride", 12, 95.211},
                    MolarMassRow{"SodiumBicarbonate", 13, 84.007}, MolarMassRow{"SodiumHydroxide", 14, 39.997},
                    MolarMassRow{"SodiumCarbonate", 15, 105.99}, MolarMassRow{"SodiumSulfate", 16, 142.04},
                    MolarMassRow{"SodiumChloride", 17, 58.443}, MolarMassRow{"IronChloride", 18, 162.20},
                    MolarMassRow{"Water", 19, 18.015}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FormulaMolarMass, ReadsGroupsAndCounts) {
  EXPECT_NEAR(*FormulaMolarMass("NaCl"), 22.990 + 35.45, 1e-9);
  EXPECT_NEAR(*FormulaMolarMass("Ba(NO3)2"), 137.33 + 2 * (14.007 + 3 * 15.999), 1e-9);
  EXPECT_NEAR(*FormulaMolarMass("(NH4)2SO4"), 2 * (14.007 + 4 * 1.008) + 32.06 + 4 * 15.999, 1e-9);
  for (const char* bad : {"", "Xy", "Na(Cl", "NaCl)", "nacl", "()", "Na-Cl"}) {
    EXPECT_FALSE(FormulaMolarMass(bad).has_value()) << '"' << bad << '"';
  }
}

class Conversions : public testing::Test {
 protected:
  const SubstanceTables tables_ = MakeSubstanceTables();
  static constexpr std::uint8_t kSodiumChloride = 17;
};

TEST_F(Conversions, DirectUnitsWorkedByHand) {
  // 1 mol of NaCl (58.44 g) in 1 kg of water: 58.44 g in 1058.44 g.
  const Conversion molal = ToMassFraction(tables_, kSodiumChloride, ConcentrationUnit::Molality, 1.0, 25.0f);
  ASSERT_TRUE(molal.ok) << molal.error;
  EXPECT_EQ(molal.massFraction, static_cast<float>(58.44 / 1058.44));

  const Conversion percent = ToMassFraction(tables_, kSodiumChloride, ConcentrationUnit::MassPercent, 10.0, 25.0f);
  ASSERT_TRUE(percent.ok);
  EXPECT_EQ(percent.massFraction, 0.1f);

  const Conversion fraction = ToMassFraction(tables_, kSodiumChloride, ConcentrationUnit::MassFraction, 0.25, 25.0f);
  ASSERT_TRUE(fraction.ok);
  EXPECT_EQ(fraction.massFraction, 0.25f);

  EXPECT_NEAR(MolalityOf(kSodiumChloride, static_cast<float>(58.44 / 1058.44)), 1.0, 1e-6);
}

TEST_F(Conversions, MolarityAndGramsPerLitreGoThroughTheDensity) {
  // The published density of 0.1 NaCl at 20 °C is 1070.638 kg/m3: 107.0638 g
  // of salt in a litre, 107.0638 / 58.44 mol.
  const double gramsPerLitre = 0.1 * 1070.638;
  const Conversion byMass =
      ToMassFraction(tables_, kSodiumChloride, ConcentrationUnit::MassConcentration, gramsPerLitre, 20.0f);
  ASSERT_TRUE(byMass.ok) << byMass.error;
  EXPECT_NEAR(static_cast<double>(byMass.massFraction), 0.1, 2e-7);
  EXPECT_NEAR(byMass.achieved, gramsPerLitre, 1e-4);

  const Conversion molar =
      ToMassFraction(tables_, kSodiumChloride, ConcentrationUnit::Molarity, gramsPerLitre / 58.44, 20.0f);
  ASSERT_TRUE(molar.ok) << molar.error;
  EXPECT_NEAR(static_cast<double>(molar.massFraction), 0.1, 2e-7);
  EXPECT_NEAR(molar.achieved, gramsPerLitre / 58.44, 2e-6);
}

TEST_F(Conversions, BadTargetsAreErrors) {
  const struct {
    const char* name;
    ConcentrationUnit unit;
    double value;
    std::uint8_t substance;
    const char* says;
  } rows[] = {
      {"negative molality", ConcentrationUnit::Molality, -1.0, kSodiumChloride, "negative"},
      {"negative percent", ConcentrationUnit::MassPercent, -5.0, kSodiumChloride, "negative"},
      {"not a number", ConcentrationUnit::Molarity, std::nan(""), kSodiumChloride, "finite"},
      {"unreachable molarity", ConcentrationUnit::Molarity, 100.0, kSodiumChloride, "out of reach"},
      {"unreachable g/L", ConcentrationUnit::MassConcentration, 5000.0, kSodiumChloride, "out of reach"},
      {"water", ConcentrationUnit::Molality, 1.0, kWater, "water"},
  };
  for (const auto& row : rows) {
    const Conversion c = ToMassFraction(tables_, row.substance, row.unit, row.value, 20.0f);
    EXPECT_FALSE(c.ok) << row.name;
    EXPECT_NE(c.error.find(row.says), std::string::npos) << row.name << ": " << c.error;
  }
}

}  // namespace
}  // namespace elprops::model
