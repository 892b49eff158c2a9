// elprops-cli solve end to end: the hydrometer reading, units, every answer
// of a property that turns, values out of reach, and the formats.
#include <gtest/gtest.h>

#include <string>

#include "tests/cli/cli_runner.h"
#include "tests/cli/csv_table.h"

namespace elprops::cli::testing {
namespace {

// 1070.6378 kg/m3 is the published density of 0.1 sodium chloride at 20 °C.
TEST(CliSolve, HydrometerReadingGivesTheWorkedConcentration) {
  for (const std::string value : {"1070.6378", "1070,6378"}) {
    const CliRun run = RunCli({"solve", "-s", "NaCl", "-t", "20", "--density", value, "-f", "csv"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto row = run.out.substr(run.out.find('\n') + 1);
    EXPECT_TRUE(row.starts_with("NaCl,20,density,1070.6378,1,")) << run.out;
    EXPECT_NE(row.find(",fraction,0.1,"), std::string::npos) << run.out;
  }
}

TEST(CliSolve, AnswerInTheChosenUnit) {
  // 0.1 NaCl is 100/0.9 g in a kg of water: 111.111 g / 58.44 g/mol.
  const CliRun run = RunCli({"solve", "-s", "NaCl", "-t", "20", "--density", "1070.6378", "--unit", "molality"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.out.find("molality 1.90128"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("(mass fraction 0.1)"), std::string::npos) << run.out;
}

TEST(CliSolve, PropertyThatTurnsHasTwoAnswers) {
  // The heat capacity of NaCl solutions at 20 °C falls to a minimum near a
  // mass fraction of 0.48 and rises again.
  const CliRun run = RunCli({"solve", "-s", "NaCl", "-t", "20", "--heat-capacity", "3500", "-f", "json"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::size_t answers = 0;
  for (std::size_t at = run.out.find("\"mass_fraction\""); at != std::string::npos;
       at = run.out.find("\"mass_fraction\"", at + 1)) {
    ++answers;
  }
  EXPECT_EQ(answers, 2u) << run.out;
}

// Each root carries the warnings compute gives at its mass fraction: here
// the second root of a heat capacity lies above the solubility.
TEST(CliSolve, EachRootHasTheWarningsOfItsPoint) {
  const CliRun run = RunCli({"solve", "-s", "NaCl", "-t", "20", "--heat-capacity", "3500", "-f", "csv"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const CsvTable roots(run.out);
  ASSERT_EQ(roots.Error(), "");
  ASSERT_EQ(roots.RowCount(), 2u) << run.out;
  for (std::size_t r = 0; r < roots.RowCount(); ++r) {
    const std::string w = roots.Get(r, "mass_fraction").value_or("");
    const CliRun point = RunCli({"compute", "-s", "NaCl", "-c", w, "-t", "20", "-f", "csv"});
    const CsvTable computed(point.out);
    EXPECT_EQ(roots.Get(r, "warning"), computed.Get(0, "warning")) << w;
  }
  EXPECT_NE(roots.Get(1, "warning").value_or("").find("above the solubility"), std::string::npos) << run.out;
  const CliRun text = RunCli({"solve", "-s", "NaCl", "-t", "20", "--heat-capacity", "3500"});
  EXPECT_NE(text.out.find("\nwarning: above the solubility"), std::string::npos) << text.out;
}

TEST(CliSolve, OutOfReachExitsOneWithTheReachableRange) {
  const CliRun run = RunCli({"solve", "-s", "NaCl", "-t", "20", "--density", "5000"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("out of reach"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("998.36"), std::string::npos) << run.err;  // the water end of the range
}

TEST(CliSolve, SweepOverTemperatureGivesARowEach) {
  const CliRun run = RunCli({"solve", "-s", "KCl", "-t", "10:40:10", "--density", "1050", "-f", "csv"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::size_t lines = 0;
  for (const char c : run.out) lines += c == '\n';
  EXPECT_EQ(lines, 5u) << run.out;  // the header and four temperatures
}

TEST(CliSolve, UsageErrors) {
  const struct {
    std::vector<std::string> args;
    const char* says;
  } rows[] = {
      {{"solve", "-s", "NaCl", "-t", "20"}, "give the property"},
      {{"solve", "-s", "NaCl", "-t", "20", "--density", "1000", "--viscosity", "0.001"}, "one property"},
      {{"solve", "-s", "H2O", "-t", "20", "--density", "1000"}, "water"},
      {{"solve", "-s", "NaCl", "-t", "20", "--density", "abc"}, "not a number"},
      {{"solve", "-s", "NaCl", "-t", "20", "--density", "1000", "--unit", "ppm"}, "--unit"},
  };
  for (const auto& row : rows) {
    const CliRun run = RunCli(row.args);
    EXPECT_EQ(run.exitStatus, 2) << row.says;
    EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace elprops::cli::testing
