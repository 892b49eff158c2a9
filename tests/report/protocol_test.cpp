// The printed protocol: the exact lines, their order, their lengths and the
// column bars, from run logs filled by hand and from a whole run of the
// program on the scripted platform.
#include "report/protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "frontend/app.h"
#include "model/correlations.h"
#include "tests/support/scripted_platform.h"
#include "text/text.h"

namespace elprops::report {
namespace {

using Lines = std::vector<std::string>;
using test_support::ScriptedPlatform;

constexpr std::uint8_t kAmmoniumChloride = 3;
constexpr std::uint8_t kBariumNitrate = 4;
constexpr std::uint8_t kPotassiumCarbonate = 8;
constexpr std::uint8_t kMagnesiumChloride = 12;
constexpr std::uint8_t kSodiumChloride = 17;

// The lines of the printed protocol, typed out.
std::string Rule() {
  std::string rule;
  for (int i = 0; i < 75; ++i) rule += "—";
  return rule;
}
const std::string kStamp = "08 марта 2024г.        12:34:56";  // the scripted clock and locale
const std::string kSodiumChlorideTitle = "          ФИЗИКО - ХИМИЧЕСКИЕ СВОЙСТВА ХЛОРИДА НАТРИЯ ";
const std::string kAmmoniumChlorideTitle = "          ФИЗИКО - ХИМИЧЕСКИЕ СВОЙСТВА ХЛОРИДА АММОНИЯ ";
const std::string kWaterTitleLine = "                ФИЗИКО-ХИМИЧЕСКИЕ СВОЙСТВА ВОДЫ";
const Lines kSolutionHead{
    "|КОНЦЕНТ-|ТЕМПЕРАТУРА|ПЛОТНОСТЬ|ВЯЗКОСТЬ|ПОВЕРХНОСТНОЕ| ТЕПЛОЕМ-|ТЕПЛОПРО-|",
    "| РАЦИЯ  |           |         |        |  НАТЯЖЕНИЕ  |  КОСТЬ  |ВОДНОСТЬ |",
    "| КГ/КГ  |ГРАД. ЦЕЛЬС|КГ/(М**3)|  ПА*С  |      Н/М    |ДЖ/(КГ*К)| ВТ/(М*К)|",
};
const Lines kWaterHead{
    "|ТЕМПЕРАТУРА|ПЛОТНОСТЬ|ВЯЗКОСТЬ|ПОВЕРХНОСТНОЕ|ТЕПЛОЕМКОСТЬ|ТЕПЛОПРОВОДНОСТЬ|",
    "|           |         |        |  НАТЯЖЕНИЕ  |            |                |",
    "| ГРАД.ЦЕЛЬС|КГ/(М**3)|  ПА*С  |     Н/М     |  ДЖ/(КГ*К) |    ВТ/(М*К)    |",
};
// Sodium chloride at 0.1 kg/kg and 20 degrees, and water at 20 degrees, cell
// by cell as the worked rows give them.
const std::string kSodiumChlorideRow = "| 0.1000 |   20.00   | 1070.6  |0.001208|   0.07965   |  3747.  |  0.587  |";
const std::string kSodiumChlorideRowComma =
    "| 0,1000 |   20,00   | 1070,6  |0,001208|   0,07965   |  3747,  |  0,587  |";
const std::string kWaterRow = "|   20.00   |  998.4  |0.000998|   0.07271   |   4183.    |     0.599      |";

Lines SolutionTable(const std::string& title, const Lines& rows) {
  Lines lines{title, Rule()};
  lines.insert(lines.end(), kSolutionHead.begin(), kSolutionHead.end());
  lines.push_back(Rule());
  for (const std::string& row : rows) {
    lines.push_back(row);
    lines.push_back(Rule());
  }
  lines.insert(lines.end(), {"", ""});
  return lines;
}

Lines WaterTable(const Lines& rows) {
  Lines lines{kWaterTitleLine + "\r" + Rule()};
  lines.insert(lines.end(), kWaterHead.begin(), kWaterHead.end());
  lines.push_back(Rule());
  for (const std::string& row : rows) {
    lines.push_back(row);
    lines.push_back(Rule());
  }
  lines.insert(lines.end(), {"", ""});
  return lines;
}

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const Lines kStampLines{kStamp, ""};

class Protocol : public ::testing::Test {
 protected:
  platform::PrintOutcome Print() { return PrintProtocol(tables_, log_, platform_, platform_, platform_); }
  const Lines& Printed() const { return platform_.PrintedLines(); }

  model::SubstanceTables tables_ = model::MakeSubstanceTables();
  report::RunLog log_;
  ScriptedPlatform platform_;
};

// The cells of a data row, trimmed.
std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells;
  std::size_t start = 1;
  for (std::size_t bar = row.find('|', start); bar != std::string::npos; bar = row.find('|', start)) {
    cells.push_back(text::Trim(row.substr(start, bar - start)));
    start = bar + 1;
  }
  return cells;
}

// Positions (counted from 1, in characters) of the bars of a line.
std::vector<std::size_t> BarPositions(const std::string& line) {
  std::vector<std::size_t> bars;
  std::size_t position = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;  // inside a character
    ++position;
    if (line[i] == '|') bars.push_back(position);
  }
  return bars;
}

bool IsHead(const std::string& line) {
  return std::find(kSolutionHead.begin(), kSolutionHead.end(), line) != kSolutionHead.end() ||
         std::find(kWaterHead.begin(), kWaterHead.end(), line) != kWaterHead.end();
}

// The data rows of the printed lines (bars, but not a head line).
Lines DataRows(const Lines& lines) {
  Lines rows;
  for (const std::string& line : lines) {
    if (!line.empty() && line[0] == '|' && !IsHead(line)) rows.push_back(line);
  }
  return rows;
}

TEST_F(Protocol, NoPointsPrintsNothingButEndsTheDocument) {
  platform_.printOutcome.detail = "from the printer";
  const platform::PrintOutcome outcome = Print();
  EXPECT_TRUE(Printed().empty());
  EXPECT_EQ(platform_.DocumentsEnded(), 1);
  EXPECT_EQ(outcome.detail, "from the printer");
  EXPECT_FALSE(log_.StampPrinted);
}

TEST_F(Protocol, OneSolutionPointIsTheWorkedRow) {
  log_.RecordPoint(kSodiumChloride, 0.1f, 20.0f);
  Print();
  EXPECT_EQ(Printed(), Concat({kStampLines, SolutionTable(kSodiumChlorideTitle, {kSodiumChlorideRow})}));
  EXPECT_EQ(platform_.FontName(), "Courier New Cyr");
  EXPECT_EQ(platform_.FontSize(), 10.0f);
  EXPECT_EQ(platform_.DocumentsEnded(), 1);
  EXPECT_TRUE(log_.StampPrinted);
  // The font is chosen before the first line.
  const auto& ops = platform_.Operations();
  const auto font =
      std::find_if(ops.begin(), ops.end(), [](const std::string& op) { return op.starts_with("font name"); });
  const auto print =
      std::find_if(ops.begin(), ops.end(), [](const std::string& op) { return op.starts_with("print"); });
  EXPECT_LT(font - ops.begin(), print - ops.begin());
}

TEST_F(Protocol, RussianSettingsPrintDecimalCommas) {
  platform_.decimalSeparator = ",";
  log_.RecordPoint(kSodiumChloride, 0.1f, 20.0f);
  Print();
  EXPECT_EQ(DataRows(Printed()), Lines{kSodiumChlorideRowComma});
}

TEST_F(Protocol, OnlyWaterGetsTheStampFirst) {
  log_.RecordPoint(model::kWater, 0.0f, 20.0f);
  Print();
  EXPECT_EQ(Printed(), Concat({kStampLines, WaterTable({kWaterRow})}));
}

TEST_F(Protocol, WaterFlagWithoutWaterPointsPrintsTheHeadAlone) {
  log_.WaterPointsLogged = true;
  Print();
  EXPECT_EQ(Printed(), Concat({kStampLines, WaterTable({})}));
}

TEST_F(Protocol, TablesComeInSubstanceOrderThenWater) {
  log_.RecordPoint(model::kWater, 0.0f, 20.0f);
  log_.RecordPoint(kSodiumChloride, 0.1f, 20.0f);
  log_.RecordPoint(kAmmoniumChloride, 0.1f, 20.0f);
  Print();
  const Lines& lines = Printed();
  ASSERT_GE(lines.size(), 3u);
  std::vector<std::size_t> titles;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find("ФИЗИКО") != std::string::npos) titles.push_back(i);
  }
  ASSERT_EQ(titles.size(), 3u);
  EXPECT_EQ(lines[titles[0]], kAmmoniumChlorideTitle);
  EXPECT_EQ(lines[titles[1]], kSodiumChlorideTitle);
  EXPECT_TRUE(lines[titles[2]].starts_with(kWaterTitleLine + "\r"));
  EXPECT_EQ(titles[0], 2u);  // after the stamp and its empty line
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kStamp), 1);
  // Every table is 9 lines, a row and its rule each, ending in two empty
  // lines; the next starts at once with its title.
  EXPECT_EQ(titles[1], titles[0] + 10);
  EXPECT_EQ(titles[2], titles[1] + 10);
  EXPECT_EQ(Concat({{lines.begin() + static_cast<long>(titles[1]), lines.begin() + static_cast<long>(titles[2])}}),
            SolutionTable(kSodiumChlorideTitle, {kSodiumChlorideRow}));
}

TEST_F(Protocol, ScatteredPointsAreSortedWithTheirTemperatures) {
  log_.RecordPoint(kSodiumChloride, 0.3f, 30.0f);
  log_.RecordPoint(model::kWater, 0.0f, 50.0f);
  log_.RecordPoint(kSodiumChloride, 0.1f, 10.0f);
  log_.RecordPoint(kAmmoniumChloride, 0.2f, 20.0f);
  log_.RecordPoint(model::kWater, 0.0f, 20.0f);
  log_.RecordPoint(kSodiumChloride, 0.2f, 20.0f);
  log_.RecordPoint(model::kWater, 0.0f, 35.0f);
  Print();
  const Lines rows = DataRows(Printed());
  ASSERT_EQ(rows.size(), 1u + 3u + 3u);
  const std::vector<std::pair<std::string, std::string>> expected{
      {"0.2000", "20.00"}, {"0.1000", "10.00"}, {"0.2000", "20.00"}, {"0.3000", "30.00"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Cells(rows[i])[0], expected[i].first) << rows[i];
    EXPECT_EQ(Cells(rows[i])[1], expected[i].second) << rows[i];
  }
  EXPECT_EQ(Cells(rows[4])[0], "20.00");
  EXPECT_EQ(Cells(rows[5])[0], "35.00");
  EXPECT_EQ(Cells(rows[6])[0], "50.00");
  EXPECT_EQ(rows[4], kWaterRow);  // computed for water, whatever came before
}

TEST_F(Protocol, EqualConcentrationsKeepTheExchangeOrder) {
  log_.RecordPoint(kSodiumChloride, 0.2f, 30.0f);
  log_.RecordPoint(kSodiumChloride, 0.2f, 10.0f);
  log_.RecordPoint(kSodiumChloride, 0.1f, 20.0f);
  Print();
  const Lines rows = DataRows(Printed());
  ASSERT_EQ(rows.size(), 3u);
  // (0.2, 0.2, 0.1) with (30, 10, 20) end as (0.1, 0.2, 0.2) with (20, 10, 30).
  EXPECT_EQ(rows[0], kSodiumChlorideRow);
  EXPECT_EQ(Cells(rows[1])[1], "10.00");
  EXPECT_EQ(Cells(rows[2])[1], "30.00");
}

TEST_F(Protocol, PotassiumCarbonateTitleHasNoTrailingBlank) {
  log_.RecordPoint(kPotassiumCarbonate, 0.1f, 20.0f);
  Print();
  ASSERT_GE(Printed().size(), 3u);
  EXPECT_EQ(Printed()[2], "          ФИЗИКО - ХИМИЧЕСКИЕ СВОЙСТВА КАРБОНАТА КАЛИЯ");
}

// Every substance, values that need the short form among them, and a point
// the correlations cannot compute: every line keeps its length and its bars.
TEST_F(Protocol, EveryLineHasItsLengthAndBars) {
  for (std::uint8_t s = 1; s < model::kWater; ++s) {
    log_.RecordPoint(s, 0.05f, 25.0f);
    log_.RecordPoint(s, 0.2f, 80.0f);
  }
  log_.RecordPoint(kMagnesiumChloride, 0.8f, 20.0f);        // viscosity above 10 Pa*s
  log_.RecordPoint(kMagnesiumChloride, 0.95f, 1.0f);        // some thousand Pa*s
  log_.RecordPoint(kBariumNitrate, 0.95f, 1.0f);            // tension of some -10^7 N/m
  log_.RecordPoint(model::kCalciumChloride, 0.9f, 20.0f);   // tension of some -10^10 N/m
  log_.RecordPoint(model::kCalciumChloride, 0.95f, 20.0f);  // beyond the single range
  for (float t : {1.0f, 20.0f, 100.0f, 199.0f}) log_.RecordPoint(model::kWater, 0.0f, t);
  Print();

  const std::vector<std::size_t> solutionBars{1, 10, 22, 32, 41, 55, 65, 75};
  const std::vector<std::size_t> waterBars{1, 13, 23, 32, 46, 59, 76};
  bool inWater = false;
  std::size_t rules = 0, solutionRows = 0, waterRows = 0, titles = 0;
  std::vector<std::string> lines;
  for (const std::string& item : Printed()) {
    const std::size_t cr = item.find('\r');
    if (cr == std::string::npos) {
      lines.push_back(item);
    } else {
      lines.push_back(item.substr(0, cr));
      lines.push_back(item.substr(cr + 1));
    }
  }
  for (const std::string& line : lines) {
    if (line.find("ФИЗИКО") != std::string::npos) {
      ++titles;
      inWater = line == kWaterTitleLine;
      if (!inWater && line.find("КАРБОНАТА КАЛИЯ") == std::string::npos) {
        EXPECT_TRUE(line.ends_with(" ")) << line;
      }
    } else if (line.starts_with("—")) {
      ++rules;
      EXPECT_EQ(line, Rule());
    } else if (line.starts_with("|")) {
      EXPECT_EQ(text::CharCount(line), inWater ? 76u : 75u) << line;
      EXPECT_EQ(BarPositions(line), inWater ? waterBars : solutionBars) << line;
      if (!IsHead(line)) ++(inWater ? waterRows : solutionRows);
    }
  }
  EXPECT_EQ(titles, 19u);
  EXPECT_EQ(solutionRows, 18u * 2u + 5u);
  EXPECT_EQ(waterRows, 4u);
  EXPECT_EQ(rules, 19u * 2u + solutionRows + waterRows);
}

TEST_F(Protocol, ViscosityOfTenOrMoreFitsItsCell) {
  log_.RecordPoint(kMagnesiumChloride, 0.8f, 20.0f);
  Print();
  float concentration = 0.8f, limit = 0.0f;
  model::PropertySet p;
  ASSERT_TRUE(model::ComputeProperties(tables_, kMagnesiumChloride, concentration, 20.0f, limit, p).ok());
  ASSERT_GE(p.Viscosity, 10.0f);  // the case this test is about
  const Lines rows = DataRows(Printed());
  ASSERT_EQ(rows.size(), 1u);
  const std::string cell = Cells(rows[0])[3];
  EXPECT_EQ(cell.size(), 8u) << cell;
  ASSERT_NE(cell.find("E+01"), std::string::npos) << cell;
  EXPECT_NEAR(std::strtod(cell.c_str(), nullptr), static_cast<double>(p.Viscosity),
              0.01 * static_cast<double>(p.Viscosity));
}

TEST_F(Protocol, HugeTensionFitsItsCell) {
  log_.RecordPoint(kBariumNitrate, 0.95f, 1.0f);
  platform_.decimalSeparator = ",";
  Print();
  float concentration = 0.95f, limit = 0.0f;
  model::PropertySet p;
  ASSERT_TRUE(model::ComputeProperties(tables_, kBariumNitrate, concentration, 1.0f, limit, p).ok());
  ASSERT_LT(p.SurfaceTension, -1e7f);  // fifteen characters in fixed form
  const Lines rows = DataRows(Printed());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(text::CharCount(rows[0]), 75u);
  std::string cell = Cells(rows[0])[4];
  EXPECT_EQ(cell.size(), 13u) << cell;
  ASSERT_NE(cell.find("E+07"), std::string::npos) << cell;
  std::replace(cell.begin(), cell.end(), ',', '.');
  EXPECT_NEAR(std::strtod(cell.c_str(), nullptr), static_cast<double>(p.SurfaceTension),
              1e-5 * std::abs(static_cast<double>(p.SurfaceTension)));
}

TEST_F(Protocol, PointTheCorrelationsCannotComputeIsMarked) {
  log_.RecordPoint(model::kCalciumChloride, 0.95f, 20.0f);
  Print();
  const Lines rows = DataRows(Printed());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], "| 0.9500 |   20.00   | ОШИБКА  | ОШИБКА |   ОШИБКА    | ОШИБКА  | ОШИБКА  |");
}

// A whole run: start-up, sodium chloride typed with a decimal comma, water,
// then the end button.
TEST(ProtocolEndToEnd, RunThenEndButtonPrintsTheProtocol) {
  ScriptedPlatform platform;
  frontend::App app(platform);
  app.Form_Load();
  platform.Select(kSodiumChloride - 1);
  platform.QueueInputs({"0,1", "20"});
  app.List1_Click();
  platform.Select(model::kWater - 1);
  platform.QueueInputs({"20"});
  app.List1_Click();
  ASSERT_EQ(platform.PendingInputs(), 0u);
  ASSERT_FALSE(app.Ended());

  app.Command1_Click();
  EXPECT_EQ(platform.PrintedLines(),
            Concat({kStampLines, SolutionTable(kSodiumChlorideTitle, {kSodiumChlorideRow}), WaterTable({kWaterRow})}));
  EXPECT_EQ(platform.DocumentsEnded(), 1);
  EXPECT_TRUE(app.Ended());
  EXPECT_TRUE(platform.Ended());
  EXPECT_EQ(platform.OperationsAfterEnd(), 0u);
}

TEST(ProtocolEndToEnd, ProtocolSavedAsPdfIsAnnounced) {
  ScriptedPlatform platform;
  platform.printOutcome = {platform::PrintOutcome::Kind::SavedAsPdf, "/home/user/Documents/p.pdf", "no printer"};
  frontend::App app(platform);
  app.Form_Load();
  app.Command1_Click();
  EXPECT_TRUE(platform.PrintedLines().empty());
  EXPECT_EQ(platform.DocumentsEnded(), 1);
  const auto& ops = platform.Operations();
  EXPECT_TRUE(std::any_of(ops.begin(), ops.end(), [](const std::string& op) {
    return op.starts_with("notify ") && op.find("/home/user/Documents/p.pdf") != std::string::npos;
  }));
  EXPECT_TRUE(platform.Ended());
}

}  // namespace
}  // namespace elprops::report
