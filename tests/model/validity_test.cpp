// The solubility table and the warnings built on it. Expected limits are the
// table's own digits, typed here, and their linear interpolation by hand.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "model/number_text.h"
#include "model/validity.h"

namespace elprops::model {
namespace {

constexpr std::uint8_t kSodiumChloride = 17;
constexpr std::uint8_t kBariumSulfide = 5;
constexpr std::uint8_t kSodiumHydroxide = 14;

TEST(SolubilityTable, EverySaltFromZeroToHundredDegrees) {
  std::map<std::string_view, std::vector<double>> temperatures;
  for (const SolubilityRow& row : SolubilityTable()) {
    EXPECT_GT(row.massFraction, 0.0) << row.formula;
    EXPECT_LT(row.massFraction, 1.0) << row.formula;
    temperatures[row.formula].push_back(row.temperature);
  }
  EXPECT_EQ(SolubilityTable().size(), 225u);
  for (std::uint8_t s = 1; s < kWater; ++s) {
    const auto& t = temperatures[CatalogueEntry(s).Formula];
    ASSERT_GE(t.size(), 12u) << CatalogueEntry(s).Formula;
    EXPECT_EQ(t.front(), 0.0);
    EXPECT_EQ(t.back(), 100.0);
    for (std::size_t i = 1; i < t.size(); ++i) EXPECT_LT(t[i - 1], t[i]) << CatalogueEntry(s).Formula;
  }
}

TEST(Solubility, InterpolatesLinearlyBetweenRows) {
  const struct {
    const char* name;
    std::uint8_t substance;
    double temperature;
    double expected;
  } rows[] = {
      {"tabulated 20", kSodiumChloride, 20.0, 0.2641},
      {"halfway 20-25", kSodiumChloride, 22.5, (0.2641 + 0.2645) / 2},
      {"a fifth 50-60", kSodiumChloride, 52.0, 0.2684 + 0.2 * (0.2703 - 0.2684)},
      {"first row", kSodiumChloride, 0.0, 0.2628},
      {"last row", kSodiumChloride, 100.0, 0.2805},
      {"hydrate change", kSodiumHydroxide, 15.0, (0.4949 + 0.5220) / 2},
  };
  for (const auto& row : rows) {
    const auto limit = Solubility(row.substance, row.temperature);
    ASSERT_TRUE(limit.has_value()) << row.name;
    EXPECT_NEAR(limit->massFraction, row.expected, 1e-12) << row.name;
  }
}

TEST(Solubility, NoDataOutsideTheTableAndForWater) {
  EXPECT_FALSE(Solubility(kSodiumChloride, 100.01).has_value());
  EXPECT_FALSE(Solubility(kSodiumChloride, -0.5).has_value());
  EXPECT_FALSE(Solubility(kWater, 20.0).has_value());
  EXPECT_FALSE(Solubility(0, 20.0).has_value());
}

TEST(Solubility, SolidAndStatusOfTheNearerRow) {
  // Calcium chloride: the hexahydrate at 25 °C, the tetrahydrate at 30 °C.
  EXPECT_EQ(Solubility(11, 26.0)->solid, "CaCl2·6H2O");
  EXPECT_EQ(Solubility(11, 29.0)->solid, "CaCl2·4H2O");
  EXPECT_EQ(Solubility(11, 27.5)->solid, "CaCl2·6H2O");  // as near to both: the colder row
  EXPECT_EQ(Solubility(kSodiumChloride, 20.0)->status, SolubilityStatus::Ok);
  EXPECT_EQ(Solubility(kSodiumHydroxide, 20.0)->status, SolubilityStatus::Uncertain);
  EXPECT_EQ(Solubility(kBariumSulfide, 20.0)->status, SolubilityStatus::IllDefined);
  // Ammonium bicarbonate decomposes above about 36 °C.
  EXPECT_EQ(Solubility(1, 35.0)->status, SolubilityStatus::Uncertain);
  EXPECT_EQ(Solubility(1, 36.0)->status, SolubilityStatus::IllDefined);
}

struct WarningCase {
  const char* name;
  std::uint8_t substance;
  float massFraction, temperature;
  std::vector<WarningKind> kinds;
  std::string text;  // the warnings joined; empty: not checked
};

void PrintTo(const WarningCase& c, std::ostream* os) {
  *os << c.name << " (substance " << int(c.substance) << ", x " << c.massFraction << ", t " << c.temperature << ")";
}

class Warnings : public testing::TestWithParam<WarningCase> {};

TEST_P(Warnings, SaysWhatIsBeyondTheLimits) {
  const WarningCase& c = GetParam();
  const std::vector<Warning> warnings = CheckValidity(c.substance, c.massFraction, c.temperature);
  std::vector<WarningKind> kinds;
  for (const Warning& w : warnings) kinds.push_back(w.kind);
  EXPECT_EQ(kinds, c.kinds);
  if (!c.text.empty()) {
    EXPECT_EQ(JoinWarnings(warnings), c.text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Points, Warnings,
    testing::Values(
        WarningCase{"NaClAboveSolubility",
                    kSodiumChloride,
                    0.30f,
                    20.0f,
                    {WarningKind::AboveSolubility},
                    "above the solubility of NaCl at 20 °C (0.2641; the solid is NaCl)"},
        WarningCase{"NaClBelowSolubility", kSodiumChloride, 0.20f, 20.0f, {}, ""},
        WarningCase{"NaClJustAbove", kSodiumChloride, 0.2642f, 20.0f, {WarningKind::AboveSolubility}, ""},
        WarningCase{"UncertainLimit",
                    kSodiumHydroxide,
                    0.6f,
                    20.0f,
                    {WarningKind::AboveSolubility},
                    "above the solubility of NaOH at 20 °C (0.5220; the solid is NaOH·H2O); this limit is uncertain"},
        WarningCase{"NoSolidNamed",
                    kSodiumChloride,
                    0.27f,
                    0.5f,
                    {WarningKind::AboveSolubility},
                    "above the solubility of NaCl at 0.5 °C (0.2628)"},
        WarningCase{"BariumSulfideIsANote",
                    kBariumSulfide,
                    0.5f,
                    20.0f,
                    {WarningKind::IllDefined},
                    "the solubility of BaS is not well defined: it hydrolyses to Ba(SH)2 and Ba(OH)2"},
        WarningCase{"BicarbonateDecomposes",
                    1,
                    0.1f,
                    60.0f,
                    {WarningKind::IllDefined},
                    "the solubility of NH4HCO3 is not well defined: it decomposes above about 36 °C"},
        // The window's saturation limit of calcium chloride is 0.5422 at 20 °C;
        // the literature's solubility is lower, and the warning follows it.
        WarningCase{"CalciumChlorideByTheLiterature",
                    11,
                    0.5f,
                    20.0f,
                    {WarningKind::AboveSolubility},
                    "above the solubility of CaCl2 at 20 °C (0.4269; the solid is CaCl2·6H2O); this limit is "
                    "uncertain"},
        WarningCase{"WaterBoils", kWater, 0.0f, 150.0f, {WarningKind::AboveBoiling}, ""},
        WarningCase{"WaterBelowBoiling", kWater, 0.0f, 99.9f, {}, ""},
        WarningCase{"SaltAboveTheTable",
                    kSodiumChloride,
                    0.1f,
                    120.0f,
                    {WarningKind::NoSolubilityData, WarningKind::AboveBoiling},
                    ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Warnings, NotesAreNotWarnings) {
  EXPECT_TRUE((Warning{WarningKind::IllDefined, ""}).IsNote());
  EXPECT_TRUE((Warning{WarningKind::NoSolubilityData, ""}).IsNote());
  EXPECT_FALSE((Warning{WarningKind::AboveSolubility, ""}).IsNote());
  EXPECT_FALSE((Warning{WarningKind::AboveBoiling, ""}).IsNote());
}

}  // namespace
}  // namespace elprops::model

namespace elprops::model {
namespace {

TEST(SolubilityTable, EachSaltsRowsAreTogetherAndInTemperatureOrder) {
  const std::vector<SolubilityRow>& table = SolubilityTable();
  std::map<std::string_view, std::size_t> runs;
  for (std::size_t k = 0; k < table.size(); ++k) {
    if (k == 0 || table[k].formula != table[k - 1].formula) {
      ++runs[table[k].formula];
    } else {
      EXPECT_GT(table[k].temperature, table[k - 1].temperature) << table[k].formula;
    }
  }
  for (const auto& [formula, count] : runs) EXPECT_EQ(count, 1u) << formula;
}

// The quick limit of a substance and a temperature tells which points carry
// a warning, on both sides of the limit, as the check of each point does.
TEST(ValidityLimit, AgreesWithThePointCheckForEveryMassFraction) {
  const float temperatures[] = {-1.0f, 0.0f, 0.5f, 10.0f, 17.3f, 35.0f, 35.5f, 60.0f, 99.9f, 100.0f, 100.5f, 150.0f};
  for (std::uint8_t s = 1; s <= kSubstanceCount; ++s) {
    for (const float t : temperatures) {
      SCOPED_TRACE(std::string(CatalogueEntry(s).Formula) + " at " + std::to_string(t));
      const ValidityLimit limit = ValidityLimitAt(s, t);
      std::vector<float> fractions = {0.0f, 1e-6f, 0.99f};
      for (int k = 1; k < 100; k += 3) fractions.push_back(static_cast<float>(k) / 100.0f);
      if (const std::optional<SolubilityLimit> solubility = Solubility(s, static_cast<double>(t))) {
        const auto w = static_cast<float>(solubility->massFraction);
        EXPECT_EQ(limit.limit, solubility->status == SolubilityStatus::IllDefined
                                   ? std::numeric_limits<double>::infinity()
                                   : solubility->massFraction);
        fractions.insert(fractions.end(), {std::nextafter(w, 0.0f), w, std::nextafter(w, 1.0f)});
      }
      for (const float x : fractions) {
        const std::vector<Warning> one = CheckValidity(s, x, t);
        const bool above = static_cast<double>(x) > limit.limit;
        EXPECT_EQ(!one.empty(), above || limit.withinWarned) << x;
        EXPECT_EQ(above, !one.empty() && one.front().kind == WarningKind::AboveSolubility) << x;
        std::string text;
        AppendValidityText(text, s, x, t);
        EXPECT_EQ(text, JoinWarnings(one)) << x;
      }
    }
  }
}

std::string Printf(const char* format, int digits, double value) {
  char text[400];
  std::snprintf(text, sizeof text, format, digits, value);
  return text;
}

// The C library's printf (this program never leaves the C locale) is the
// measure: singles typed as users type them, singles of every size from
// their bits, and doubles that are no single, at several precisions.
TEST(NumberText, WritesAsPrintfInTheCLocale) {
  std::uint64_t state = 99;
  const auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 32;
  };
  for (int k = 0; k < 100000; ++k) {
    const float typed = static_cast<float>(next() % 10000000) / static_cast<float>(1u << (next() % 24));
    const auto bits = std::bit_cast<float>(static_cast<std::uint32_t>(next()) & 0x7f7fffffu);
    const float hundredths = static_cast<float>(next() % 1000000) / 100.0f;
    const double wide = static_cast<double>(typed) * (1.0 + 1e-12);
    for (const double value : {static_cast<double>(typed), static_cast<double>(hundredths), static_cast<double>(bits),
                               -wide, 1e-4, 999999.5, 0.0}) {
      for (const int digits : {1, 4, 6, 7, 8}) {
        ASSERT_EQ(GeneralText(value, digits), Printf("%.*g", digits, value)) << value << " to " << digits;
      }
      ASSERT_EQ(FixedText(value, 5), Printf("%.*f", 5, value)) << value;
    }
  }
}

}  // namespace
}  // namespace elprops::model
