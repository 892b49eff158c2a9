// elprops-cli solve end to end: the hydrometer reading, units, every answer
// of a property that turns, values out of reach, and the formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
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
      {{"solve", "-s", "NaCl", "-t", "20", "--density", ""}, "--density is empty"},
      {{"solve", "-s", "NaCl", "-t", "20", "--density", "1000", "--unit", "ppm"}, "--unit"},
  };
  for (const auto& row : rows) {
    const CliRun run = RunCli(row.args);
    EXPECT_EQ(run.exitStatus, 2) << row.says;
    EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
  }
}

// The property compute prints for a point.
std::string Computed(const std::string& substance, const std::string& w, const std::string& t,
                     const std::string& column) {
  const CliRun run = RunCli({"compute", "-s", substance, "-c", w, "-t", t, "-f", "csv"});
  return CsvTable(run.out).Get(0, column).value_or("(" + run.err + ")");
}

struct RoundTrip {
  const char* name;
  const char* substance;
  const char* w;
  const char* t;
  const char* column;
  const char* option;
};

void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.name; }

class CliSolveRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// What compute prints, typed back into solve, is matched exactly, by a
// mass fraction at which compute prints it again.
TEST_P(CliSolveRoundTrip, TypedValueIsMatchedExactly) {
  const RoundTrip& c = GetParam();
  const std::string value = Computed(c.substance, c.w, c.t, c.column);
  const CliRun run = RunCli({"solve", "-s", c.substance, "-t", c.t, c.option, value, "-f", "csv"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const CsvTable roots(run.out);
  bool matched = false;
  for (std::size_t r = 0; r < roots.RowCount(); ++r) {
    if (roots.Get(r, "chosen") != "exact") continue;
    matched = matched || Computed(c.substance, *roots.Get(r, "mass_fraction"), c.t, c.column) == value;
  }
  EXPECT_TRUE(matched) << value << "\n" << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Points, CliSolveRoundTrip,
    ::testing::Values(RoundTrip{"PeakBetweenSamples", "BaS", "0.24", "20", "viscosity", "--viscosity"},
                      RoundTrip{"DiluteEndOfTheRange", "NaCl", "1e-7", "20", "density", "--density"},
                      RoundTrip{"Monotonic", "NaCl", "0.1", "20", "density", "--density"},
                      RoundTrip{"Plateau", "NaCl", "0.7", "60", "surface_tension", "--surface-tension"}),
    [](const ::testing::TestParamInfo<RoundTrip>& row) { return std::string(row.param.name); });

std::string FloatBelow(const std::string& text) {
  char shown[32];
  std::snprintf(shown, sizeof shown, "%.9g",
                static_cast<double>(std::nextafter(std::strtof(text.c_str(), nullptr), 0.0f)));
  return shown;
}

// Where surface tension levels off, one answer stands for the run of mass
// fractions that give its value, and says so.
TEST(CliSolve, PlateauIsOneAnswerWithItsRun) {
  const std::vector<std::string> args = {"solve", "-s", "NaCl", "-t", "60", "--surface-tension", "0.11518263071775436"};
  std::vector<std::string> csv = args;
  csv.insert(csv.end(), {"-f", "csv"});
  const CsvTable roots(RunCli(csv).out);
  ASSERT_EQ(roots.RowCount(), 1u);
  EXPECT_EQ(roots.Get(0, "plateau"), "true");
  const std::string first = *roots.Get(0, "run_first");
  const std::string last = *roots.Get(0, "run_last");
  const std::string value = Computed("NaCl", *roots.Get(0, "mass_fraction"), "60", "surface_tension");
  EXPECT_EQ(Computed("NaCl", first, "60", "surface_tension"), value);
  EXPECT_EQ(Computed("NaCl", last, "60", "surface_tension"), value);
  EXPECT_NE(Computed("NaCl", FloatBelow(first), "60", "surface_tension"), value);
  const CliRun text = RunCli(args);
  EXPECT_NE(text.out.find("; every mass fraction from " + first + " to " + last + " gives this value\n"),
            std::string::npos)
      << text.out;
}

// A value between what two neighbouring mass fractions give: the text
// names the neighbours, whose computed values straddle the value.
TEST(CliSolve, NeighboursNamedStraddleTheValue) {
  const CliRun run = RunCli({"solve", "-s", "NaCl", "-t", "20", "--density", "1070.638"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::string lead = "(the nearest value the model gives; the value lies between the neighbours ";
  const std::size_t at = run.out.find(lead);
  ASSERT_NE(at, std::string::npos) << run.out;
  const std::size_t and_ = run.out.find(" and ", at);
  const std::string below = run.out.substr(at + lead.size(), and_ - at - lead.size());
  const std::string above = run.out.substr(and_ + 5, run.out.find(')', and_) - and_ - 5);
  const double a = std::strtod(Computed("NaCl", below, "20", "density").c_str(), nullptr) - 1070.638;
  const double b = std::strtod(Computed("NaCl", above, "20", "density").c_str(), nullptr) - 1070.638;
  EXPECT_LE(a * b, 0.0) << below << " " << above;
}

}  // namespace
}  // namespace elprops::cli::testing
