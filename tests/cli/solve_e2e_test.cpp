// elprops-cli solve end to end: the hydrometer reading, units, every answer
// of a property that turns, values out of reach, and the formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <elprops/derived.hpp>

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
      {{"solve", "-s", "NaCl", "-c", "1", "-u", "molarity", "--density", "1050", "--for", "temperature"}, "depends on"},
      {{"solve", "-s", "NaCl", "-t", "20", "-c", "0.1", "--density", "1050", "--for", "temperature"}, "--temperature"},
      {{"solve", "-s", "NaCl", "-t", "20", "--prandtl-number", "7", "--reference"}, "five properties"},
      {{"solve", "-s", "NaCl", "-t", "20", "--heat-taken-up", "1", "--reference-temperature", "300"}, "270 °C"},
  };
  for (const auto& row : rows) {
    const CliRun run = RunCli(row.args);
    EXPECT_EQ(run.exitStatus, 2) << row.says;
    EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
  }
}

// The property compute prints for a point.
std::string Computed(const std::string& substance, const std::string& w, const std::string& t, const char* column) {
  return CsvTable(RunCli({"compute", "-s", substance, "-c", w, "-t", t, "-f", "csv"}).out).Get(0, column).value_or("");
}

// What compute prints, typed into solve, is matched exactly by a mass
// fraction at which compute prints it again: a peak between samples, the
// dilute end of the range, a plateau.
TEST(CliSolve, PrintedValueIsMatchedExactly) {
  const char* const rows[][5] = {{"BaS", "0.24", "20", "viscosity", "--viscosity"},
                                 {"NaCl", "1e-7", "20", "density", "--density"},
                                 {"NaCl", "0.7", "60", "surface_tension", "--surface-tension"}};
  for (const auto& row : rows) {
    const std::string value = Computed(row[0], row[1], row[2], row[3]);
    const CsvTable roots(RunCli({"solve", "-s", row[0], "-t", row[2], row[4], value, "-f", "csv"}).out);
    ASSERT_EQ(roots.RowCount(), 1u) << row[0] << " " << value;
    EXPECT_EQ(roots.Get(0, "chosen"), "exact");
    EXPECT_EQ(Computed(row[0], *roots.Get(0, "mass_fraction"), row[2], row[3]), value);
  }
}

// Where surface tension levels off, one answer stands for the run of mass
// fractions that give its value, and says so.
TEST(CliSolve, PlateauIsOneAnswerWithItsRun) {
  std::vector<std::string> args = {"solve", "-s", "NaCl", "-t", "60", "--surface-tension", "0.11518263071775436"};
  const CliRun text = RunCli(args);
  args.insert(args.end(), {"-f", "csv"});
  const CsvTable roots(RunCli(args).out);
  ASSERT_EQ(roots.RowCount(), 1u);
  EXPECT_EQ(roots.Get(0, "plateau"), "true");
  const std::string first = *roots.Get(0, "run_first"), last = *roots.Get(0, "run_last");
  const std::string value = Computed("NaCl", *roots.Get(0, "mass_fraction"), "60", "surface_tension");
  char below[32];
  std::snprintf(below, sizeof below, "%.9g", static_cast<double>(std::nextafter(std::stof(first), 0.0f)));
  EXPECT_EQ(Computed("NaCl", first, "60", "surface_tension"), value);
  EXPECT_EQ(Computed("NaCl", last, "60", "surface_tension"), value);
  EXPECT_NE(Computed("NaCl", below, "60", "surface_tension"), value);
  EXPECT_NE(text.out.find("; every mass fraction from " + first + " to " + last + " gives this value\n"),
            std::string::npos)
      << text.out;
}

// A value between what two neighbouring mass fractions give: the text
// names the neighbours, whose computed values straddle the value.
TEST(CliSolve, NeighboursNamedStraddleTheValue) {
  const std::string out = RunCli({"solve", "-s", "NaCl", "-t", "20", "--density", "1070.638"}).out;
  const std::string lead = "(the nearest value the model gives; the value lies between the neighbours ";
  const std::size_t at = out.find(lead) + lead.size(), and_ = out.find(" and ", at);
  ASSERT_NE(and_, std::string::npos) << out;
  const double a = std::stod(Computed("NaCl", out.substr(at, and_ - at), "20", "density")) - 1070.638;
  const double b = std::stod(Computed("NaCl", out.substr(and_ + 5, out.find(')', and_) - and_ - 5), "20", "density"));
  EXPECT_LE(a * (b - 1070.638), 0.0) << out;
}

// The worked example's published digits: sodium chloride, w = 0.1, 20 °C.
constexpr double kRho = 1070.638, kMu = 0.001208059, kCp = 3747.392, kLambda = 0.5867352;

std::string Digits(double value, int digits) {
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

TEST(CliSolve, PrandtlNumberGivesTheWorkedConcentration) {
  const std::string pr = Digits(kMu * kCp / kLambda, 9);
  const CsvTable roots(RunCli({"solve", "-s", "NaCl", "-t", "20", "--prandtl-number", pr, "-f", "csv"}).out);
  ASSERT_EQ(roots.RowCount(), 1u) << pr;
  EXPECT_EQ(roots.Get(0, "property"), "prandtl_number");
  EXPECT_NEAR(std::stod(roots.Get(0, "mass_fraction").value_or("0")), 0.1, 1e-5);
}

// A quantity computed at 30 °C and solved back: 30 °C lies in the run of
// temperatures of one answer.
TEST(CliSolveTemperature, ValueAtATemperatureSolvesBackToIt) {
  const expected<substance_info> nacl = find_substance("NaCl");
  const expected<derived_properties> derived = compute_derived(nacl->id(), 0.1f, 30.0f);
  ASSERT_TRUE(derived);
  const std::pair<std::string, std::string> rows[] = {{"--viscosity", Computed("NaCl", "0.1", "30", "viscosity")},
                                                      {"--prandtl-number", Digits(derived->prandtl_number, 17)}};
  for (const auto& [option, value] : rows) {
    const CliRun run = RunCli({"solve", "-s", "NaCl", "-c", "0.1", option, value, "--for", "temperature", "-f", "csv"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const CsvTable roots(run.out);
    bool found = false;
    for (std::size_t r = 0; r < roots.RowCount(); ++r) {
      found = found || (std::stod(*roots.Get(r, "run_first")) <= 30.0 && std::stod(*roots.Get(r, "run_last")) >= 30.0);
    }
    EXPECT_TRUE(found) << option << " " << value << "\n" << run.out;
  }
}

// At the answer compute gives the value it was asked for, to the float
// step: the neighbouring temperatures straddle it.
TEST(CliSolveTemperature, CalciumChlorideReaches3mPasAt8Degrees) {
  const CliRun run =
      RunCli({"solve", "-s", "CaCl2", "-c", "0.25", "--viscosity", "0.003", "--for", "temperature", "-f", "csv"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const CsvTable roots(run.out);
  ASSERT_EQ(roots.RowCount(), 1u) << run.out;
  const std::string t = *roots.Get(0, "temperature");
  EXPECT_NEAR(std::stod(t), 8.08, 0.01);
  EXPECT_EQ(Computed("CaCl2", "0.25", t, "viscosity"), roots.Get(0, "achieved"));
  const double below = std::stod(Computed("CaCl2", "0.25", *roots.Get(0, "below"), "viscosity")) - 0.003;
  const double above = std::stod(Computed("CaCl2", "0.25", *roots.Get(0, "above"), "viscosity")) - 0.003;
  EXPECT_LE(below * above, 0.0) << run.out;
  const CliRun far = RunCli({"solve", "-s", "CaCl2", "-c", "0.25", "--viscosity", "1", "--for", "temperature"});
  EXPECT_EQ(far.exitStatus, 1);
  EXPECT_NE(far.err.find("out of reach"), std::string::npos) << far.err;
}

}  // namespace
}  // namespace elprops::cli::testing
