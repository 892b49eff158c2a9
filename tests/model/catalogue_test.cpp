#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/catalogue.h"

namespace elprops::model {
namespace {

constexpr std::string_view kBlanks13 = "             ";

TEST(Catalogue, NineteenCaptionsInListOrder) {
  const std::vector<std::string_view> names = {"АММОНИЯ БИКАРБОНАТ",
                                               "АММОНИЯ СУЛЬФАТ",
                                               "АММОНИЯ ХЛОРИД ",
                                               "БАРИЯ НИТРАТ",
                                               "БАРИЯ СУЛЬФИД",
                                               "БАРИЯ ХЛОРИД",
                                               "КАЛИЯ ГИДРОКСИД",
                                               "КАЛИЯ КАРБОНАТ",
                                               "КАЛИЯ СУЛЬФАТ",
                                               "КАЛИЯ ХЛОРИД",
                                               "КАЛЬЦИЯ ХЛОРИД",
                                               "МАГНИЯ ХЛОРИД",
                                               "НАТРИЯ БИКАРБОНАТ",
                                               "НАТРИЯ ГИДРОКСИД",
                                               "НАТРИЯ КАРБОНАТ",
                                               "НАТРИЯ СУЛЬФАТ",
                                               "НАТРИЯ ХЛОРИД",
                                               "ЖЕЛЕЗА ХЛОРИД",
                                               "ВОДА"};
  ASSERT_EQ(kCatalogue.size(), 19u);
  const SubstanceTables tables = MakeSubstanceTables();
  for (std::size_t i = 1; i <= 19; ++i) {
    SCOPED_TRACE("substance " + std::to_string(i));
    EXPECT_EQ(tables.SubstanceCaption[i], std::string(kBlanks13) + std::string(names[i - 1]));
    EXPECT_EQ(tables.SubstanceCaption[i], kCatalogue[i - 1].Caption);
  }
}

TEST(Catalogue, EveryCaptionBeginsWithExactlyThirteenBlanks) {
  for (const auto& row : kCatalogue) {
    SCOPED_TRACE(std::string(row.Formula));
    EXPECT_EQ(row.Caption.substr(0, 13), kBlanks13);
    EXPECT_NE(row.Caption[13], ' ');
  }
}

TEST(Catalogue, OnlyCaptionThreeEndsWithABlank) {
  for (std::size_t i = 1; i <= 19; ++i) {
    SCOPED_TRACE("substance " + std::to_string(i));
    const std::string_view caption = kCatalogue[i - 1].Caption;
    if (i == 3) {
      EXPECT_TRUE(caption.ends_with("ХЛОРИД ")) << caption;
    } else {
      EXPECT_NE(caption.back(), ' ');
    }
  }
}

TEST(Catalogue, GenitivesEndWithOneBlankExceptPotassiumCarbonate) {
  const std::vector<std::string_view> genitives = {"БИКАРБОНАТА АММОНИЯ ",
                                                   "СУЛЬФАТА АММОНИЯ ",
                                                   "ХЛОРИДА АММОНИЯ ",
                                                   "НИТРАТА БАРИЯ ",
                                                   "СУЛЬФИДА БАРИЯ ",
                                                   "ХЛОРИДА БАРИЯ ",
                                                   "ГИДРОКСИДА КАЛИЯ ",
                                                   "КАРБОНАТА КАЛИЯ",
                                                   "СУЛЬФАТА КАЛИЯ ",
                                                   "ХЛОРИДА КАЛИЯ ",
                                                   "ХЛОРИДА КАЛЬЦИЯ ",
                                                   "ХЛОРИДА МАГНИЯ ",
                                                   "БИКАРБОНАТА НАТРИЯ ",
                                                   "ГИДРОКСИДА НАТРИЯ ",
                                                   "КАРБОНАТА НАТРИЯ ",
                                                   "СУЛЬФАТА НАТРИЯ ",
                                                   "ХЛОРИДА НАТРИЯ ",
                                                   "ХЛОРИДА ЖЕЛЕЗА ",
                                                   "ВОДЫ "};
  const SubstanceTables tables = MakeSubstanceTables();
  for (std::size_t i = 1; i <= 19; ++i) {
    SCOPED_TRACE("substance " + std::to_string(i));
    const std::string_view genitive = tables.SubstanceGenitive[i];
    EXPECT_EQ(genitive, genitives[i - 1]);
    const bool oneTrailingBlank = genitive.back() == ' ' && genitive[genitive.size() - 2] != ' ';
    EXPECT_EQ(oneTrailingBlank, i != 8);
  }
  EXPECT_TRUE(tables.SubstanceGenitive[8].ends_with("КАЛИЯ"));
}

TEST(Catalogue, FormulasAreTheCommandLineNames) {
  const std::vector<std::string_view> formulas = {
      "NH4HCO3", "(NH4)2SO4", "NH4Cl",  "Ba(NO3)2", "BaS",    "BaCl2",  "KOH",  "K2CO3", "K2SO4", "KCl",
      "CaCl2",   "MgCl2",     "NaHCO3", "NaOH",     "Na2CO3", "Na2SO4", "NaCl", "FeCl3", "H2O"};
  for (std::size_t i = 0; i < 19; ++i) EXPECT_EQ(kCatalogue[i].Formula, formulas[i]) << "substance " << i + 1;
}

TEST(Catalogue, ExponentAndDivisorExceptionsAfterStartUp) {
  const SubstanceTables tables = MakeSubstanceTables();
  for (std::size_t i = 1; i <= 19; ++i) {
    SCOPED_TRACE("substance " + std::to_string(i));
    const float exponent = i == 2 ? 0.3144f : i == 6 ? 0.575f : 1.0f;
    EXPECT_EQ(tables.ViscosityExponent[i], exponent);
    const bool halved = i == 3 || i == 7 || i == 10 || i == 13 || i == 14;
    EXPECT_EQ(tables.TensionDivisor[i], halved ? 2.0f : 1.0f);
  }
}

TEST(Catalogue, StartUpFillsExponentsBeforeTheTables) {
  // The exponents and divisors come from the load handler, not from
  // InitSubstanceTables: the tables alone leave them untouched.
  SubstanceTables tables;
  InitSubstanceTables(tables);
  EXPECT_EQ(tables.ViscosityExponent[2], 0.0f);
  EXPECT_EQ(tables.TensionDivisor[3], 0.0f);
  EXPECT_EQ(tables.LnTen, 0.0f);
  InitExponentsAndDivisors(tables);
  EXPECT_EQ(tables.ViscosityExponent[2], 0.3144f);
  EXPECT_EQ(tables.TensionDivisor[3], 2.0f);
}

TEST(Catalogue, LnTenIsTheSingleNearestToLnTen) {
  const SubstanceTables tables = MakeSubstanceTables();
  const long double ln10 = 2.302585092994045684017991454684364208L;
  const long double here = std::fabs(static_cast<long double>(tables.LnTen) - ln10);
  const long double below = std::fabs(static_cast<long double>(std::nextafter(tables.LnTen, 0.0f)) - ln10);
  const long double above = std::fabs(static_cast<long double>(std::nextafter(tables.LnTen, 4.0f)) - ln10);
  EXPECT_LT(here, below);
  EXPECT_LT(here, above);
  EXPECT_EQ(tables.LnTen, 2.3025851f);
  EXPECT_NE(static_cast<double>(tables.LnTen), 2.302585092994046);
}

// One or two entries of every table, typed from the published tables.
struct TableEntry {
  const char* name;
  std::uint8_t substance;
  float Coefficients::*field;
  float expected;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const TableEntry& e, std::ostream* os) {
  *os << e.name << " (substance " << int(e.substance) << ", expected " << e.expected << ")";
}

class CatalogueTable : public testing::TestWithParam<TableEntry> {};

TEST_P(CatalogueTable, EntryIsTheNearestSingle) {
  const TableEntry& e = GetParam();
  const SubstanceTables tables = MakeSubstanceTables();
  EXPECT_EQ(tables.Row[e.substance].*e.field, e.expected);
  EXPECT_EQ(kCatalogue[e.substance - 1u].Table.*e.field, e.expected);
}

INSTANTIATE_TEST_SUITE_P(
    SpotCheck, CatalogueTable,
    testing::Values(TableEntry{"DensityA0_NaCl", 17, &Coefficients::DensityA0, 0.3129f},
                    TableEntry{"DensityA0_FeCl3", 18, &Coefficients::DensityA0, 0.3782f},
                    TableEntry{"DensityA1_BaNO32", 4, &Coefficients::DensityA1, -0.001914f},
                    TableEntry{"DensityA1_NaOH", 14, &Coefficients::DensityA1, 1.838e-5f},
                    TableEntry{"DensityA2_NaHCO3", 13, &Coefficients::DensityA2, 1.919e-5f},
                    TableEntry{"DensityA2_BaNO32", 4, &Coefficients::DensityA2, -9.18e-6f},
                    TableEntry{"ViscosityB0_KCl", 10, &Coefficients::ViscosityB0, -0.1724f},
                    TableEntry{"ViscosityB1_MgCl2", 12, &Coefficients::ViscosityB1, -0.0563f},
                    TableEntry{"ViscosityB2_NH42SO4", 2, &Coefficients::ViscosityB2, -7.218e-5f},
                    TableEntry{"ViscosityB2_Na2CO3", 15, &Coefficients::ViscosityB2, -1.004e-4f},
                    TableEntry{"ViscosityB3_BaS", 5, &Coefficients::ViscosityB3, -4.5f},
                    TableEntry{"ViscosityB3_Water", 19, &Coefficients::ViscosityB3, 1.0f},
                    TableEntry{"MolarMass_NH4HCO3", 1, &Coefficients::MolarMass, 0.0f},
                    TableEntry{"MolarMass_Water", 19, &Coefficients::MolarMass, 18.0f},
                    TableEntry{"MolarMass_Na2CO3", 15, &Coefficients::MolarMass, 105.99f},
                    TableEntry{"TensionP0_K2SO4", 9, &Coefficients::TensionP0, 4.7525e-4f},
                    TableEntry{"TensionP1_Na2CO3", 15, &Coefficients::TensionP1, -5.1055e-6f},
                    TableEntry{"TensionP2_Na2SO4", 16, &Coefficients::TensionP2, -4.03e-7f},
                    TableEntry{"TensionQ0_BaNO32", 4, &Coefficients::TensionQ0, -5.9694e-6f},
                    TableEntry{"TensionQ1_NH4Cl", 3, &Coefficients::TensionQ1, -5.0353e-8f},
                    TableEntry{"TensionQ2_KCl", 10, &Coefficients::TensionQ2, 7.44e-12f},
                    TableEntry{"TensionQ2_NaCl", 17, &Coefficients::TensionQ2, -9.3e-12f},
                    TableEntry{"HeatCapacityC0_NH42SO4", 2, &Coefficients::HeatCapacityC0, 4238.7f},
                    TableEntry{"HeatCapacityC1_NH42SO4", 2, &Coefficients::HeatCapacityC1, 2063.86f},
                    TableEntry{"HeatCapacityC1_BaS", 5, &Coefficients::HeatCapacityC1, -2289.0f},
                    TableEntry{"HeatCapacityC2_MgCl2", 12, &Coefficients::HeatCapacityC2, 8.323f},
                    TableEntry{"HeatCapacityC3_FeCl3", 18, &Coefficients::HeatCapacityC3, -0.255f},
                    TableEntry{"HeatCapacityC3_KCl", 10, &Coefficients::HeatCapacityC3, 0.1071f},
                    TableEntry{"ConductivityK_NaOH", 14, &Coefficients::ConductivityK, -0.226f},
                    TableEntry{"ConductivityK_Water", 19, &Coefficients::ConductivityK, 1.0f}),
    [](const testing::TestParamInfo<TableEntry>& row) { return std::string(row.param.name); });

TEST(Catalogue, WaterRowIsZeroWhereTheCorrelationsCouldReadIt) {
  const Coefficients& w = kCatalogue[18].Table;
  for (const float v : {w.DensityA0, w.DensityA1, w.DensityA2, w.ViscosityB0, w.ViscosityB1, w.ViscosityB2, w.TensionP0,
                        w.TensionP1, w.TensionP2, w.TensionQ0, w.TensionQ1, w.TensionQ2, w.HeatCapacityC0,
                        w.HeatCapacityC1, w.HeatCapacityC2, w.HeatCapacityC3}) {
    EXPECT_EQ(v, 0.0f);
  }
}

TEST(Catalogue, EntryIsCheckedAgainstTheIndexRange) {
  EXPECT_EQ(CatalogueEntry(1).Formula, "NH4HCO3");
  EXPECT_EQ(CatalogueEntry(19).Formula, "H2O");
  EXPECT_THROW(CatalogueEntry(0), std::out_of_range);
  EXPECT_THROW(CatalogueEntry(20), std::out_of_range);
  EXPECT_THROW(CatalogueEntry(255), std::out_of_range);
}

}  // namespace
}  // namespace elprops::model
