// Start-up, the list and button events, and the end of the program.
#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "tests/frontend/app_fixture.h"

namespace elprops::frontend {
namespace {

using platform::Answer;
using platform::Control;
using platform::PrintOutcome;
using test_support::ScriptedPlatform;

const std::string kInstruction =
    "  Выберите указателем мыши\r       нужное Вам вещество и\r     щёлкните левой  кнопкой ";

TEST(StartUp, PerformsTheLoadStepsInOrder) {
  ScriptedPlatform platform;
  App app(platform);
  app.Form_Load();

  std::vector<std::string> expected{"width 8000",  "height 6500",         "top 1000",
                                    "left 2000",   "keyboard 04090409 0", "hide Label2",
                                    "hide Label3", "show Command1",       "caption Label1=" + kInstruction};
  for (const std::string& entry : platform.ListEntries()) expected.push_back("list append " + entry);
  EXPECT_EQ(platform.Operations(), expected);
}

TEST(StartUp, FillsTheListWithNineteenCaptions) {
  ScriptedPlatform platform;
  App app(platform);
  app.Form_Load();

  const auto& entries = platform.ListEntries();
  ASSERT_EQ(entries.size(), 19u);
  EXPECT_EQ(entries.front(), "             АММОНИЯ БИКАРБОНАТ");
  EXPECT_EQ(entries[10], "             КАЛЬЦИЯ ХЛОРИД");
  EXPECT_EQ(entries[16], "             НАТРИЯ ХЛОРИД");
  EXPECT_EQ(entries.back(), "             ВОДА");
  for (const std::string& entry : entries) EXPECT_EQ(entry.substr(0, 14).find_first_not_of(' '), 13u) << entry;
  EXPECT_EQ(platform.ListSelection(), -1);
}

TEST(StartUp, LeavesTheWindowReadyForAChoice) {
  ScriptedPlatform platform;
  App app(platform);
  app.Form_Load();

  EXPECT_EQ(platform.Caption(Control::Label1), kInstruction);
  EXPECT_FALSE(platform.Visible(Control::Label2));
  EXPECT_FALSE(platform.Visible(Control::Label3));
  EXPECT_TRUE(platform.Visible(Control::Label1));
  EXPECT_TRUE(platform.Visible(Control::List1));
  EXPECT_TRUE(platform.Visible(Control::Command1));
  // The credit line belongs to the window itself.
  EXPECT_EQ(platform.Caption(Control::Label4), "");
  // ln 10 kept as a single: 2.302585 to seven digits.
  EXPECT_EQ(app.Tables.LnTen, static_cast<float>(std::log(10.0)));
  EXPECT_NEAR(app.Tables.LnTen, 2.302585, 5e-7);
  EXPECT_FALSE(app.Ended());
}

TEST(StartUp, ClearsTheRunLogAndItsFlags) {
  ScriptedPlatform platform;
  App app(platform);
  app.Log.RecordPoint(kSodiumChloride, 0.1f, 20.0f);
  app.Log.RecordPoint(kWater, 0.0f, 30.0f);
  app.Log.StampPrinted = true;

  app.Form_Load();

  EXPECT_EQ(app.Log.LogRow(), 1);
  EXPECT_FALSE(app.Log.WaterPointsLogged);
  EXPECT_FALSE(app.Log.StampPrinted);
  for (std::uint8_t s = 1; s <= 19; ++s) {
    EXPECT_TRUE(app.Log.LogConcentration(s).empty()) << int{s};
    EXPECT_TRUE(app.Log.LogTemperature(s).empty()) << int{s};
  }
}

// --- Which events start a calculation ----------------------------------

struct KeyRow {
  const char* name;
  std::int16_t key;
  bool starts;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const KeyRow& r, std::ostream* os) {
  *os << r.name << " (key " << r.key << (r.starts ? ", starts)" : ", starts nothing)");
}

class ListKey : public AppTest, public testing::WithParamInterface<KeyRow> {};

TEST_P(ListKey, OnlyEnterStartsACalculation) {
  Select(kWater);
  if (GetParam().starts) platform.QueueInput("20");
  app.List1_KeyPress(GetParam().key);
  if (GetParam().starts) {
    ASSERT_FALSE(platform.Operations().empty());
    EXPECT_EQ(platform.Prompts(), std::vector<std::string>{kWaterTemperaturePrompt});
    EXPECT_EQ(app.Log.LogTemperature(kWater), std::vector<float>{20.0f});
  } else {
    EXPECT_TRUE(platform.Operations().empty());
    EXPECT_EQ(app.Log.LogRow(), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Keys, ListKey,
                         testing::Values(KeyRow{"Enter", 13, true}, KeyRow{"Space", 32, false},
                                         KeyRow{"Digit", '1', false}, KeyRow{"LineFeed", 10, false},
                                         KeyRow{"Escape", 27, false}, KeyRow{"Negative", -13, false}),
                         RowName<KeyRow>);

TEST_F(AppTest, EnterRunsTheSameFlowAsAClick) {
  Select(kSodiumChloride);
  platform.QueueInputs({"0,1", "20"});
  app.List1_Click();
  const std::vector<std::string> byClick = platform.Operations();

  platform.ClearOperations();
  platform.QueueInputs({"0,1", "20"});
  app.List1_KeyPress(13);

  EXPECT_EQ(platform.Operations(), byClick);
  EXPECT_EQ(app.Log.LogConcentration(kSodiumChloride), (std::vector<float>{0.1f, 0.1f}));
}

TEST_F(AppTest, EnterWithoutASelectionDoesNothing) {
  platform.Select(-1);
  app.List1_KeyPress(13);
  app.List1_Click();
  EXPECT_TRUE(platform.Operations().empty());
  EXPECT_EQ(app.Log.LogRow(), 1);
}

// --- The end of the program -------------------------------------------

TEST_F(AppTest, NoAtAMessageEndsWithoutPrintingAndLaterEventsDoNothing) {
  Calculate(kSodiumChloride, {"0.1", "20"});
  Calculate(kWater, {"30"});
  ASSERT_EQ(app.Log.LogRow(), 3);

  Select(kSodiumChloride);
  platform.QueueInput("abc");
  platform.QueueAnswer(Answer::No);
  app.List1_Click();

  EXPECT_TRUE(app.Ended());
  EXPECT_TRUE(platform.Ended());
  EXPECT_EQ(platform.Operations().back(), "end");
  EXPECT_TRUE(platform.PrintedLines().empty());
  EXPECT_EQ(platform.DocumentsEnded(), 0);

  app.List1_Click();
  app.List1_KeyPress(13);
  app.Command1_Click();
  EXPECT_EQ(platform.OperationsAfterEnd(), 0u);
  EXPECT_EQ(platform.DocumentsEnded(), 0);
}

struct OutcomeRow {
  const char* name;
  PrintOutcome outcome;
  std::vector<std::string> notices;
};

// Shown by GoogleTest in test names and failure messages.
void PrintTo(const OutcomeRow& r, std::ostream* os) { *os << r.name << " (" << r.notices.size() << " notices)"; }

class EndButton : public AppTest, public testing::WithParamInterface<OutcomeRow> {};

TEST_P(EndButton, PrintsTheProtocolSaysWhereItWentAndEnds) {
  Calculate(kSodiumChloride, {"0.1", "20"});
  platform.printOutcome = GetParam().outcome;
  platform.ClearOperations();

  app.Command1_Click();

  EXPECT_EQ(platform.DocumentsEnded(), 1);
  EXPECT_FALSE(platform.PrintedLines().empty());
  std::vector<std::string> tail;
  const auto& ops = platform.Operations();
  auto it = std::find(ops.begin(), ops.end(), "end document");
  ASSERT_NE(it, ops.end());
  tail.assign(it + 1, ops.end());
  std::vector<std::string> expected = GetParam().notices;
  expected.push_back("end");
  EXPECT_EQ(tail, expected);
  EXPECT_TRUE(app.Ended());

  app.Command1_Click();
  app.List1_Click();
  EXPECT_EQ(platform.DocumentsEnded(), 1);
  EXPECT_EQ(platform.OperationsAfterEnd(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, EndButton,
                         testing::Values(OutcomeRow{"Printed", {PrintOutcome::Kind::Printed, "", ""}, {}},
                                         OutcomeRow{
                                             "SavedAsPdf",
                                             {PrintOutcome::Kind::SavedAsPdf, "/home/user/Documents/protocol.pdf", ""},
                                             {"notify text=Принтер недоступен. Протокол сохранён в файле:\r"
                                              "/home/user/Documents/protocol.pdf title=Протокол"}},
                                         OutcomeRow{"Failed",
                                                    {PrintOutcome::Kind::Failed, "", "disk full"},
                                                    {"notify text=Протокол не напечатан:\rdisk full title=ОШИБКА !"}}),
                         RowName<OutcomeRow>);

}  // namespace
}  // namespace elprops::frontend
