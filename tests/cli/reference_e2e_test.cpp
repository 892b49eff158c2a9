// --reference end to end: the independent models beside our values in
// every format of compute, batch and solve, pinned to the published worked
// example of sodium chloride at w = 0.1 and 20 °C; and solve's two
// reachable ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/cli/cli_runner.h"
#include "tests/cli/csv_table.h"

namespace elprops::cli::testing {
namespace {

// The worked example of the reference data's sources for NaCl, w = 0.1,
// 20 °C, to the digits printed there.
struct Published {
  const char* property;
  const char* source;
  double value;      // SI units
  double tolerance;  // half a unit of the last printed digit
};
constexpr Published kNaCl[] = {
    {"density", "Laliberté 2009", 1070.75, 0.005},
    {"viscosity", "Laliberté 2009", 1.1905e-3, 0.00005e-3},
    {"surface_tension", "Dutcher 2010", 0.07575, 0.000005},
    {"heat_capacity", "Laliberté 2009", 3728.1, 0.05},
    {"thermal_conductivity", "Melinder 2010", 0.5887, 0.00005},
};

void ExpectPublished(const CsvTable& table, std::size_t row) {
  for (const Published& p : kNaCl) {
    const std::string name(p.property);
    const double reference = std::stod(table.Get(row, name + "_reference").value_or("nan"));
    EXPECT_NEAR(reference, p.value, p.tolerance) << name;
    EXPECT_EQ(table.Get(row, name + "_reference_source"), p.source) << name;
    EXPECT_EQ(table.Get(row, name + "_within_span"), "true") << name;
    // The deviation is ours against the reference, relative to it.
    const double ours = std::stod(table.Get(row, name).value_or("nan"));
    const double deviation = std::stod(table.Get(row, name + "_deviation").value_or("nan"));
    EXPECT_NEAR(deviation, (ours - reference) / reference, 1e-6) << name;
  }
}

TEST(CliReference, ComputeAndBatchCsvGiveThePublishedReferenceValues) {
  const CliRun compute = RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "20", "--reference", "-f", "csv"});
  ASSERT_EQ(compute.exitStatus, 0) << compute.err;
  const CsvTable computed(compute.out);
  ASSERT_EQ(computed.Error(), "");
  ExpectPublished(computed, 0);
  EXPECT_EQ(computed.Get(0, "notes"), "");

  // A row that is not computed has no reference; barium sulfide has none
  // at all, and says so.
  const CliRun batch =
      RunCli({"batch", "--reference"}, "substance,concentration,temperature\nNaCl,0.1,20\nNaCl,2,20\nBaS,0.1,20\n");
  EXPECT_EQ(batch.exitStatus, 1);
  const CsvTable rows(batch.out);
  ASSERT_EQ(rows.RowCount(), 3u) << batch.out;
  ExpectPublished(rows, 0);
  EXPECT_EQ(rows.Get(1, "density_reference"), "");
  EXPECT_EQ(rows.Get(1, "notes"), "");
  EXPECT_EQ(rows.Get(2, "density_reference_source"), "");
  EXPECT_EQ(rows.Get(2, "notes"), "BaS: no reference data for any property");
}

// Potassium hydroxide at w = 0.6 lies beyond the largest mass fraction of
// Laliberté's viscosity data, 0.51861; no model covers its surface tension.
TEST(CliReference, JsonSaysWhereTheReferenceIsAbsentOrOutsideItsSpan) {
  const CliRun run = RunCli({"compute", "-s", "KOH", "-c", "0.6", "-t", "20", "--reference", "-f", "json"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  for (const char* expected :
       {"\"viscosity_reference_source\":\"Laliberté 2009\"", "\"viscosity_within_span\":false",
        "\"surface_tension_reference\":null", "\"surface_tension_within_span\":null",
        "viscosity of KOH: no reference data beyond w = 0.518 at 20 °C", "surface tension of KOH: no reference data"}) {
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
  }
}

TEST(CliReference, TextShowsTheReferenceBesideOurs) {
  const CliRun run = RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "20", "--reference"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  for (const char* expected :
       {"density: reference 1070.75 kg/m³ (Laliberté 2009)", "viscosity: reference 0.0011905", "(Dutcher 2010)",
        "heat capacity: reference 3728.1", "(Melinder 2010)", "within the span of its data"}) {
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
  }
  const CliRun plain = RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "20"});
  EXPECT_TRUE(run.out.starts_with(plain.out)) << "the values and warnings come first, unchanged";
}

// Out of reach, solve gives the range over every admissible mass fraction
// and up to the solubility (0.2641 at 20 °C), whose end is what compute
// gives there; the end above the solubility carries its warning.
TEST(CliReference, SolveOutOfReachGivesBothRanges) {
  const CliRun run = RunCli({"solve", "-s", "NaCl", "-t", "20", "--density", "5000"});
  EXPECT_EQ(run.exitStatus, 1);
  const CliRun top = RunCli({"compute", "-s", "NaCl", "-c", "0.2641", "-t", "20", "-f", "csv"});
  const std::string density = CsvTable(top.out).Get(0, "density").value_or("?");
  const std::size_t all = run.err.find("the admissible mass fractions give ");
  const std::string upTo = "; up to the solubility, w = 0.2641, they give ";
  const std::size_t soluble = run.err.find(upTo);
  ASSERT_NE(all, std::string::npos) << run.err;
  ASSERT_NE(soluble, std::string::npos) << run.err;
  EXPECT_NE(run.err.find("above the solubility of NaCl"), std::string::npos) << run.err;
  EXPECT_LT(all, soluble);
  const std::size_t to = run.err.find(" to ", soluble + upTo.size());
  const std::size_t end = run.err.find(" (the least at w = ", to);
  ASSERT_NE(end, std::string::npos) << run.err;
  EXPECT_NEAR(std::stod(run.err.substr(to + 4, end - to - 4)), std::stod(density), 0.001) << run.err;
  EXPECT_NE(run.err.find("the most at w = 0.2641)", end), std::string::npos) << run.err;

  // An answer with --reference: 1070.6378 is our density at w = 0.1.
  const CliRun answer =
      RunCli({"solve", "-s", "NaCl", "-t", "20", "--density", "1070.6378", "--reference", "-f", "csv"});
  ASSERT_EQ(answer.exitStatus, 0) << answer.err;
  const CsvTable roots(answer.out);
  EXPECT_NEAR(std::stod(roots.Get(0, "reference").value_or("nan")), 1070.75, 0.005) << answer.out;
  EXPECT_EQ(roots.Get(0, "reference_source"), "Laliberté 2009");
  EXPECT_EQ(roots.Get(0, "within_span"), "true");
}

}  // namespace
}  // namespace elprops::cli::testing
