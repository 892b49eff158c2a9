// The command-line program end to end: arguments in, exit status, standard
// output and standard error out.
#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "model/correlations.h"
#include "tests/cli/cli_runner.h"
#include "tests/cli/csv_table.h"
#include "tests/cli/published_points.h"
#include "tests/cli/text_lines.h"

namespace elprops::cli {
namespace {

using testing::CliRun;
using testing::CsvTable;
using testing::Lines;
using testing::RunCli;
using testing::TempFile;

constexpr const char* kCsvHeader =
    "substance,concentration,temperature,density,viscosity,surface_tension,heat_capacity,thermal_conductivity,error,"
    "warning";

// The cells of a CSV line as written; a quoted cell (a message with a
// comma) is one cell, its quotes kept.
std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

float ReadSingle(const std::string& text) {
  float v = -1.0f;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  EXPECT_EQ(r.ptr, text.data() + text.size()) << '"' << text << '"';
  return v;
}

// The same single read the other way, as the program reads its input:
// through a double.
float ReadThroughDouble(const std::string& text) {
  double v = -1.0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return static_cast<float>(v);
}

bool SameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

// A CSV row of computed results against the model's singles, bit for bit.
void ExpectRow(const std::string& line, std::string_view formula, std::uint8_t substance, float x, float t) {
  SCOPED_TRACE(line);
  const std::vector<std::string> c = Split(line);
  ASSERT_EQ(c.size(), 10u);
  static const model::SubstanceTables tables = model::MakeSubstanceTables();
  model::PropertySet p;
  float limit = 0.0f;
  ASSERT_TRUE(model::ComputeProperties(tables, substance, x, t, limit, p).ok());
  EXPECT_EQ(c[0], formula);
  const float expected[7] = {x, t, p.Density, p.Viscosity, p.SurfaceTension, p.HeatCapacity, p.ThermalConductivity};
  for (std::size_t k = 0; k < 7; ++k) {
    EXPECT_TRUE(SameBits(ReadSingle(c[k + 1]), expected[k])) << "column " << k + 1;
    EXPECT_TRUE(SameBits(ReadThroughDouble(c[k + 1]), expected[k])) << "column " << k + 1;
  }
  EXPECT_EQ(c[8], "");
}

// The published digits of a worked example in a CSV row: the check that
// does not take the model on trust. Fails for a point that was not
// published.
void ExpectPublishedRow(const std::string& line, std::uint8_t substance, float x, float t) {
  SCOPED_TRACE(line);
  const std::vector<std::string> c = Split(line);
  ASSERT_EQ(c.size(), 10u);
  EXPECT_TRUE(testing::ExpectPublishedDigits({c[3], c[4], c[5], c[6], c[7]}, substance, x, t))
      << "not a published point";
}

TEST(CliList, NineteenSubstancesWithIndexFormulaNameAndCaption) {
  const CliRun r = RunCli({"list"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 19u);
  EXPECT_EQ(lines[0].substr(0, 12), " 1  NH4HCO3 ");
  EXPECT_NE(lines[0].find("ammonium bicarbonate"), std::string::npos);
  EXPECT_TRUE(lines[0].ends_with("  АММОНИЯ БИКАРБОНАТ"));
  EXPECT_TRUE(lines[7].starts_with(" 8  K2CO3 "));
  EXPECT_TRUE(lines[18].starts_with("19  H2O "));
  EXPECT_TRUE(lines[18].ends_with("water                 ВОДА"));
  // The captions stand in one column, without their leading blanks.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view caption = model::kCatalogue[i].Caption;
    caption.remove_prefix(13);
    EXPECT_EQ(lines[i].substr(37), caption) << lines[i];
    EXPECT_EQ(lines[i][36], ' ');
  }
}

TEST(CliCompute, TextShowsTheResultsAsTheWindowDoes) {
  const CliRun r = RunCli({"compute", "--substance", "NaCl", "--concentration", "0.1", "--temperature", "20"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // The published values 1070.638, 0.001208059, 0.07964794, 3747.392 and
  // 0.5867352 in the label's pictures.
  EXPECT_EQ(r.out,
            "НАТРИЯ ХЛОРИД (NaCl, sodium chloride)\n"
            "КОНЦЕНТРАЦИЯ -  .1 Кг/Кг\n"
            "ТЕМПЕРАТУРА -  20 Град. Цельсия\n"
            "\n"
            "ПЛОТНОСТЬ -\n"
            "1070.6  КГ/(M^3)\n"
            "\n"
            "ВЯЗКОСТЬ - \n"
            "0.001208 ПА*С\n"
            "\n"
            "ПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ - \n"
            "0.07965  Н/М\n"
            "\n"
            "ТЕПЛОЁМКОСТЬ - \n"
            "3747  ДЖ/(КГ*К)\n"
            "\n"
            "ТЕПЛОПРОВОДНОСТЬ -\n"
            "0.587  ВТ/(М*К)\n");
}

#ifdef ELPROPS_CLI_READS_LOCALE
TEST(CliCompute, TextUsesTheUsersDecimalSeparatorForResultsOnly) {
  const CliRun r = RunCli({"compute", "-s", "nacl", "-c", "0,1", "-t", "20"}, "", "de_DE.UTF-8");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("КОНЦЕНТРАЦИЯ -  .1 Кг/Кг\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n1070,6  КГ/(M^3)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n0,001208 ПА*С\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n3747  ДЖ/(КГ*К)\n"), std::string::npos) << r.out;
}
#endif

TEST(CliCompute, WaterTextLeavesOutTheConcentration) {
  const CliRun r = RunCli({"compute", "-s", "H2O", "-t", "100"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(
      r.out.starts_with("ВОДА (H2O, water)\nТЕМПЕРАТУРА -  100 Град. Цельсия\n\nПЛОТНОСТЬ -\n958.1  КГ/(M^3)\n"))
      << r.out;
  EXPECT_NE(r.out.find("\n4215  ДЖ/(КГ*К)\n"), std::string::npos);
  EXPECT_EQ(r.out.find("КОНЦЕНТРАЦИЯ"), std::string::npos);
}

TEST(CliCompute, CsvRowsAreTheModelsSinglesForEveryWorkedExample) {
  const struct {
    const char* substance;
    const char* x;
    const char* t;
    std::uint8_t index;
    std::string_view formula;
    float xs, ts;
  } rows[] = {{"17", "0.1", "20", 17, "NaCl", 0.1f, 20.0f},
              {"h2o", "0", "20", 19, "H2O", 0.0f, 20.0f},
              {"H2O", "0", "100", 19, "H2O", 0.0f, 100.0f},
              {"nh4hco3", "0,1", "20", 1, "NH4HCO3", 0.1f, 20.0f},
              {"(NH4)2SO4", "0.2", "50", 2, "(NH4)2SO4", 0.2f, 50.0f},
              {"3", "0.1", "20", 3, "NH4Cl", 0.1f, 20.0f},
              {"BACL2", "0.15", "25", 6, "BaCl2", 0.15f, 25.0f},
              {"cacl2", "0,3", "60", 11, "CaCl2", 0.3f, 60.0f},
              {"NaOH", "0.2", "80", 14, "NaOH", 0.2f, 80.0f},
              {"16", "0.1", "20,0", 16, "Na2SO4", 0.1f, 20.0f}};
  for (const auto& row : rows) {
    const CliRun r = RunCli({"compute", "-s", row.substance, "-c", row.x, "-t", row.t, "--format", "csv"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0], kCsvHeader);
    ExpectRow(lines[1], row.formula, row.index, row.xs, row.ts);
    ExpectPublishedRow(lines[1], row.index, row.xs, row.ts);
  }
}

TEST(CliCompute, PublishedDigitsInCsv) {
  const CliRun r = RunCli({"compute", "-s", "CaCl2", "-c", "0.3", "-t", "60", "-f", "csv"});
  const std::vector<std::string> c = Split(Lines(r.out).at(1));
  ASSERT_EQ(c.size(), 10u);
  const auto six = [](const std::string& text) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + 32, static_cast<double>(ReadSingle(text)), std::chars_format::general, 6);
    return std::string(buf, end.ptr);
  };
  EXPECT_EQ(six(c[3]), "1261.73");
  EXPECT_EQ(six(c[4]), "0.00180166");
  EXPECT_EQ(six(c[5]), "0.0720157");
  EXPECT_EQ(six(c[6]), "2838.36");
  EXPECT_EQ(six(c[7]), "0.614814");
}

TEST(CliCompute, SweepIsEveryCombinationConcentrationOuter) {
  const CliRun r = RunCli({"compute", "-s", "KCl", "-c", "0,1:0,3:0,1", "-t", "20:40:10", "-f", "csv"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 10u) << r.out;
  const float xs[] = {0.1f, 0.2f, 0.3f};
  const float ts[] = {20.0f, 30.0f, 40.0f};
  std::size_t k = 1;
  for (const float x : xs) {
    for (const float t : ts) ExpectRow(lines[k++], "KCl", 10, x, t);
  }
  // A sweep through published points.
  const CliRun water = RunCli({"compute", "-s", "H2O", "-t", "20:100:80", "-f", "csv"});
  EXPECT_EQ(water.exitStatus, 0) << water.err;
  const std::vector<std::string> waterLines = Lines(water.out);
  ASSERT_EQ(waterLines.size(), 3u) << water.out;
  ExpectPublishedRow(waterLines[1], 19, 0.0f, 20.0f);
  ExpectPublishedRow(waterLines[2], 19, 0.0f, 100.0f);
}

TEST(CliCompute, SweepInTextSeparatesPointsByAnEmptyLine) {
  const CliRun r = RunCli({"compute", "-s", "H2O", "-t", "20:30:10"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("0.599  ВТ/(М*К)\n\nВОДА (H2O, water)\nТЕМПЕРАТУРА -  30 Град. Цельсия\n"), std::string::npos)
      << r.out;
}

TEST(CliCompute, JsonLines) {
  const CliRun r = RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "20:21:1", "-f", "json"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2u);
  for (const auto& line : lines) {
    EXPECT_TRUE(line.starts_with("{\"substance\":\"NaCl\",\"concentration\":0.1,\"temperature\":2")) << line;
    EXPECT_TRUE(line.ends_with(",\"error\":null,\"warning\":null}")) << line;
    for (const char* field : {"\"density\":1", "\"viscosity\":0.00", "\"surface_tension\":0.07", "\"heat_capacity\":37",
                              "\"thermal_conductivity\":0.5"}) {
      EXPECT_NE(line.find(field), std::string::npos) << field;
    }
  }
}

TEST(CliCompute, FailingPointGivesEmptyCellsAndExitOne) {
  const CliRun csv = RunCli({"compute", "-s", "K2CO3", "-c", "0.99", "-t", "20", "-f", "csv"});
  EXPECT_EQ(csv.exitStatus, 1);
  EXPECT_EQ(Lines(csv.out).at(1),
            "K2CO3,0.99,20,,,,,,arithmetic error: value beyond the single-precision range in surface tension factor,");
  EXPECT_NE(csv.err.find("1 of 1 points"), std::string::npos) << csv.err;

  const CliRun text = RunCli({"compute", "-s", "K2CO3", "-c", "0.99", "-t", "20"});
  EXPECT_EQ(text.exitStatus, 1);
  EXPECT_EQ(text.out, "");
  EXPECT_EQ(text.err,
            "elprops-cli: K2CO3 at concentration 0.99 and temperature 20: arithmetic error: value beyond the "
            "single-precision range in surface tension factor\n");
}

TEST(CliCompute, SweepReportsRefusedPointsAndComputesTheOthers) {
  const CliRun r = RunCli({"compute", "-s", "H2O", "-t", "0:300:100", "-f", "csv"});
  EXPECT_EQ(r.exitStatus, 1);
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1],
            "H2O,0,0,,,,,,temperature 0 °C is outside the range: above 0 °C and below 200 °C; 0 °C and below are not "
            "covered,");
  ExpectRow(lines[2], "H2O", 19, 0.0f, 100.0f);
  ExpectPublishedRow(lines[2], 19, 0.0f, 100.0f);
  EXPECT_EQ(lines[3],
            "H2O,0,200,,,,,,temperature 200 °C is outside the range: above 0 °C and below 200 °C; 200 °C and above are "
            "not covered,");
  EXPECT_EQ(lines[4],
            "H2O,0,300,,,,,,temperature 300 °C is outside the range: above 0 °C and below 200 °C; 200 °C and above are "
            "not covered,");
}

TEST(CliCompute, CsvRecordsKeepTheHeadersCellsWhenPointsFail) {
  // Water from 190 to 210: computed, refused on the limit, refused beyond
  // it; then an arithmetic fault.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"compute", "-s", "H2O", "-t", "190:210:10", "-f", "csv"},
        std::vector<std::string>{"compute", "-s", "K2CO3", "-c", "0.99", "-t", "20", "-f", "csv"}}) {
    const CliRun r = RunCli(args);
    EXPECT_EQ(r.exitStatus, 1);
    const CsvTable table(r.out);
    ASSERT_EQ(table.Error(), "");
    ASSERT_GE(table.RowCount(), 1u);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      EXPECT_EQ(table.FieldCount(row), 10u) << row;
      const bool computed = table.Get(row, "error") == "";
      EXPECT_EQ(table.Get(row, "thermal_conductivity") != "", computed) << row;
    }
  }
}

struct RefusedRow {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

void PrintTo(const RefusedRow& row, std::ostream* os) { *os << row.name; }

class CliRefused : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(CliRefused, ExitOneWithTheReason) {
  const CliRun r = RunCli(GetParam().args);
  EXPECT_EQ(r.exitStatus, 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Points, CliRefused,
    ::testing::Values(
        RefusedRow{"ConcentrationOne", {"compute", "-s", "NaCl", "-c", "1", "-t", "20"}, "concentration 1 is not"},
        RefusedRow{"ConcentrationZero", {"compute", "-s", "NaCl", "-c", "0", "-t", "20"}, "concentration 0 is not"},
        RefusedRow{"RoundsToOne", {"compute", "-s", "NaCl", "-c", "0.99999999", "-t", "20"}, "concentration 1 is"},
        RefusedRow{"NegativeConcentration", {"compute", "-s", "NaCl", "-c", "-0,3", "-t", "20"}, "-0.3 is not"},
        RefusedRow{"SaltAt270", {"compute", "-s", "NaCl", "-c", "0.1", "-t", "270"}, "temperature 270 °C is outside"},
        RefusedRow{"SaltAt280",
                   {"compute", "-s", "NaCl", "-c", "0.1", "-t", "280"},
                   "below 270 °C; 270 °C and above are not covered"},
        RefusedRow{
            "WaterAt250", {"compute", "-s", "H2O", "-t", "250"}, "below 200 °C; 200 °C and above are not covered"},
        RefusedRow{
            "ZeroTemperature",
            {"compute", "-s", "NaCl", "-c", "0.1", "-t", "0"},
            "temperature 0 °C is outside the range: above 0 °C and below 270 °C; 0 °C and below are not covered"},
        RefusedRow{"LowerLimit",
                   {"compute", "-s", "NaCl", "-c", "0.1", "-t", "1e-20"},
                   "temperature 1e-20 °C is outside the range"},
        RefusedRow{"WaterWithConcentration", {"compute", "-s", "H2O", "-c", "0.2", "-t", "20"}, "water takes no"},
        RefusedRow{"BeyondSingleRange", {"compute", "-s", "NaCl", "-c", "0.1", "-t", "1e39"}, "single-precision"}),
    [](const ::testing::TestParamInfo<RefusedRow>& row) { return std::string(row.param.name); });

TEST(CliCompute, AcceptedJustInsideTheLimits) {
  EXPECT_EQ(RunCli({"compute", "-s", "NaCl", "-c", "0.9999", "-t", "269.99"}).exitStatus, 0);
  EXPECT_EQ(RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "250"}).exitStatus, 0);
  EXPECT_EQ(RunCli({"compute", "-s", "19", "-c", "0", "-t", "199.99"}).exitStatus, 0);
  EXPECT_EQ(RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "1.1e-20"}).exitStatus, 0);
}

// Compute and solve take every name of a substance the library takes.
TEST(CliSubstanceNames, IndexFormulaAndNamesGiveTheSameRows) {
  const std::vector<std::string> compute = {"compute", "-c", "0,2", "-t", "50", "-f", "csv", "-s"};
  const std::vector<std::string> solve = {"solve", "-t", "50", "--density", "1100", "-f", "csv", "-s"};
  for (std::vector<std::string> args : {compute, solve}) {
    args.emplace_back("2");
    const CliRun byIndex = RunCli(args);
    ASSERT_EQ(byIndex.exitStatus, 0) << byIndex.err;
    for (const char* name :
         {"(NH4)2SO4", "(nh4)2so4", " 2 ", "ammonium sulfate", "Ammonium Sulfate", "АММОНИЯ СУЛЬФАТ"}) {
      args.back() = name;
      EXPECT_EQ(RunCli(args).out, byIndex.out) << args.front() << " -s " << name;
    }
  }
}

struct UsageRow {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

void PrintTo(const UsageRow& row, std::ostream* os) { *os << row.name; }

class CliUsage : public ::testing::TestWithParam<UsageRow> {};

TEST_P(CliUsage, ExitTwoWithAMessageOnStandardError) {
  const CliRun r = RunCli(GetParam().args);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CliUsage,
    ::testing::Values(
        UsageRow{"NoSubcommand", {}, "subcommand"},
        UsageRow{
            "UnknownSubcommand",
            {"chart"},
            "elprops-cli: unknown command \"chart\"; the commands are list, compute, batch, protocol, plot, solve"},
        UsageRow{"UnknownSubstance",
                 {"compute", "-s", "NaCl2", "-c", "0.1", "-t", "20"},
                 "elprops-cli: unknown substance \"NaCl2\": give its index 1 to 19, its formula (NaCl) or its name "
                 "(sodium chloride)\n"},
        UsageRow{"SolveUnknownSubstance",
                 {"solve", "-s", "salt", "-t", "20", "--density", "1100"},
                 "elprops-cli: unknown substance \"salt\": give its index 1 to 19, its formula (NaCl) or its name "
                 "(sodium chloride)\n"},
        UsageRow{"IndexTwenty", {"compute", "-s", "20", "-c", "0.1", "-t", "20"}, "unknown substance \"20\""},
        UsageRow{
            "ConcentrationNotANumber", {"compute", "-s", "NaCl", "-c", "abc", "-t", "20"}, "\"abc\" is not a number"},
        UsageRow{"TemperatureMissing", {"compute", "-s", "NaCl", "-c", "0.1"}, "--temperature"},
        UsageRow{"SaltWithoutConcentration", {"compute", "-s", "NaCl", "-t", "20"}, "--concentration is required"},
        UsageRow{"BadRange", {"compute", "-s", "NaCl", "-c", "0.3:0.1:0.1", "-t", "20"}, "TO must not be less"},
        UsageRow{"ZeroStep", {"compute", "-s", "NaCl", "-c", "0.1:0.3:0", "-t", "20"}, "STEP must be greater"},
        UsageRow{"BadFormat", {"compute", "-s", "NaCl", "-c", "0.1", "-t", "20", "-f", "xml"}, "xml"},
        UsageRow{"BatchTextFormat", {"batch", "-f", "text"}, "text"},
        UsageRow{"MissingFile",
                 {"batch", "no-such-file.csv"},
                 "elprops-cli: cannot open \"no-such-file.csv\": No such file or directory\n"},
        UsageRow{"MissingOption",
                 {"compute", "-s", "NaCl", "-c", "0.1"},
                 "elprops-cli: --temperature is required\nRun elprops-cli compute --help for more information.\n"},
        UsageRow{
            "UnknownOption", {"list", "--bogus"}, "elprops-cli: The following argument was not expected: --bogus\n"},
        UsageRow{"ListBadFormat", {"list", "-f", "xml"}, "elprops-cli: --format: xml not in {text,csv,json}"}),
    [](const ::testing::TestParamInfo<UsageRow>& row) { return std::string(row.param.name); });

TEST(CliVersion, TheProjectsVersion) {
  const CliRun r = RunCli({"--version"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "elprops-cli " ELPROPS_EXPECTED_VERSION "\n");
  EXPECT_EQ(r.err, "");
}

TEST(CliList, ShortFormatOptionAsInTheOtherCommands) {
  const CliRun shortOption = RunCli({"list", "-f", "csv"});
  const CliRun longOption = RunCli({"list", "--format", "csv"});
  EXPECT_EQ(shortOption.exitStatus, 0) << shortOption.err;
  EXPECT_EQ(shortOption.out, longOption.out);
  const CsvTable table(shortOption.out);
  ASSERT_EQ(table.Error(), "");
  ASSERT_EQ(table.RowCount(), 19u);
  EXPECT_EQ(table.Get(7, "formula"), "K2CO3");
  EXPECT_EQ(table.Get(18, "name"), "water");
  EXPECT_EQ(RunCli({"list", "-f", "json"}).out, RunCli({"list", "--format", "json"}).out);
}

const std::vector<std::vector<std::string>> kHelpCalls = {
    {"--help"}, {"list", "--help"}, {"compute", "--help"}, {"batch", "--help"}, {"protocol", "--help"}};

std::size_t Columns(const std::string& line) {
  std::size_t n = 0;
  for (const char c : line) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

TEST(CliHelp, LinesFitEightyColumns) {
  for (const std::vector<std::string>& args : kHelpCalls) {
    const CliRun r = RunCli(args);
    EXPECT_EQ(r.exitStatus, 0);
    for (const std::string& line : Lines(r.out)) EXPECT_LE(Columns(line), 80u) << args[0] << ": " << line;
  }
}

TEST(CliHelp, EachCommandShowsOnlyItsOwnExamples) {
  for (const std::vector<std::string>& args : kHelpCalls) {
    if (args.size() < 2) continue;
    const CliRun r = RunCli(args);
    std::size_t examples = 0;
    for (const std::string& line : Lines(r.out)) {
      if (!line.starts_with("  elprops-cli ")) continue;
      ++examples;
      EXPECT_TRUE((line + " ").starts_with("  elprops-cli " + args[0] + " ")) << args[0] << ": " << line;
    }
    EXPECT_GT(examples, 0u) << args[0];
  }
}

TEST(CliHelp, EveryCommandHasHelpAndExitsZero) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"list", "--help"}, {"compute", "--help"}, {"batch", "--help"}, {"compute", "-h"}}) {
    const CliRun r = RunCli(args);
    EXPECT_EQ(r.exitStatus, 0) << args[0];
    EXPECT_NE(r.out.find("Usage:"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
  }
  EXPECT_NE(RunCli({"compute", "--help"}).out.find("FROM:TO:STEP"), std::string::npos);
  EXPECT_NE(RunCli({"batch", "--help"}).out.find("substance,concentration,temperature"), std::string::npos);
}

constexpr const char* kMixedInput =
    "substance,concentration,temperature\r\n"
    "NaCl,0.1,20\r\n"
    "nacl,\"0,1\",20\r\n"
    "\r\n"
    "8,0.99,20\r\n"
    "H2O,,100\r\n"
    "CaCl2,0.3,270\r\n"
    "Fe,0.1,20\r\n"
    "16,0.1,20\r\n";

TEST(CliBatch, GoodAndBadRowsFromStandardInput) {
  const CliRun r = RunCli({"batch"}, kMixedInput);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "elprops-cli: 3 of 7 rows were not computed (see the error column)\n");
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 8u) << r.out;
  EXPECT_EQ(lines[0], kCsvHeader);
  ExpectRow(lines[1], "NaCl", 17, 0.1f, 20.0f);
  ExpectRow(lines[2], "NaCl", 17, 0.1f, 20.0f);
  EXPECT_EQ(lines[3],
            "K2CO3,0.99,20,,,,,,arithmetic error: value beyond the single-precision range in surface tension factor,");
  ExpectRow(lines[4], "H2O", 19, 0.0f, 100.0f);
  EXPECT_EQ(lines[5],
            "CaCl2,0.3,270,,,,,,temperature 270 °C is outside the range: above 0 °C and below 270 °C; 270 °C and above "
            "are not covered,");
  EXPECT_TRUE(lines[6].starts_with("Fe,0.1,20,,,,,,\"unknown substance \"\"Fe\"\"")) << lines[6];
  ExpectRow(lines[7], "Na2SO4", 16, 0.1f, 20.0f);
  ExpectPublishedRow(lines[1], 17, 0.1f, 20.0f);
  ExpectPublishedRow(lines[2], 17, 0.1f, 20.0f);
  ExpectPublishedRow(lines[4], 19, 0.0f, 100.0f);
  ExpectPublishedRow(lines[7], 16, 0.1f, 20.0f);
}

TEST(CliBatch, FileArgumentAndDashAreTheSame) {
  const TempFile file(kMixedInput);
  const CliRun fromFile = RunCli({"batch", file.Path()});
  const CliRun fromStdin = RunCli({"batch", "-"}, kMixedInput);
  EXPECT_EQ(fromFile.exitStatus, 1);
  EXPECT_EQ(fromFile.out, fromStdin.out);
  EXPECT_EQ(fromFile.err, fromStdin.err);
}

TEST(CliBatch, JsonLinesOnePerRow) {
  const CliRun r = RunCli({"batch", "--format", "json"}, kMixedInput);
  EXPECT_EQ(r.exitStatus, 1);
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_TRUE(lines[0].starts_with("{\"substance\":\"NaCl\",\"concentration\":0.1,\"temperature\":20,\"density\":1"));
  EXPECT_EQ(lines[2],
            "{\"substance\":\"K2CO3\",\"concentration\":0.99,\"temperature\":20,\"density\":null,\"viscosity\":null,"
            "\"surface_tension\":null,\"heat_capacity\":null,\"thermal_conductivity\":null,\"error\":\"arithmetic "
            "error: value beyond the single-precision range in surface tension factor\",\"warning\":null}");
  EXPECT_TRUE(lines[5].starts_with("{\"substance\":\"Fe\",")) << lines[5];
  EXPECT_NE(lines[5].find("\"error\":\"unknown substance \\\"Fe\\\""), std::string::npos) << lines[5];
}

struct UnreadableRow {
  const char* name;
  const char* input;
  const char* message;
};

void PrintTo(const UnreadableRow& row, std::ostream* os) { *os << row.name; }

class CliBatchUnreadable : public ::testing::TestWithParam<UnreadableRow> {};

TEST_P(CliBatchUnreadable, ExitTwoWithTheLineNumber) {
  const UnreadableRow& row = GetParam();
  const CliRun r = RunCli({"batch"}, row.input);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, std::string("elprops-cli: ") + row.message + "\n");
  // Nothing reaches standard output before the header is known good.
  EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CliBatchUnreadable,
    ::testing::Values(UnreadableRow{"Empty", "",
                                    "the input is empty: the header substance,concentration,temperature is missing"},
                      UnreadableRow{"BadHeader", "substance|concentration|temperature\nNaCl|0.1|20\n",
                                    "line 1: the header must name the columns substance, concentration and "
                                    "temperature, in any order, separated by commas or semicolons"},
                      UnreadableRow{"NoHeader", "NaCl,0.1,20\n",
                                    "line 1: the header must name the columns substance, concentration and "
                                    "temperature, in any order, separated by commas or semicolons"},
                      UnreadableRow{"HeaderCellMissing", "substance,temperature\nNaCl,20\n",
                                    "line 1: the header must name the columns substance, concentration and "
                                    "temperature, in any order, separated by commas or semicolons"}),
    [](const ::testing::TestParamInfo<UnreadableRow>& row) { return std::string(row.param.name); });

// Rows that are not computed echo their cells: an empty row stays empty, a
// molality keeps every digit given (1e-50 is not a float's 0).
TEST(CliBatchEcho, CellsAsGiven) {
  const CliRun r = RunCli({"batch"}, "substance,concentration,temperature,unit\n,,,\nNaCl,1e-50,20,molality\n");
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  EXPECT_TRUE(lines[1].starts_with(",,,fraction,")) << lines[1];
  EXPECT_TRUE(lines[2].starts_with("NaCl,1e-50,20,molality,")) << lines[2];
  EXPECT_NE(lines[2].find("molality 1e-50 mol/kg gives the mass fraction 0"), std::string::npos) << lines[2];
}

struct BadRowCase {
  const char* name;
  std::string row;      // line 3 of the input, between two good points
  const char* message;  // the error of its output row
};

void PrintTo(const BadRowCase& row, std::ostream* os) { *os << row.name; }

class CliBadRow : public ::testing::TestWithParam<BadRowCase> {};

std::string BetweenTwoPoints(const std::string& row) {
  return "substance,concentration,temperature\nNaCl,0.1,20\n" + row + "\nNaCl,0.1,30\n";
}

// A row that is not a point gets its own output row with its line and
// cell named; the point after it is computed; exit status 1.
TEST_P(CliBadRow, BatchWritesItsRowAndGoesOn) {
  const CliRun r = RunCli({"batch"}, BetweenTwoPoints(GetParam().row));
  EXPECT_EQ(r.exitStatus, 1) << r.err;
  EXPECT_EQ(r.err, "elprops-cli: 1 of 3 rows were not computed (see the error column)\n");
  const CsvTable table(r.out);
  ASSERT_EQ(table.Error(), "");
  ASSERT_EQ(table.RowCount(), 3u) << r.out;
  for (std::size_t row = 0; row < 3; ++row) EXPECT_EQ(table.FieldCount(row), 10u);
  EXPECT_EQ(table.Get(1, "error"), GetParam().message);
  EXPECT_EQ(table.Get(1, "density"), "");
  EXPECT_EQ(table.Get(2, "error"), "");
  EXPECT_EQ(table.Get(2, "temperature"), "30");
  ExpectRow(Lines(r.out).at(3), "NaCl", 17, 0.1f, 30.0f);
  ExpectRow(Lines(r.out).at(1), "NaCl", 17, 0.1f, 20.0f);
  ExpectPublishedRow(Lines(r.out).at(1), 17, 0.1f, 20.0f);
}

// The protocol reads rows the same way: the row is left out with the same
// message, and the point after it is printed.
TEST_P(CliBadRow, ProtocolLeavesItOutAndGoesOn) {
  const CliRun r = RunCli({"protocol"}, BetweenTwoPoints(GetParam().row));
  EXPECT_EQ(r.exitStatus, 1) << r.err;
  EXPECT_EQ(r.err, std::string("elprops-cli: ") + GetParam().message + "; the point is left out\n");
  EXPECT_NE(r.out.find("|   20.00   |"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("|   30.00   |"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliBadRow,
    ::testing::Values(
        BadRowCase{"NotANumberWord", "NaCl,nan,20", "line 3: concentration \"nan\" is not a number"},
        BadRowCase{"Infinity", "NaCl,0.1,inf", "line 3: temperature \"inf\" is not a number"},
        BadRowCase{"HexadecimalFloat", "NaCl,0x1p-3,20", "line 3: concentration \"0x1p-3\" is not a number"},
        BadRowCase{"Letters", "NaCl,abc,20", "line 3: concentration \"abc\" is not a number"},
        BadRowCase{"ExponentWithoutDigits", "NaCl,0.1,1e", "line 3: temperature \"1e\" is not a number"},
        BadRowCase{"SixtyFourCharacters", "NaCl,0.1," + std::string(63, '2') + "x",
                   "line 3: temperature \"2222222222222222222222222222222222222222...\" is not a number"},
        BadRowCase{"HeaderAgain", "substance,concentration,temperature",
                   "line 3: the header line again (were two inputs joined?); it is not a point"},
        BadRowCase{"TwoCells", "NaCl,0.1", "line 3: expected 3 cells (substance,concentration,temperature), found 2"},
        BadRowCase{"UnquotedDecimalComma", "NaCl,0,1,20",
                   "line 3: expected 3 cells (substance,concentration,temperature), found 4"},
        BadRowCase{"QuoteNotClosed", "NaCl,\"0,1,20",
                   "line 3: the quote that opens the concentration cell is not closed"},
        BadRowCase{"LineTooLong", "NaCl,0.1,20" + std::string(300000, ' ') + "x",
                   "line 3: the line is longer than 262144 characters"}),
    [](const ::testing::TestParamInfo<BadRowCase>& row) { return std::string(row.param.name); });

TEST(CliBatch, ANumberIsReadWhateverItsLength) {
  // 0.1 followed by 61 zeros, and 20 with 200 more digits of zeros.
  const CliRun r = RunCli({"batch"}, "substance,concentration,temperature\nNaCl,0.1" + std::string(61, '0') + ",20." +
                                         std::string(200, '0') + "\n");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  ExpectRow(Lines(r.out).at(1), "NaCl", 17, 0.1f, 20.0f);
  ExpectPublishedRow(Lines(r.out).at(1), 17, 0.1f, 20.0f);
}

TEST(CliBatch, OutputReadsBackToTheSameSinglesOverAGrid) {
  // Every substance at awkward concentrations and temperatures: each
  // number written must read back to exactly the model's single. The
  // published points follow the grid.
  std::string input = "substance,concentration,temperature\n";
  const char* xs[] = {"0.0001", "0.0123456789", "0.1", "0.333333333", "0.5"};
  const char* ts[] = {"0.001", "7.77", "20", "99.999", "150.5", "199"};
  for (int i = 1; i <= 19; ++i) {
    for (const char* x : xs) {
      for (const char* t : ts) input += std::to_string(i) + "," + (i == 19 ? "" : x) + "," + t + "\n";
    }
  }
  const auto text = [](float v) {
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
  };
  for (const testing::PublishedPoint& p : testing::kPublishedPoints) {
    input += std::to_string(p.substance) + "," + text(p.concentration) + "," + text(p.temperature) + "\n";
  }
  const CliRun r = RunCli({"batch"}, input);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  constexpr std::size_t kPublished = std::size(testing::kPublishedPoints);
  ASSERT_EQ(lines.size(), 1u + 19 * 5 * 6 + kPublished);
  std::size_t k = 1;
  for (std::uint8_t i = 1; i <= 19; ++i) {
    for (const char* x : xs) {
      for (const char* t : ts) {
        const float xv = i == 19 ? 0.0f : static_cast<float>(std::stod(x));
        ExpectRow(lines[k++], model::kCatalogue[i - 1u].Formula, i, xv, static_cast<float>(std::stod(t)));
      }
    }
  }
  for (const testing::PublishedPoint& p : testing::kPublishedPoints) {
    ExpectRow(lines[k], model::kCatalogue[p.substance - 1u].Formula, p.substance, p.concentration, p.temperature);
    ExpectPublishedRow(lines[k++], p.substance, p.concentration, p.temperature);
  }
}

TEST(CliMessages, ANulInTheInputIsShownNotCutOff) {
  const std::string input = "substance,concentration,temperature\nNa" + std::string(1, '\0') + "Cl,0.1,20\n";
  const CliRun json = RunCli({"batch", "-f", "json"}, input);
  EXPECT_EQ(json.exitStatus, 1);
  EXPECT_NE(
      json.out.find("\"error\":\"unknown substance \\\"Na\\u0000Cl\\\": give its index 1 to 19, its formula (NaCl) or "
                    "its name (sodium chloride)\""),
      std::string::npos)
      << json.out;
  const CliRun protocol = RunCli({"protocol"}, input);
  EXPECT_NE(protocol.err.find("unknown substance \"Na\\x00Cl\": give its index 1 to 19, its formula (NaCl) or its name "
                              "(sodium chloride); the point is left out"),
            std::string::npos)
      << protocol.err;
}

// The protocol as text: the lines the printer receives, one per line, with
// the worked rows of sodium chloride at 0.1 and 20 degrees and of water at
// 20 degrees.
std::string ProtocolRule() {
  std::string rule;
  for (int i = 0; i < 75; ++i) rule += "—";
  return rule;
}

TEST(CliProtocol, TextIsThePrintedLinesWithTheWorkedRows) {
  const CliRun r = RunCli({"protocol"}, "substance,concentration,temperature\nH2O,,20\nNaCl,0.1,20\n");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 22u) << r.out;
  const std::string rule = ProtocolRule();
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "          ФИЗИКО - ХИМИЧЕСКИЕ СВОЙСТВА ХЛОРИДА НАТРИЯ ");
  EXPECT_EQ(lines[3], rule);
  EXPECT_EQ(lines[8], "| 0.1000 |   20.00   | 1070.6  |0.001208|   0.07965   |  3747.  |  0.587  |");
  EXPECT_EQ(lines[9], rule);
  EXPECT_EQ(lines[12], "                ФИЗИКО-ХИМИЧЕСКИЕ СВОЙСТВА ВОДЫ");
  EXPECT_EQ(lines[13], rule);
  EXPECT_EQ(lines[18], "|   20.00   |  998.4  |0.000998|   0.07271   |   4183.    |     0.599      |");
  EXPECT_EQ(lines[19], rule);
  EXPECT_EQ(lines[21], "");
}

// Points of one concentration are never exchanged with each other, so a long
// sweep comes out in the order it was recorded, every row whole.
TEST(CliProtocol, ALongSweepOfOneConcentrationKeepsItsOrder) {
  std::string input = "substance,concentration,temperature\n";
  const int points = 3000;
  for (int i = 0; i < points; ++i) input += "NaCl,0.1," + std::to_string(90 - i % 80) + "\n";
  const CliRun r = RunCli({"protocol"}, input);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 8u + 2u * points + 2u);
  for (int i = 0; i < points; ++i) {
    const std::string& row = lines[8 + 2 * static_cast<std::size_t>(i)];
    char temperature[16];
    std::snprintf(temperature, sizeof temperature, "|%5d.00   |", 90 - i % 80);
    ASSERT_EQ(row.substr(0, 9), "| 0.1000 ") << "row " << i;
    ASSERT_EQ(row.substr(9, 13), temperature) << "row " << i;
    ASSERT_EQ(lines[9 + 2 * static_cast<std::size_t>(i)], ProtocolRule()) << "row " << i;
  }
}

// Output that cannot be written is an error with the system's reason, never
// a success.
TEST(CliProtocol, OutputThatCannotBeWrittenIsReported) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
  std::fclose(full);
  const CliRun r = RunCli({"protocol"}, "substance,concentration,temperature\nNaCl,0.1,20\n", "C.UTF-8", "/dev/full");
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, std::string("elprops-cli: cannot write the protocol: ") + std::strerror(ENOSPC) + "\n");
}

}  // namespace
}  // namespace elprops::cli
