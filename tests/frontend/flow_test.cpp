// One calculation from the list: the input of concentration and
// temperature with their messages, the calcium chloride saturation warning,
// a point the correlations cannot compute, the result labels and the run
// log. Expected label texts come from the worked examples of the
// correlations, brought to the pictures by hand.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "tests/frontend/app_fixture.h"
#include "text/text.h"

namespace elprops::frontend {
namespace {

using platform::Answer;
using platform::Control;

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const std::string kSodiumChlorideLabel2 = "КОНЦЕНТРАЦИЯ -  .1 Кг/Кг\rТЕМПЕРАТУРА -  20 Град. Цельсия";
// Density 1070.638, viscosity 0.001208059, tension 0.07964794, heat capacity
// 3747.392, conductivity 0.5867352.
const std::string kSodiumChlorideLabel3 =
    "ПЛОТНОСТЬ -\r1070.6  КГ/(M^3)\r\rВЯЗКОСТЬ - \r0.001208 ПА*С\r\rПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ - \r0.07965  Н/М\r\r"
    "ТЕПЛОЁМКОСТЬ - \r3747  ДЖ/(КГ*К)\r\rТЕПЛОПРОВОДНОСТЬ -\r0.587  ВТ/(М*К)";
// Water at 20: 998.3648, 0.000998348, 0.0727071, 4182.62, 0.599014.
const std::string kWaterLabel3 =
    "ПЛОТНОСТЬ -\r998.4  КГ/(M^3)\r\rВЯЗКОСТЬ - \r0.000998 ПА*С\r\rПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ - \r0.07271  Н/М\r\r"
    "ТЕПЛОЁМКОСТЬ - \r4183  ДЖ/(КГ*К)\r\rТЕПЛОПРОВОДНОСТЬ -\r0.599  ВТ/(М*К)";

// --- The whole sequence of one calculation ------------------------------

TEST_F(AppTest, SolutionWithARejectedConcentrationAndTemperature) {
  platform.QueueAnswers({Answer::Yes, Answer::Yes});
  Calculate(kSodiumChloride, {"abc", "0,1", "-5", "20"});

  const auto expected = Concat({
      {"hide Label2", "hide Label3", InputOp(kSodiumChlorideConcentrationPrompt, kConcentrationTitle)},
      WarningOps(kConcentrationError, kErrorTitle),
      {InputOp(kSodiumChlorideConcentrationPrompt, kConcentrationTitle)},
      kInputAccepted,
      {InputOp(kSodiumChlorideTemperaturePrompt, kTemperatureTitle)},
      WarningOps(TemperatureWarning("-5"), kWarningTitle),
      {InputOp(kSodiumChlorideTemperaturePrompt, kTemperatureTitle)},
      kInputAccepted,
      {"show Label2", "show Label3", "show Command1", "caption Label2=" + kSodiumChlorideLabel2,
       "caption Label3=" + kSodiumChlorideLabel3},
  });
  EXPECT_EQ(platform.Operations(), expected);
  EXPECT_EQ(platform.PendingInputs(), 0u);
  EXPECT_EQ(platform.PendingAnswers(), 0u);
  EXPECT_EQ(app.Concentration, 0.1f);
  EXPECT_EQ(app.Temperature, 20.0f);
  EXPECT_EQ(app.TemperatureLimit, 270.0f);
}

TEST_F(AppTest, WaterAsksOnlyForTheTemperature) {
  app.Concentration = 0.3f;  // left over from an earlier solution
  Calculate(kWater, {"20"});

  const auto expected = Concat({
      {"hide Label2", "hide Label3", InputOp(kWaterTemperaturePrompt, kTemperatureTitle)},
      kInputAccepted,
      {"show Label2", "show Label3", "show Command1", "caption Label2=\rТЕМПЕРАТУРА -  20 Град. Цельсия",
       "caption Label3=" + kWaterLabel3},
  });
  EXPECT_EQ(platform.Operations(), expected);
  EXPECT_EQ(app.Concentration, 0.0f);
  EXPECT_EQ(app.TemperatureLimit, 200.0f);
  EXPECT_TRUE(app.Log.WaterPointsLogged);
  EXPECT_EQ(app.Log.LogConcentration(kWater), std::vector<float>{0.0f});
  EXPECT_EQ(app.Log.LogTemperature(kWater), std::vector<float>{20.0f});
}

TEST_F(AppTest, PotassiumCarbonatePromptHasOneBlankBeforeTheUnit) {
  Calculate(kPotassiumCarbonate, {"0.1", "20"});
  EXPECT_EQ(platform.Prompts(),
            (std::vector<std::string>{"   Введите концентрацию раствора\rКАРБОНАТА КАЛИЯ в массовых долях ",
                                      "   Введите температуру раствора\rКАРБОНАТА КАЛИЯ в градусах Цельсия "}));
}

TEST_F(AppTest, CommaLocaleGivesCommasInResultsOnly) {
  platform.decimalSeparator = ",";
  // Barium chloride at 0.15 and 25: 1152.51, 0.00108770, 0.0739827, 3450.67, 0.588110.
  Calculate(kBariumChloride, {"0,15", "25"});
  EXPECT_EQ(platform.Caption(Control::Label2), "КОНЦЕНТРАЦИЯ -  .15 Кг/Кг\rТЕМПЕРАТУРА -  25 Град. Цельсия");
  EXPECT_EQ(
      platform.Caption(Control::Label3),
      "ПЛОТНОСТЬ -\r1152,5  КГ/(M^3)\r\rВЯЗКОСТЬ - \r0,001088 ПА*С\r\rПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ - \r0,07398  Н/М\r\r"
      "ТЕПЛОЁМКОСТЬ - \r3451  ДЖ/(КГ*К)\r\rТЕПЛОПРОВОДНОСТЬ -\r0,588  ВТ/(М*К)");
}

// --- Typed concentrations ------------------------------------------------

struct TypedRow {
  const char* name;
  std::string typed;
  bool accepted;
  float value;  // the accepted value
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const TypedRow& r, std::ostream* os) {
  *os << r.name << " (typed \"" << r.typed << (r.accepted ? "\", accepted)" : "\", rejected)");
}

class TypedConcentration : public AppTest, public testing::WithParamInterface<TypedRow> {};

TEST_P(TypedConcentration, IsReadAndValidated) {
  const TypedRow& row = GetParam();
  if (!row.accepted) {
    platform.QueueAnswer(Answer::Yes);
    Calculate(kSodiumChloride, {row.typed, "0.1", "20"});
    EXPECT_EQ(platform.Messages(), std::vector<std::string>{kConcentrationError});
    EXPECT_EQ(platform.Prompts().size(), 3u);
    EXPECT_EQ(app.Log.LogConcentration(kSodiumChloride), std::vector<float>{0.1f});
  } else {
    Calculate(kSodiumChloride, {row.typed, "20"});
    EXPECT_TRUE(platform.Messages().empty());
    EXPECT_EQ(app.Log.LogConcentration(kSodiumChloride), std::vector<float>{row.value});
  }
  EXPECT_EQ(platform.PendingInputs(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedConcentration,
    testing::Values(TypedRow{"LeadingComma", ",5", true, 0.5f}, TypedRow{"DecimalComma", "0,5", true, 0.5f},
                    TypedRow{"DecimalPoint", "0.5", true, 0.5f}, TypedRow{"BlanksAroundComma", " 0 , 5 ", true, 0.5f},
                    TypedRow{"NearlyOne", "0.9999", true, 0.9999f}, TypedRow{"Exponent", "25e-2", true, 0.25f},
                    TypedRow{"CommaBeyondByteRange", std::string(300, ' ') + ",5", true, 0.5f},
                    TypedRow{"VeryLongText", "0," + std::string(5000, '3'), true, 1.0f / 3.0f},
                    TypedRow{"TwoCommasGiveOneAndAHalf", "1,5,3", false, 0.0f}, TypedRow{"Letters", "abc", false, 0.0f},
                    TypedRow{"Negative", "-0,3", false, 0.0f},
                    TypedRow{"RoundsToOneAsSingle", "0.99999999", false, 0.0f}, TypedRow{"One", "1", false, 0.0f},
                    TypedRow{"Zero", "0", false, 0.0f}, TypedRow{"Cancel", "", false, 0.0f},
                    TypedRow{"Overflow", "1e400", false, 0.0f}, TypedRow{"Underflow", "1e-400", false, 0.0f},
                    TypedRow{"BelowTheSingleRange", "1e-50", false, 0.0f}),
    RowName<TypedRow>);

TEST_F(AppTest, ConcentrationMessageKeepsControlsHiddenWhileAskingAgain) {
  platform.QueueAnswers({Answer::Yes, Answer::Yes});
  Calculate(kSodiumChloride, {"0", "2", "0.1", "20"});
  const auto expected = Concat({
      {"hide Label2", "hide Label3", InputOp(kSodiumChlorideConcentrationPrompt, kConcentrationTitle)},
      WarningOps(kConcentrationError, kErrorTitle),
      {InputOp(kSodiumChlorideConcentrationPrompt, kConcentrationTitle)},
      WarningOps(kConcentrationError, kErrorTitle),
      {InputOp(kSodiumChlorideConcentrationPrompt, kConcentrationTitle)},
      kInputAccepted,
  });
  const auto& ops = platform.Operations();
  ASSERT_GE(ops.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(expected.size())),
            expected);
}

// --- Typed temperatures --------------------------------------------------

struct TemperatureRow {
  const char* name;
  std::uint8_t substance;
  std::string typed;
  bool accepted;
  float value;        // the accepted value
  const char* shown;  // the rejected value as the warning shows it
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const TemperatureRow& r, std::ostream* os) {
  *os << r.name << " (substance " << int(r.substance) << ", typed \"" << r.typed
      << (r.accepted ? "\", accepted)" : "\", warned)");
}

class TypedTemperature : public AppTest, public testing::WithParamInterface<TemperatureRow> {};

TEST_P(TypedTemperature, IsReadAndValidated) {
  const TemperatureRow& row = GetParam();
  std::vector<std::string> typed;
  if (row.substance != kWater) typed.emplace_back("0.1");
  typed.push_back(row.typed);
  if (!row.accepted) {
    platform.QueueAnswer(Answer::Yes);
    typed.emplace_back("20");
  }
  Select(row.substance);
  for (const auto& t : typed) platform.QueueInput(t);
  app.List1_Click();

  if (row.accepted) {
    EXPECT_TRUE(platform.Messages().empty());
    EXPECT_EQ(app.Log.LogTemperature(row.substance), std::vector<float>{row.value});
  } else {
    EXPECT_EQ(platform.Messages(), std::vector<std::string>{TemperatureWarning(row.shown)});
    EXPECT_EQ(app.Log.LogTemperature(row.substance), std::vector<float>{20.0f});
  }
  EXPECT_EQ(platform.PendingInputs(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedTemperature,
    testing::Values(TemperatureRow{"StopsAtTheSecondComma", kSodiumChloride, "1,5,3", true, 1.5f, ""},
                    TemperatureRow{"SolutionAt250", kSodiumChloride, "250", true, 250.0f, ""},
                    TemperatureRow{"WaterAt250", kWater, "250", false, 0.0f, " 250"},
                    TemperatureRow{"SolutionAt280", kSodiumChloride, "280", false, 0.0f, " 280"},
                    TemperatureRow{"WaterAt280", kWater, "280", false, 0.0f, " 280"},
                    TemperatureRow{"SolutionJustBelowItsLimit", kSodiumChloride, "269.9", true, 269.9f, ""},
                    TemperatureRow{"SolutionOnItsLimit", kSodiumChloride, "270", false, 0.0f, " 270"},
                    TemperatureRow{"WaterJustBelowItsLimit", kWater, "199,9", true, 199.9f, ""},
                    TemperatureRow{"WaterOnItsLimit", kWater, "200", false, 0.0f, " 200"},
                    TemperatureRow{"OnTheLowerLimit", kSodiumChloride, "1e-20", false, 0.0f, " 1E-20"},
                    TemperatureRow{"JustAboveTheLowerLimit", kWater, "2E-20", true, 2e-20f, ""},
                    TemperatureRow{"Negative", kSodiumChloride, " -5", false, 0.0f, "-5"},
                    TemperatureRow{"NegativeFraction", kWater, "-0,5", false, 0.0f, "-.5"},
                    TemperatureRow{"Letters", kSodiumChloride, "abc", false, 0.0f, " 0"},
                    TemperatureRow{"Cancel", kWater, "", false, 0.0f, " 0"},
                    TemperatureRow{"Hexadecimal", kSodiumChloride, "&H1F", true, 31.0f, ""},
                    TemperatureRow{"DExponent", kWater, "1D1", true, 10.0f, ""}),
    RowName<TemperatureRow>);

// --- Calcium chloride saturation -----------------------------------------

TEST(Saturation, RisesWithTemperature) {
  // The values to the 7 digits written down for them.
  EXPECT_NEAR(SaturationConcentration(20.0f), 0.5421876, 5e-8);
  EXPECT_NEAR(SaturationConcentration(25.0f), 0.546439, 5e-7);
  EXPECT_NEAR(SaturationConcentration(50.0f), 0.5682015, 5e-8);
  EXPECT_NEAR(SaturationConcentration(100.0f), 0.6143613, 5e-8);
  EXPECT_EQ(SaturationConcentration(20.0f), static_cast<float>(0.52551 * std::exp(0.00156214 * 20.0)));
}

// The saturation value at 20 degrees, worked out in double and kept as the
// nearest single, and the shortest text that reads back to it.
float SaturationAtTwenty() { return static_cast<float>(0.52551 * std::exp(0.00156214 * 20.0)); }

std::string ShortestText(float value) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

struct SaturationRow {
  const char* name;
  std::uint8_t substance;
  std::string concentration;
  bool warned;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const SaturationRow& r, std::ostream* os) {
  *os << r.name << " (substance " << int(r.substance) << ", typed \"" << r.concentration
      << (r.warned ? "\", warned)" : "\", no warning)");
}

class SaturationCheck : public AppTest, public testing::WithParamInterface<SaturationRow> {};

TEST_P(SaturationCheck, WarnsOnlyAboveSaturation) {
  const SaturationRow& row = GetParam();
  if (row.warned) {
    platform.QueueAnswer(Answer::Yes);
    Calculate(row.substance, {row.concentration, "20", "0,3", "60"});
    const auto& ops = platform.Operations();
    // The warning comes right after the temperature is accepted, and Yes
    // asks for both values again.
    const auto warning =
        Concat({kInputAccepted, WarningOps(kSaturationWarning, kWarningTitle), {"hide Label2", "hide Label3"}});
    EXPECT_NE(std::search(ops.begin(), ops.end(), warning.begin(), warning.end()), ops.end());
    EXPECT_EQ(platform.Prompts().size(), 4u);
    EXPECT_EQ(app.Log.LogConcentration(row.substance), std::vector<float>{0.3f});
    EXPECT_EQ(app.Log.LogTemperature(row.substance), std::vector<float>{60.0f});
    // Calcium chloride at 0.3 and 60: 1261.73, 0.00180166, 0.0720157, 2838.36, 0.614814.
    EXPECT_EQ(
        platform.Caption(Control::Label3),
        "ПЛОТНОСТЬ -\r1261.7  КГ/(M^3)\r\rВЯЗКОСТЬ - \r0.001802 ПА*С\r\rПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ - \r0.07202  Н/М\r\r"
        "ТЕПЛОЁМКОСТЬ - \r2838  ДЖ/(КГ*К)\r\rТЕПЛОПРОВОДНОСТЬ -\r0.615  ВТ/(М*К)");
  } else {
    Calculate(row.substance, {row.concentration, "20"});
    EXPECT_TRUE(platform.Messages().empty());
    EXPECT_EQ(app.Log.LogConcentration(row.substance).size(), 1u);
  }
  EXPECT_EQ(platform.PendingInputs(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Concentrations, SaturationCheck,
                         testing::Values(SaturationRow{"BelowSaturation", kCalciumChloride, "0,54", false},
                                         SaturationRow{"AboveSaturation", kCalciumChloride, "0,55", true},
                                         SaturationRow{"EqualToSaturation", kCalciumChloride,
                                                       ShortestText(SaturationAtTwenty()), false},
                                         SaturationRow{"OneStepAboveSaturation", kCalciumChloride,
                                                       ShortestText(std::nextafter(SaturationAtTwenty(), 1.0f)), true},
                                         SaturationRow{"OtherSaltAboveThatValue", kSodiumChloride, "0,55", false},
                                         SaturationRow{"OtherSaltNearlyPure", kBariumChloride, "0,9", false}),
                         RowName<SaturationRow>);

TEST(Saturation, TextsReadBackToTheValuesMeant) {
  const float saturation = SaturationAtTwenty();
  EXPECT_EQ(text::NearestSingle(text::ReadLeadingNumber(ShortestText(saturation))), saturation);
  EXPECT_GT(text::NearestSingle(text::ReadLeadingNumber(ShortestText(std::nextafter(saturation, 1.0f)))), saturation);
}

TEST_F(AppTest, NoAtTheSaturationWarningEndsWithoutRecording) {
  Calculate(kSodiumChloride, {"0.1", "20"});
  platform.QueueAnswer(Answer::No);
  Calculate(kCalciumChloride, {"0.6", "20"});

  EXPECT_TRUE(app.Ended());
  EXPECT_EQ(platform.Operations().back(), "end");
  EXPECT_EQ(platform.Messages(), std::vector<std::string>{kSaturationWarning});
  EXPECT_TRUE(app.Log.LogConcentration(kCalciumChloride).empty());
  EXPECT_EQ(app.Log.LogRow(), 2);
  EXPECT_EQ(platform.DocumentsEnded(), 0);
  EXPECT_FALSE(platform.Visible(Control::List1));
}

// --- A point the correlations cannot compute -----------------------------

TEST(ComputeFault, PotassiumCarbonateAtNearlyOneFails) {
  // The premise of the tests below.
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  float concentration = 0.99f;
  float limit = 0.0f;
  model::PropertySet properties;
  EXPECT_FALSE(model::ComputeProperties(tables, kPotassiumCarbonate, concentration, 20.0f, limit, properties).ok());
}

TEST_F(AppTest, ComputeFaultWarnsAndAsksForBothValuesAgain) {
  Calculate(kSodiumChloride, {"0.1", "20"});
  platform.ClearOperations();
  platform.QueueAnswer(Answer::Yes);
  Calculate(kPotassiumCarbonate, {"0,99", "20", "0.1", "20"});

  const auto& ops = platform.Operations();
  const auto fault = Concat({kInputAccepted, WarningOps(kComputeError, kErrorTitle), {"hide Label2", "hide Label3"}});
  EXPECT_NE(std::search(ops.begin(), ops.end(), fault.begin(), fault.end()), ops.end());
  EXPECT_EQ(platform.Messages(), std::vector<std::string>{kComputeError});
  EXPECT_FALSE(app.Ended());
  EXPECT_EQ(app.Log.LogConcentration(kPotassiumCarbonate), std::vector<float>{0.1f});
  EXPECT_EQ(app.Log.LogRow(), 3);
  // The labels were set once, for the point finally computed.
  EXPECT_EQ(
      std::count_if(ops.begin(), ops.end(), [](const std::string& op) { return op.rfind("caption Label3=", 0) == 0; }),
      1);
  EXPECT_EQ(platform.Caption(Control::Label2), "КОНЦЕНТРАЦИЯ -  .1 Кг/Кг\rТЕМПЕРАТУРА -  20 Град. Цельсия");
}

TEST_F(AppTest, NoAfterAComputeFaultEndsWithoutShowingOrRecording) {
  Calculate(kSodiumChloride, {"0.1", "20"});
  const std::string label3 = platform.Caption(Control::Label3);
  platform.QueueAnswer(Answer::No);
  Calculate(kPotassiumCarbonate, {"0,99", "20"});

  EXPECT_TRUE(app.Ended());
  EXPECT_EQ(platform.Operations().back(), "end");
  EXPECT_EQ(platform.Beeps(), 1);
  EXPECT_TRUE(app.Log.LogConcentration(kPotassiumCarbonate).empty());
  EXPECT_EQ(app.Log.LogConcentration(kSodiumChloride), std::vector<float>{0.1f});
  EXPECT_FALSE(platform.Visible(Control::Label2));
  EXPECT_EQ(platform.Caption(Control::Label3), label3);
  EXPECT_EQ(platform.DocumentsEnded(), 0);
}

// --- The run log after sequences of calculations ------------------------

TEST_F(AppTest, LogKeepsEveryPointInRecordingOrder) {
  Calculate(kWater, {"20"});
  Calculate(kSodiumChloride, {"0.1", "20"});
  Calculate(kSodiumChloride, {"0,2", "30"});
  Calculate(kWater, {"30"});
  Calculate(kBariumChloride, {"0.15", "25"});
  Calculate(kSodiumChloride, {"0.3", "40"});
  Calculate(kWater, {"20"});

  EXPECT_EQ(app.Log.LogRow(), 8);
  EXPECT_TRUE(app.Log.WaterPointsLogged);
  EXPECT_EQ(app.Log.LogConcentration(kSodiumChloride), (std::vector<float>{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(app.Log.LogTemperature(kSodiumChloride), (std::vector<float>{20.0f, 30.0f, 40.0f}));
  EXPECT_EQ(app.Log.LogConcentration(kBariumChloride), std::vector<float>{0.15f});
  EXPECT_EQ(app.Log.LogTemperature(kBariumChloride), std::vector<float>{25.0f});
  // Water points are neither replaced nor merged, repeated values included.
  EXPECT_EQ(app.Log.LogConcentration(kWater), (std::vector<float>{0.0f, 0.0f, 0.0f}));
  EXPECT_EQ(app.Log.LogTemperature(kWater), (std::vector<float>{20.0f, 30.0f, 20.0f}));
  EXPECT_TRUE(app.Log.LogConcentration(kCalciumChloride).empty());
}

TEST_F(AppTest, LogHasRoomForMorePointsOfOneSaltThanAHundredRows) {
  for (int i = 1; i <= 150; ++i) Calculate(kSodiumChloride, {"0.1", std::to_string(i)});
  const auto& temperatures = app.Log.LogTemperature(kSodiumChloride);
  ASSERT_EQ(temperatures.size(), 150u);
  EXPECT_EQ(temperatures.front(), 1.0f);
  EXPECT_EQ(temperatures.back(), 150.0f);
  EXPECT_EQ(app.Log.LogRow(), 151);
}

TEST_F(AppTest, WaterSetsTheFlagWithoutASolutionPoint) {
  Calculate(kSodiumChloride, {"0.1", "20"});
  EXPECT_FALSE(app.Log.WaterPointsLogged);
  Calculate(kWater, {"50"});
  Calculate(kSodiumChloride, {"0.2", "20"});
  EXPECT_TRUE(app.Log.WaterPointsLogged);
  EXPECT_EQ(app.Log.LogTemperature(kWater), std::vector<float>{50.0f});
}

}  // namespace
}  // namespace elprops::frontend
