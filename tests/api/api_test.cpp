// The public library as a user sees it: through <elprops/elprops.hpp> only.
// Expected values are the published digits of the worked examples and
// values worked out here independently.
#include <gtest/gtest.h>
#include <elprops/elprops.hpp>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <variant>
#include <vector>

namespace {

// A float with the given count of significant digits, as the published
// tables write it.
std::string Digits(float value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
  return text;
}

// A plain number does not become a substance: compute(0.1f, 20.0f, 17) and
// compute(17, 0.1f, 20.0f) do not compile.
template <typename... Args>
concept Computable = requires(Args... args) {
  elprops::compute(args...);
};
static_assert(!Computable<float, float, int>);
static_assert(!Computable<int, float, float>);
static_assert(Computable<elprops::substance_id, float, float>);
static_assert(Computable<const char*, double, float>);

elprops::substance_id S(int index) { return elprops::substance_id{static_cast<std::uint8_t>(index)}; }

std::vector<elprops::substance_id> Ids(std::initializer_list<int> indices) {
  std::vector<elprops::substance_id> ids;
  for (const int i : indices) ids.push_back(S(i));
  return ids;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameBits(const elprops::properties& a, const elprops::properties& b) {
  return SameBits(a.density, b.density) && SameBits(a.viscosity, b.viscosity) &&
         SameBits(a.surface_tension, b.surface_tension) && SameBits(a.heat_capacity, b.heat_capacity) &&
         SameBits(a.thermal_conductivity, b.thermal_conductivity);
}

// --- Worked examples ---------------------------------------------------------

TEST(Compute, SodiumChlorideWorkedExampleToSevenDigits) {
  const elprops::result r = elprops::compute(S(17), 0.1f, 20.0f);
  ASSERT_TRUE(r.has_value()) << r.error().message;
  EXPECT_EQ(Digits(r->density, 7), "1070.638");
  EXPECT_EQ(Digits(r->viscosity, 7), "0.001208059");
  EXPECT_EQ(Digits(r->surface_tension, 7), "0.07964794");
  EXPECT_EQ(Digits(r->heat_capacity, 7), "3747.392");
  EXPECT_EQ(Digits(r->thermal_conductivity, 7), "0.5867352");
}

struct PublishedRow {
  const char* name;
  int substance;
  float x, t;
  const char* density;
  const char* viscosity;
  const char* tension;
  const char* heatCapacity;
  const char* conductivity;
};

void PrintTo(const PublishedRow& row, std::ostream* os) { *os << row.name; }

class PublishedPoints : public testing::TestWithParam<PublishedRow> {};

TEST_P(PublishedPoints, SixSignificantDigits) {
  const PublishedRow& p = GetParam();
  const elprops::result r = elprops::compute(S(p.substance), p.x, p.t);
  ASSERT_TRUE(r) << r.error().message;
  EXPECT_EQ(Digits(r->density, 6), p.density);
  EXPECT_EQ(Digits(r->viscosity, 6), p.viscosity);
  EXPECT_EQ(Digits(r->surface_tension, 6), p.tension);
  EXPECT_EQ(Digits(r->heat_capacity, 6), p.heatCapacity);
  EXPECT_EQ(Digits(r->thermal_conductivity, 6), p.conductivity);
}

INSTANTIATE_TEST_SUITE_P(
    Published, PublishedPoints,
    testing::Values(
        PublishedRow{"SodiumChloride", 17, 0.1f, 20.0f, "1070.64", "0.00120806", "0.0796479", "3747.39", "0.586735"},
        PublishedRow{"WaterAt20", 19, 0.0f, 20.0f, "998.365", "0.000998348", "0.0727071", "4182.62", "0.599014"},
        PublishedRow{"WaterAt100", 19, 0.0f, 100.0f, "958.096", "0.000282995", "0.0588512", "4215.45", "0.68215"},
        PublishedRow{"AmmoniumBicarbonate", 1, 0.1f, 20.0f, "1046.91", "0.00129419", "0.0762351", "3889.78",
                     "0.591527"},
        PublishedRow{"AmmoniumSulfate", 2, 0.2f, 50.0f, "1096.68", "0.000843097", "0.0763824", "3449.91", "0.57396"},
        PublishedRow{"AmmoniumChloride", 3, 0.1f, 20.0f, "1028.33", "0.0010986", "0.0760089", "3729.6", "0.578829"},
        PublishedRow{"BariumChloride", 6, 0.15f, 25.0f, "1152.51", "0.0010877", "0.0739827", "3450.67", "0.58811"},
        PublishedRow{"CalciumChloride", 11, 0.3f, 60.0f, "1261.73", "0.00180166", "0.0720157", "2838.36", "0.614814"},
        PublishedRow{"SodiumHydroxide", 14, 0.2f, 80.0f, "1171.38", "0.00107906", "0.0752341", "3700.88", "0.706108"},
        PublishedRow{"SodiumSulfate", 16, 0.1f, 20.0f, "1091.63", "0.00141168", "0.0739927", "3761.04", "0.575475"}),
    [](const testing::TestParamInfo<PublishedRow>& row) { return std::string(row.param.name); });

TEST(Compute, TheSubstanceInfoOverloadGivesTheSameBits) {
  const auto nacl = elprops::find_substance("NaCl");
  ASSERT_TRUE(nacl.has_value());
  const elprops::result byInfo = elprops::compute(*nacl, 0.1f, 20.0f);
  const elprops::result byIndex = elprops::compute(S(17), 0.1f, 20.0f);
  ASSERT_TRUE(byInfo && byIndex);
  EXPECT_TRUE(SameBits(*byInfo, *byIndex));
}

TEST(Compute, WaterAtOneHundredHasTheWaterHeatCapacityExactly) {
  const elprops::result r = elprops::compute(S(elprops::water_index), 0.0f, 100.0f);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->heat_capacity, 4215.45f);
}

// --- Errors ---------------------------------------------------------------

struct ErrorRow {
  const char* name;
  int substance;
  float x, t;
  elprops::error_kind kind;
  const char* message;  // nullptr: only the kind is checked
};

void PrintTo(const ErrorRow& row, std::ostream* os) { *os << row.name; }

class Errors : public testing::TestWithParam<ErrorRow> {};

TEST_P(Errors, ComeBackInTheResultWithKindAndMessage) {
  const ErrorRow& e = GetParam();
  const elprops::result r = elprops::compute(S(e.substance), e.x, e.t);
  ASSERT_FALSE(r.has_value());
  EXPECT_FALSE(static_cast<bool>(r));
  EXPECT_EQ(r.error().kind, e.kind);
  EXPECT_FALSE(r.error().message.empty());
  if (e.message != nullptr) {
    EXPECT_EQ(r.error().message, e.message);
  }
  try {
    static_cast<void>(r.value());
    ADD_FAILURE() << "value() of a failed point returned";
  } catch (const elprops::domain_error& error) {
    EXPECT_EQ(error.kind(), e.kind);
    EXPECT_EQ(std::string(error.what()), r.error().message);
  }
}

constexpr auto kInadmissible = elprops::error_kind::inadmissible_input;
constexpr const char* kUnknownZero =
    "unknown substance \"0\": give its index 1 to 19, its formula (NaCl) or its name (sodium chloride)";
constexpr const char* kUnknownTwenty =
    "unknown substance \"20\": give its index 1 to 19, its formula (NaCl) or its name (sodium chloride)";
constexpr auto kArithmetic = elprops::error_kind::arithmetic_fault;

INSTANTIATE_TEST_SUITE_P(
    Inadmissible, Errors,
    testing::Values(
        ErrorRow{"SubstanceZero", 0, 0.1f, 20.0f, kInadmissible, kUnknownZero},
        ErrorRow{"SubstanceTwenty", 20, 0.1f, 20.0f, kInadmissible, kUnknownTwenty},
        ErrorRow{"ConcentrationZero", 17, 0.0f, 20.0f, kInadmissible,
                 "concentration 0 is not between 0 and 1 (both excluded)"},
        ErrorRow{"ConcentrationOne", 17, 1.0f, 20.0f, kInadmissible,
                 "concentration 1 is not between 0 and 1 (both excluded)"},
        ErrorRow{"ConcentrationNegative", 17, -0.3f, 20.0f, kInadmissible,
                 "concentration -0.3 is not between 0 and 1 (both excluded)"},
        ErrorRow{"ConcentrationNaN", 17, std::numeric_limits<float>::quiet_NaN(), 20.0f, kInadmissible,
                 "concentration nan is not between 0 and 1 (both excluded)"},
        ErrorRow{"WaterWithConcentration", 19, 0.1f, 20.0f, kInadmissible,
                 "water takes no concentration: leave it empty or 0"},
        ErrorRow{"TemperatureZero", 17, 0.1f, 0.0f, kInadmissible,
                 "temperature 0 °C is outside the range: above 0 °C and below 270 °C; 0 °C and below are not covered"},
        ErrorRow{
            "TemperatureOnLowerLimit", 17, 0.1f, 1e-20f, kInadmissible,
            "temperature 1e-20 °C is outside the range: above 0 °C and below 270 °C (to be exact, above 1e-20 °C)"},
        ErrorRow{
            "SaltAt270", 17, 0.1f, 270.0f, kInadmissible,
            "temperature 270 °C is outside the range: above 0 °C and below 270 °C; 270 °C and above are not covered"},
        ErrorRow{
            "WaterAt250", 19, 0.0f, 250.0f, kInadmissible,
            "temperature 250 °C is outside the range: above 0 °C and below 200 °C; 200 °C and above are not covered"},
        ErrorRow{
            "TemperatureInfinite", 17, 0.1f, std::numeric_limits<float>::infinity(), kInadmissible,
            "temperature inf °C is outside the range: above 0 °C and below 270 °C; 270 °C and above are not covered"}),
    [](const testing::TestParamInfo<ErrorRow>& row) { return std::string(row.param.name); });

// Near saturation the tension factor leaves the single range.
INSTANTIATE_TEST_SUITE_P(Arithmetic, Errors,
                         testing::Values(ErrorRow{"PotassiumCarbonateNearSaturation", 8, 0.99f, 20.0f, kArithmetic,
                                                  nullptr}),
                         [](const testing::TestParamInfo<ErrorRow>& row) { return std::string(row.param.name); });

TEST(Compute, ArithmeticFaultSaysWhereItHappened) {
  const elprops::result r = elprops::compute(S(8), 0.99f, 20.0f);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().message.rfind("arithmetic error: ", 0), 0u) << r.error().message;
  EXPECT_NE(r.error().message.find("surface tension factor"), std::string::npos) << r.error().message;
}

TEST(Compute, ResultOfAComputedPointHasNoError) {
  const elprops::result r = elprops::compute(S(17), 0.1f, 20.0f);
  ASSERT_TRUE(r);
  EXPECT_EQ(r.error().kind, elprops::error_kind::none);
  EXPECT_TRUE(r.error().message.empty());
  EXPECT_TRUE(SameBits(r.value(), *r));
}

// --- Substances ------------------------------------------------------------

TEST(Substances, NineteenInListOrderWithTheirNames) {
  const std::array<std::string_view, 19> formulas{
      "NH4HCO3", "(NH4)2SO4", "NH4Cl",  "Ba(NO3)2", "BaS",    "BaCl2",  "KOH",  "K2CO3", "K2SO4", "KCl",
      "CaCl2",   "MgCl2",     "NaHCO3", "NaOH",     "Na2CO3", "Na2SO4", "NaCl", "FeCl3", "H2O"};
  const std::array<std::string_view, 19> russian{"АММОНИЯ БИКАРБОНАТ",
                                                 "АММОНИЯ СУЛЬФАТ",
                                                 "АММОНИЯ ХЛОРИД",
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
  const std::array<std::string_view, 19> english{"ammonium bicarbonate",
                                                 "ammonium sulfate",
                                                 "ammonium chloride",
                                                 "barium nitrate",
                                                 "barium sulfide",
                                                 "barium chloride",
                                                 "potassium hydroxide",
                                                 "potassium carbonate",
                                                 "potassium sulfate",
                                                 "potassium chloride",
                                                 "calcium chloride",
                                                 "magnesium chloride",
                                                 "sodium bicarbonate",
                                                 "sodium hydroxide",
                                                 "sodium carbonate",
                                                 "sodium sulfate",
                                                 "sodium chloride",
                                                 "iron chloride",
                                                 "water"};
  const auto list = elprops::substances();
  ASSERT_EQ(list.size(), 19u);
  ASSERT_EQ(elprops::substance_count, 19);
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(formulas[i]);
    EXPECT_EQ(list[i].index, static_cast<int>(i + 1));
    EXPECT_EQ(list[i].formula, formulas[i]);
    EXPECT_EQ(list[i].english_name, english[i]);
    EXPECT_EQ(list[i].russian_name, russian[i]);
    EXPECT_EQ(list[i].is_water(), i == 18);
    EXPECT_EQ(list[i].temperature_limit, i == 18 ? 200.0f : 270.0f);
  }
}

// Formula masses from the standard atomic weights, against each
// substance's molar mass.
TEST(Substances, MolarMassesAreTheFormulaMasses) {
  const std::map<std::string, double> weight{{"H", 1.008},   {"C", 12.011},  {"N", 14.007},  {"O", 15.999},
                                             {"Na", 22.990}, {"Mg", 24.305}, {"S", 32.06},   {"Cl", 35.45},
                                             {"K", 39.098},  {"Ca", 40.078}, {"Fe", 55.845}, {"Ba", 137.327}};
  // Formulas as element counts: no parser under test here.
  const std::array<std::map<std::string, int>, 19> counts{{
      {{"N", 1}, {"H", 5}, {"C", 1}, {"O", 3}},   // NH4HCO3
      {{"N", 2}, {"H", 8}, {"S", 1}, {"O", 4}},   // (NH4)2SO4
      {{"N", 1}, {"H", 4}, {"Cl", 1}},            // NH4Cl
      {{"Ba", 1}, {"N", 2}, {"O", 6}},            // Ba(NO3)2
      {{"Ba", 1}, {"S", 1}},                      // BaS
      {{"Ba", 1}, {"Cl", 2}},                     // BaCl2
      {{"K", 1}, {"O", 1}, {"H", 1}},             // KOH
      {{"K", 2}, {"C", 1}, {"O", 3}},             // K2CO3
      {{"K", 2}, {"S", 1}, {"O", 4}},             // K2SO4
      {{"K", 1}, {"Cl", 1}},                      // KCl
      {{"Ca", 1}, {"Cl", 2}},                     // CaCl2
      {{"Mg", 1}, {"Cl", 2}},                     // MgCl2
      {{"Na", 1}, {"H", 1}, {"C", 1}, {"O", 3}},  // NaHCO3
      {{"Na", 1}, {"O", 1}, {"H", 1}},            // NaOH
      {{"Na", 2}, {"C", 1}, {"O", 3}},            // Na2CO3
      {{"Na", 2}, {"S", 1}, {"O", 4}},            // Na2SO4
      {{"Na", 1}, {"Cl", 1}},                     // NaCl
      {{"Fe", 1}, {"Cl", 3}},                     // FeCl3
      {{"H", 2}, {"O", 1}},                       // H2O
  }};
  const auto list = elprops::substances();
  for (std::size_t i = 0; i < list.size(); ++i) {
    double mass = 0.0;
    for (const auto& [element, count] : counts[i]) mass += weight.at(element) * count;
    EXPECT_NEAR(static_cast<double>(list[i].molar_mass), mass, 0.05) << list[i].formula;
  }
}

struct NameRow {
  const char* name;
  std::string_view text;
  int index;  // 0: no substance
};

void PrintTo(const NameRow& row, std::ostream* os) { *os << row.name; }

class FindSubstance : public testing::TestWithParam<NameRow> {};

TEST_P(FindSubstance, ByEveryKindOfName) {
  const NameRow& row = GetParam();
  const elprops::expected<elprops::substance_info> found = elprops::find_substance(row.text);
  if (row.index == 0) {
    ASSERT_FALSE(found.has_value()) << found->formula;
    EXPECT_EQ(found.error().message, elprops::unknown_substance_message(row.text));
  } else {
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->index, row.index);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, FindSubstance,
    testing::Values(NameRow{"IndexOne", "1", 1}, NameRow{"IndexSeventeen", "17", 17}, NameRow{"IndexWater", "19", 19},
                    NameRow{"IndexWithBlanks", " 11\t", 11}, NameRow{"IndexZero", "0", 0},
                    NameRow{"IndexTwenty", "20", 0}, NameRow{"IndexNegative", "-1", 0},
                    NameRow{"FormulaAsWritten", "NaCl", 17}, NameRow{"FormulaLowerCase", "nacl", 17},
                    NameRow{"FormulaUpperCase", "NACL", 17}, NameRow{"FormulaWithParentheses", "(NH4)2SO4", 2},
                    NameRow{"FormulaWithParenthesesLower", "ba(no3)2", 4}, NameRow{"FormulaWater", "h2o", 19},
                    NameRow{"EnglishName", "sodium chloride", 17},
                    NameRow{"EnglishNameCapitals", "Calcium Chloride", 11},
                    NameRow{"EnglishNameWithBlanks", "  water ", 19}, NameRow{"RussianName", "НАТРИЯ ХЛОРИД", 17},
                    NameRow{"RussianNameWithTrailingBlank", "АММОНИЯ ХЛОРИД ", 3}, NameRow{"RussianWater", "ВОДА", 19},
                    NameRow{"Empty", "", 0}, NameRow{"OnlyBlanks", "   ", 0}, NameRow{"Unknown", "salt", 0},
                    NameRow{"FormulaPrefix", "NaC", 0}, NameRow{"FormulaLonger", "NaCl2", 0},
                    NameRow{"NameWithInnerBlanksChanged", "sodium  chloride", 0}),
    [](const testing::TestParamInfo<NameRow>& row) { return std::string(row.param.name); });

// --- Many points -------------------------------------------------------------

struct Batch {
  std::vector<elprops::substance_id> substances = Ids({17, 19, 8, 0, 11, 17, 19, 2, 17, 14, 6, 20});
  std::vector<float> fractions{0.1f, 0.0f, 0.99f, 0.1f, 0.3f, 1.0f, 0.0f, 0.2f, 0.1f, 0.2f, 0.15f, 0.1f};
  std::vector<float> temperatures{20.0f,  100.0f, 20.0f,  20.0f, 60.0f, 20.0f,
                                  250.0f, 50.0f,  270.0f, 80.0f, 25.0f, 20.0f};
};

TEST(ComputeMany, RowsEqualOnePointCallsIncludingFailures) {
  const Batch b;
  const std::size_t n = b.substances.size();
  std::vector<elprops::properties> rows(n);
  std::vector<elprops::error_kind> errors(n, elprops::error_kind::none);
  std::vector<std::string> messages(n, "stale");
  const std::size_t failed = elprops::compute_many(b.substances, b.fractions, b.temperatures, rows, errors, messages);
  std::size_t expectedFailures = 0;
  for (std::size_t i = 0; i < n; ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    const elprops::result one = elprops::compute(b.substances[i], b.fractions[i], b.temperatures[i]);
    if (one) {
      EXPECT_EQ(errors[i], elprops::error_kind::none);
      EXPECT_TRUE(messages[i].empty());
      EXPECT_TRUE(SameBits(rows[i], *one));
    } else {
      ++expectedFailures;
      EXPECT_EQ(errors[i], one.error().kind);
      EXPECT_EQ(messages[i], one.error().message);
      EXPECT_TRUE(std::isnan(rows[i].density) && std::isnan(rows[i].viscosity) && std::isnan(rows[i].surface_tension) &&
                  std::isnan(rows[i].heat_capacity) && std::isnan(rows[i].thermal_conductivity));
    }
  }
  EXPECT_EQ(failed, expectedFailures);
  // The batch has each kind: computed, refused and arithmetic faults.
  EXPECT_EQ(errors[0], elprops::error_kind::none);
  EXPECT_EQ(errors[2], elprops::error_kind::arithmetic_fault);
  EXPECT_EQ(errors[3], elprops::error_kind::inadmissible_input);
  EXPECT_EQ(failed, 6u);
}

TEST(ComputeMany, ColumnsEqualRows) {
  const Batch b;
  const std::size_t n = b.substances.size();
  std::vector<elprops::properties> rows(n);
  std::vector<elprops::error_kind> rowErrors(n);
  elprops::compute_many(b.substances, b.fractions, b.temperatures, rows, rowErrors);
  std::vector<float> d(n), v(n), s(n), c(n), k(n);
  std::vector<elprops::error_kind> errors(n);
  const std::size_t failed = elprops::compute_many(b.substances, b.fractions, b.temperatures,
                                                   elprops::property_columns{d, v, s, c, k}, errors);
  EXPECT_EQ(failed, 6u);
  for (std::size_t i = 0; i < n; ++i) {
    EXPECT_EQ(errors[i], rowErrors[i]) << i;
    const elprops::properties fromColumns{d[i], v[i], s[i], c[i], k[i]};
    EXPECT_TRUE(SameBits(fromColumns, rows[i])) << i;
  }
}

TEST(ComputeMany, AnInputOfOneElementServesEveryPoint) {
  const std::vector<elprops::substance_id> nacl = Ids({17});
  const std::vector<float> x{0.1f};
  const std::vector<float> t{10.0f, 20.0f, 30.0f, 280.0f};
  std::vector<elprops::properties> rows(t.size());
  std::vector<elprops::error_kind> errors(t.size());
  EXPECT_EQ(elprops::compute_many(nacl, x, t, rows, errors), 1u);
  for (std::size_t i = 0; i < t.size(); ++i) {
    const elprops::result one = elprops::compute(S(17), 0.1f, t[i]);
    EXPECT_EQ(one.has_value(), errors[i] == elprops::error_kind::none) << i;
    if (one) {
      EXPECT_TRUE(SameBits(rows[i], *one)) << i;
    }
  }
}

TEST(ComputeMany, NoPointsNothingComputed) {
  std::vector<elprops::properties> rows;
  std::vector<elprops::error_kind> errors;
  EXPECT_EQ(elprops::compute_many({}, {}, {}, rows, errors), 0u);
}

TEST(ComputeMany, SizesThatDoNotFitAreRefusedBeforeAnyPoint) {
  const std::vector<elprops::substance_id> s = Ids({17, 17, 17});
  const std::vector<float> x{0.1f, 0.2f};
  const std::vector<float> t{20.0f, 20.0f, 20.0f};
  std::vector<elprops::properties> rows(3);
  std::vector<elprops::error_kind> errors(3, elprops::error_kind::arithmetic_fault);
  EXPECT_THROW(elprops::compute_many(s, x, t, rows, errors), std::invalid_argument);
  // Nothing was written.
  for (const auto e : errors) EXPECT_EQ(e, elprops::error_kind::arithmetic_fault);

  const std::vector<float> x3{0.1f, 0.2f, 0.3f};
  std::vector<elprops::properties> shortRows(2);
  EXPECT_THROW(elprops::compute_many(s, x3, t, shortRows, errors), std::invalid_argument);
  std::vector<elprops::error_kind> shortErrors(2);
  EXPECT_THROW(elprops::compute_many(s, x3, t, rows, shortErrors), std::invalid_argument);
  std::vector<std::string> shortMessages(1);
  EXPECT_THROW(elprops::compute_many(s, x3, t, rows, errors, shortMessages), std::invalid_argument);
  std::vector<float> d(3), v(3), st(3), c(3), k(2);
  EXPECT_THROW(elprops::compute_many(s, x3, t, elprops::property_columns{d, v, st, c, k}, errors),
               std::invalid_argument);
}

TEST(ComputeMany, ThreadsGetTheSameBits) {
  std::vector<elprops::substance_id> s;
  std::vector<float> x, t;
  for (int substance = 1; substance <= 19; ++substance) {
    for (int i = 1; i <= 20; ++i) {
      for (int k = 1; k <= 13; ++k) {
        s.push_back(S(substance));
        x.push_back(substance == 19 ? 0.0f : static_cast<float>(i) * 0.05f);
        t.push_back(static_cast<float>(k) * 20.0f);
      }
    }
  }
  const std::size_t n = s.size();
  std::vector<elprops::properties> alone(n);
  std::vector<elprops::error_kind> aloneErrors(n);
  elprops::compute_many(s, x, t, alone, aloneErrors);
  std::vector<std::vector<elprops::properties>> rows(4, std::vector<elprops::properties>(n));
  std::vector<std::vector<elprops::error_kind>> errors(4, std::vector<elprops::error_kind>(n));
  std::vector<std::thread> threads;
  for (std::size_t w = 0; w < 4; ++w) {
    threads.emplace_back([&, w] { elprops::compute_many(s, x, t, rows[w], errors[w]); });
  }
  for (auto& thread : threads) thread.join();
  for (std::size_t w = 0; w < 4; ++w) {
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(errors[w][i], aloneErrors[i]) << w << " " << i;
      if (errors[w][i] == elprops::error_kind::none) {
        ASSERT_TRUE(SameBits(rows[w][i], alone[i])) << w << " " << i;
      }
    }
  }
}

// --- Saturation and version ------------------------------------------------

TEST(Saturation, TheWrittenValuesOfCalciumChloride) {
  EXPECT_EQ(Digits(elprops::calcium_chloride_saturation(20.0f), 7), "0.5421876");
  EXPECT_EQ(Digits(elprops::calcium_chloride_saturation(25.0f), 6), "0.546439");
  EXPECT_EQ(Digits(elprops::calcium_chloride_saturation(50.0f), 7), "0.5682015");
  EXPECT_EQ(Digits(elprops::calcium_chloride_saturation(100.0f), 7), "0.6143613");
  EXPECT_EQ(elprops::calcium_chloride_saturation(37.0f), static_cast<float>(0.52551 * std::exp(0.00156214 * 37.0)));
}

TEST(Saturation, TheFitRangeIsZeroToOneHundredDegrees) {
  EXPECT_EQ(elprops::calcium_chloride_saturation_range.lowest, 0.0f);
  EXPECT_EQ(elprops::calcium_chloride_saturation_range.highest, 100.0f);
}

TEST(Version, TheLibraryIsTheVersionOfTheHeaders) {
  const std::string expected = std::to_string(ELPROPS_VERSION_MAJOR) + "." + std::to_string(ELPROPS_VERSION_MINOR) +
                               "." + std::to_string(ELPROPS_VERSION_PATCH);
  EXPECT_EQ(elprops::version(), expected);
  EXPECT_EQ(elprops::version(), ELPROPS_VERSION_STRING);
  EXPECT_EQ(elprops::version(), ELPROPS_EXPECTED_VERSION);
}

}  // namespace
