// Concentration units and validity warnings of compute and batch, end to
// end. The expected mass fractions are worked by hand from the standard
// molar mass of sodium chloride, 22.990 + 35.45 = 58.44 g/mol, and from its
// published density at a mass fraction of 0.1 and 20 °C, 1070.638 kg/m³.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "tests/cli/cli_runner.h"
#include "tests/cli/csv_table.h"
#include "tests/cli/text_lines.h"

namespace elprops::cli::testing {
namespace {

constexpr double kNaCl = 58.44;           // g/mol
constexpr double kDensity0p1 = 1070.638;  // kg/m³ at w = 0.1, 20 °C

constexpr const char* kUnitHeader =
    "substance,concentration,temperature,unit,mass_fraction,molality,molarity,density,viscosity,surface_tension,"
    "heat_capacity,thermal_conductivity,error,warning";

double Number(const std::optional<std::string>& cell) {
  EXPECT_TRUE(cell.has_value());
  return cell ? std::strtod(cell->c_str(), nullptr) : std::nan("");
}

struct UnitCase {
  const char* name;
  const char* unit;
  const char* value;   // as typed
  const char* echoed;  // the concentration cell
  const char* t;
  double massFraction;  // worked by hand
  double tolerance;
};

void PrintTo(const UnitCase& c, std::ostream* os) { *os << c.name; }

class CliUnit : public ::testing::TestWithParam<UnitCase> {};

TEST_P(CliUnit, ComputeConvertsToTheWorkedMassFraction) {
  const UnitCase& c = GetParam();
  const CliRun r =
      RunCli({"compute", "-s", "NaCl", "--unit", c.unit, "-c", c.value, "-t", c.t, "-f", "csv", "--all-units"});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const CsvTable table(r.out);
  ASSERT_EQ(table.Error(), "");
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(Lines(r.out).at(0), kUnitHeader);
  EXPECT_EQ(table.Get(0, "concentration"), c.echoed);
  EXPECT_EQ(table.Get(0, "error"), "");
  const double w = Number(table.Get(0, "mass_fraction"));
  EXPECT_NEAR(w, c.massFraction, c.tolerance);
  // The other units of the same point, from the mass fraction written.
  EXPECT_NEAR(Number(table.Get(0, "molality")), 1000.0 * w / (kNaCl * (1.0 - w)), 1e-6);
  const double density = Number(table.Get(0, "density"));
  EXPECT_NEAR(Number(table.Get(0, "molarity")), w * density / kNaCl, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Units, CliUnit,
                         ::testing::Values(
                             // 1 mol in 1 kg of water: 58.44 g of salt in 1058.44 g of solution.
                             UnitCase{"MolalityOne", "molality", "1", "1", "25", kNaCl / (1000.0 + kNaCl), 2e-8},
                             UnitCase{"MolalityDecimalComma", "molality", "1,0", "1", "25", kNaCl / (1000.0 + kNaCl),
                                      2e-8},
                             // Read as the double typed, not rounded to a single first.
                             UnitCase{"MolalityAsTyped", "molality", "1,00000006", "1.00000006", "25",
                                      1.00000006 * kNaCl / (1000.0 + 1.00000006 * kNaCl), 2e-8},
                             UnitCase{"TenPercent", "percent", "10", "10", "20", 0.1, 1e-8},
                             UnitCase{"PercentSign", "%", "10", "10", "20", 0.1, 1e-8},
                             UnitCase{"Fraction", "fraction", "0.1", "0.1", "20", 0.1, 1e-8},
                             // 0.1 of 1070.638 kg/m³ is 107.0638 g/L, or 107.0638/58.44 mol/L.
                             UnitCase{"MolarityRoundTrip", "molarity", "1.83202943", "1.83202943", "20", 0.1, 2e-6},
                             UnitCase{"GramsPerLitreRoundTrip", "g/L", "107.0638", "107.0638", "20", 0.1, 2e-6}),
                         [](const ::testing::TestParamInfo<UnitCase>& row) { return std::string(row.param.name); });

TEST(CliUnits, TheMolarityRoundTripValueIsThePublishedDensitys) {
  // The table above types the molarity worked from the published density.
  EXPECT_NEAR(0.1 * kDensity0p1 / kNaCl, 1.83202943, 1e-8);
}

TEST(CliUnits, TextAndJsonShowTheMassFractionMolalityAndMolarity) {
  const CliRun text = RunCli({"compute", "-s", "NaCl", "--unit", "molality", "-c", "1", "-t", "25"});
  ASSERT_EQ(text.exitStatus, 0) << text.err;
  // 58.44/1058.44 = 0.0552133 to six digits.
  EXPECT_NE(text.out.find("mass fraction 0.0552133 kg/kg, molality 1 mol/kg, molarity "), std::string::npos)
      << text.out;

  const CliRun json = RunCli({"compute", "-s", "NaCl", "--unit", "percent", "-c", "10", "-t", "20", "-f", "json"});
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  EXPECT_TRUE(
      json.out.starts_with("{\"substance\":\"NaCl\",\"concentration\":10,\"temperature\":20,\"unit\":"
                           "\"percent\",\"mass_fraction\":0.1,\"molality\":1.9012"))
      << json.out;
  EXPECT_NE(json.out.find("\"error\":null,\"warning\":null}"), std::string::npos) << json.out;
}

TEST(CliUnits, AllUnitsAddsTheColumnsForMassFractions) {
  const CliRun plain = RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "20", "-f", "csv"});
  EXPECT_EQ(Lines(plain.out).at(0).find("molality"), std::string::npos);
  const CliRun all = RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "20", "-f", "csv", "--all-units"});
  ASSERT_EQ(all.exitStatus, 0) << all.err;
  const CsvTable table(all.out);
  EXPECT_EQ(Lines(all.out).at(0), kUnitHeader);
  EXPECT_EQ(table.Get(0, "unit"), "fraction");
  // 0.1 NaCl is 100/0.9 g in a kg of water.
  EXPECT_NEAR(Number(table.Get(0, "molality")), 100.0 / 0.9 / kNaCl, 1e-6);
}

TEST(CliUnits, AnUnknownUnitIsBadUsage) {
  const CliRun compute = RunCli({"compute", "-s", "NaCl", "--unit", "ppm", "-c", "1", "-t", "20"});
  EXPECT_EQ(compute.exitStatus, 2);
  EXPECT_NE(compute.err.find("--unit \"ppm\""), std::string::npos) << compute.err;
  const CliRun batch = RunCli({"batch", "--unit", "ppm"}, "substance,concentration,temperature\nNaCl,0.1,20\n");
  EXPECT_EQ(batch.exitStatus, 2);
}

TEST(CliUnits, AnUnreachableMolarityIsThePointsErrorWithTheReachableRange) {
  const CliRun r = RunCli({"compute", "-s", "NaCl", "--unit", "molarity", "-c", "100", "-t", "20", "-f", "csv"});
  EXPECT_EQ(r.exitStatus, 1);
  const CsvTable table(r.out);
  ASSERT_EQ(table.RowCount(), 1u);
  const std::string error = table.Get(0, "error").value_or("");
  EXPECT_TRUE(error.starts_with("molarity 100 is out of reach for sodium chloride at 20 °C")) << error;
  EXPECT_NE(error.find(" to "), std::string::npos) << error;
  EXPECT_EQ(table.Get(0, "density"), "");
  EXPECT_EQ(table.Get(0, "mass_fraction"), "");
}

// A unit column: each row in its own unit, an empty cell in --unit, a bad
// unit an error row naming its line and cell, and the rows after it go on.
TEST(CliUnits, BatchReadsTheUnitOfEachRow) {
  const CliRun r = RunCli({"batch", "--unit", "percent"},
                          "substance,concentration,temperature,unit\n"
                          "NaCl,1,25,molality\n"
                          "NaCl,10,20,\n"
                          "NaCl,1,20,kg\n"
                          "NaCl,\"107,0638\",20,g/L\n"
                          "NaCl,0.1,20,fraction\n");
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "elprops-cli: 1 of 5 rows were not computed (see the error column)\n");
  const CsvTable table(r.out);
  ASSERT_EQ(table.Error(), "");
  ASSERT_EQ(table.RowCount(), 5u);
  EXPECT_EQ(Lines(r.out).at(0), kUnitHeader);
  const char* units[5] = {"molality", "percent", "kg", "g/L", "fraction"};
  const double fractions[5] = {kNaCl / (1000.0 + kNaCl), 0.1, 0.0, 0.1, 0.1};
  for (std::size_t row = 0; row < 5; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(table.FieldCount(row), 14u);
    EXPECT_EQ(table.Get(row, "unit"), units[row]);
    if (row == 2) continue;
    EXPECT_EQ(table.Get(row, "error"), "");
    EXPECT_NEAR(Number(table.Get(row, "mass_fraction")), fractions[row], 2e-6);
  }
  EXPECT_EQ(table.Get(2, "error"), "line 4: unit \"kg\" is not one of fraction, percent, molality, molarity or g/L");
  EXPECT_EQ(table.Get(2, "density"), "");
}

TEST(CliUnits, BatchWithoutAUnitColumnTakesTheOption) {
  const CliRun r =
      RunCli({"batch", "--unit", "molality", "-f", "json"}, "substance,concentration,temperature\nNaCl,1,25\n");
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(
      r.out.starts_with("{\"substance\":\"NaCl\",\"concentration\":1,\"temperature\":25,\"unit\":\"molality\","
                        "\"mass_fraction\":0.05521333"))
      << r.out;
}

// Results of a batch run, with their extra columns, read back by the
// protocol: the unit column gives each row's unit.
TEST(CliUnits, TheProtocolReadsBatchResults) {
  const CliRun batch = RunCli({"batch"}, "substance,concentration,temperature,unit\nNaCl,10,20,percent\nKCl,0.2,30,\n");
  ASSERT_EQ(batch.exitStatus, 0) << batch.err;
  const CliRun protocol = RunCli({"protocol"}, batch.out);
  EXPECT_EQ(protocol.exitStatus, 0) << protocol.err;
  EXPECT_EQ(protocol.err, "");
  EXPECT_NE(protocol.out.find("| 0.1000 |   20.00   |"), std::string::npos) << protocol.out;
  EXPECT_NE(protocol.out.find("| 0.2000 |   30.00   |"), std::string::npos) << protocol.out;
}

// Warnings: the solubility of NaCl at 20 °C is 0.2641; water boils at
// 100 °C at atmospheric pressure.
constexpr const char* kSolubility = "above the solubility of NaCl at 20 °C (0.2641; the solid is NaCl)";

struct WarningCase {
  const char* name;
  std::vector<std::string> point;  // the compute options of the point
  std::string warning;             // the start of the warning cell, "" for none
};

void PrintTo(const WarningCase& c, std::ostream* os) { *os << c.name; }

class CliWarning : public ::testing::TestWithParam<WarningCase> {
 protected:
  static CliRun Run(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"compute"};
    args.insert(args.end(), GetParam().point.begin(), GetParam().point.end());
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
  }
};

TEST_P(CliWarning, CsvColumnAfterErrorAndExitStatusZero) {
  const CliRun r = Run({"-f", "csv"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const CsvTable table(r.out);
  ASSERT_EQ(table.Error(), "");
  const std::vector<std::string>& header = table.Records().at(0);
  ASSERT_GE(header.size(), 2u);
  EXPECT_EQ(header[header.size() - 2], "error");
  EXPECT_EQ(header.back(), "warning");
  EXPECT_EQ(table.Get(0, "error"), "");
  EXPECT_TRUE(table.Get(0, "warning").value_or("<missing>").starts_with(GetParam().warning))
      << *table.Get(0, "warning");
  EXPECT_EQ(table.Get(0, "warning") == "", GetParam().warning.empty());
  EXPECT_NE(table.Get(0, "density"), "");
}

TEST_P(CliWarning, JsonFieldIsTheTextOrNull) {
  const CliRun r = Run({"-f", "json"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  if (GetParam().warning.empty()) {
    EXPECT_TRUE(r.out.ends_with(",\"error\":null,\"warning\":null}\n")) << r.out;
  } else {
    EXPECT_NE(r.out.find(",\"error\":null,\"warning\":\"" + GetParam().warning), std::string::npos) << r.out;
  }
}

TEST_P(CliWarning, TextLineAfterTheProperties) {
  const CliRun r = Run({});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_GE(lines.size(), 2u);
  const std::size_t conductivity = r.out.find("ТЕПЛОПРОВОДНОСТЬ");
  ASSERT_NE(conductivity, std::string::npos);
  const std::size_t warning = r.out.find("warning: ");
  if (GetParam().warning.empty()) {
    EXPECT_EQ(warning, std::string::npos) << r.out;
  } else {
    EXPECT_GT(warning, conductivity) << r.out;
    EXPECT_TRUE(lines.back().starts_with("warning: " + GetParam().warning)) << r.out;
  }
}

TEST_P(CliWarning, NoWarningsLeavesTheColumnEmpty) {
  const CliRun csv = Run({"-f", "csv", "--no-warnings"});
  EXPECT_EQ(csv.exitStatus, 0) << csv.err;
  EXPECT_EQ(CsvTable(csv.out).Get(0, "warning"), "");
  const CliRun json = Run({"-f", "json", "--no-warnings"});
  EXPECT_TRUE(json.out.ends_with(",\"warning\":null}\n")) << json.out;
  const CliRun text = Run({"--no-warnings"});
  EXPECT_EQ(text.out.find("warning: "), std::string::npos) << text.out;
}

INSTANTIATE_TEST_SUITE_P(
    Points, CliWarning,
    ::testing::Values(WarningCase{"AboveTheSolubility", {"-s", "NaCl", "-c", "0.30", "-t", "20"}, kSolubility},
                      WarningCase{"WaterAboveBoiling",
                                  {"-s", "H2O", "-t", "150"},
                                  "above 100 °C the solution boils at atmospheric pressure"},
                      WarningCase{"WithinTheLimits", {"-s", "NaCl", "-c", "0.2", "-t", "20"}, ""},
                      WarningCase{"MolalityAboveTheSolubility",
                                  // 10 mol/kg is 584.4/1584.4 = 0.369 > 0.2641.
                                  {"-s", "NaCl", "-u", "molality", "-c", "10", "-t", "20"},
                                  kSolubility}),
    [](const ::testing::TestParamInfo<WarningCase>& row) { return std::string(row.param.name); });

TEST(CliWarnings, ANoteIsWrittenAsANote) {
  const CliRun r = RunCli({"compute", "-s", "BaS", "-c", "0.1", "-t", "20"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("\nnote: the solubility of BaS is not well defined: it hydrolyses"), std::string::npos) << r.out;
}

// Batch: a warned row, a refused row and a computed row; the warning does
// not count as a failure.
TEST(CliWarnings, BatchWarningsDoNotChangeTheExitStatus) {
  const CliRun ok = RunCli({"batch"}, "substance,concentration,temperature\nNaCl,0.3,20\nNaCl,0.2,20\n");
  EXPECT_EQ(ok.exitStatus, 0) << ok.err;
  EXPECT_EQ(ok.err, "");
  const CsvTable table(ok.out);
  EXPECT_EQ(table.Get(0, "warning"), kSolubility);
  EXPECT_EQ(table.Get(1, "warning"), "");

  const CliRun failed = RunCli({"batch"}, "substance,concentration,temperature\nNaCl,0.3,20\nNaCl,2,20\n");
  EXPECT_EQ(failed.exitStatus, 1);
  EXPECT_EQ(failed.err, "elprops-cli: 1 of 2 rows were not computed (see the error column)\n");
  EXPECT_EQ(CsvTable(failed.out).Get(1, "warning"), "");
}

}  // namespace
}  // namespace elprops::cli::testing
