// The derived quantities, the table and the language of compute and batch,
// end to end. The expected values are worked by hand from the published
// digits of sodium chloride at a mass fraction of 0.1 and 20 °C.
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

constexpr double kRho = 1070.638;      // kg/m³
constexpr double kMu = 0.001208059;    // Pa·s
constexpr double kCp = 3747.392;       // J/(kg·K)
constexpr double kLambda = 0.5867352;  // W/(m·K)

struct DerivedCase {
  const char* name;  // as -p takes it
  const char* column;
  double expected;
};

void PrintTo(const DerivedCase& c, std::ostream* os) { *os << c.column; }

class CliDerived : public ::testing::TestWithParam<DerivedCase> {};

double Number(const std::optional<std::string>& cell) {
  EXPECT_TRUE(cell.has_value());
  return cell ? std::strtod(cell->c_str(), nullptr) : std::nan("");
}

TEST_P(CliDerived, ComputeAndBatchGiveTheValueWorkedByHand) {
  const DerivedCase& c = GetParam();
  const CliRun compute = RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "20", "-f", "csv", "-p", c.name});
  const CliRun batch = RunCli({"batch", "-p", c.name}, "substance,concentration,temperature\nNaCl,0.1,20\n");
  for (const CliRun* r : {&compute, &batch}) {
    ASSERT_EQ(r->exitStatus, 0) << r->err;
    EXPECT_EQ(Lines(r->out).at(0), "substance,concentration,temperature," + std::string(c.column) + ",error,warning");
    const double value = Number(CsvTable(r->out).Get(0, c.column));
    EXPECT_NEAR(value, c.expected, 2e-6 * std::abs(c.expected));
  }
}

INSTANTIATE_TEST_SUITE_P(NaClAt0p1And20C, CliDerived,
                         ::testing::Values(DerivedCase{"nu", "kinematic_viscosity", kMu / kRho},
                                           DerivedCase{"alpha", "thermal_diffusivity", kLambda / (kRho * kCp)},
                                           DerivedCase{"prandtl", "prandtl_number", kMu* kCp / kLambda},
                                           DerivedCase{"specific-volume", "specific_volume", 1.0 / kRho},
                                           DerivedCase{"volumetric_heat_capacity", "volumetric_heat_capacity",
                                                       kRho* kCp},
                                           DerivedCase{"dh", "heat_taken_up", 0.0}),
                         [](const auto& p) { return std::string(p.param.column); });

// The columns of the table: where each begins and ends, from its rule.
std::vector<std::pair<std::size_t, std::size_t>> Spans(const std::string& rule) {
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  for (std::size_t i = rule.find('-'); i != std::string::npos; i = rule.find('-', rule.find(' ', i))) {
    spans.emplace_back(i, std::min(rule.find(' ', i), rule.size()));
    if (spans.back().second == rule.size()) break;
  }
  return spans;
}

TEST(CliTable, RowsAreAlignedAndReadBackToTheCsvValues) {
  const std::vector<std::string> args = {
      "compute", "-s", "CaCl2", "-c", "0.1", "-c", "0.3", "-t", "5:95:30", "-p", "density,pr,nu,beta,viscosity"};
  std::vector<std::string> tableArgs = args;
  tableArgs.insert(tableArgs.end(), {"-f", "table", "--lang", "en"});
  std::vector<std::string> csvArgs = args;
  csvArgs.insert(csvArgs.end(), {"-f", "csv"});
  const CliRun table = RunCli(tableArgs);
  const CliRun csv = RunCli(csvArgs);
  ASSERT_EQ(table.exitStatus, 0) << table.err;
  const CsvTable records(csv.out);
  ASSERT_EQ(records.RowCount(), 8u);
  const std::vector<std::string> lines = Lines(table.out);
  ASSERT_EQ(lines.size(), 4u + 8u);
  EXPECT_EQ(lines[0], "CaCl2 (calcium chloride)");
  const auto spans = Spans(lines[3]);
  const char* columns[] = {"",
                           "concentration",
                           "temperature",
                           "density",
                           "prandtl_number",
                           "kinematic_viscosity",
                           "thermal_expansion",
                           "viscosity"};
  const double digits[] = {0, 1e-9, 1e-9, 5e-7, 5e-6, 5e-6, 5e-4, 5e-7};
  ASSERT_EQ(spans.size(), std::size(columns));
  for (std::size_t row = 0; row < 8; ++row) {
    const std::string& line = lines[4 + row];
    ASSERT_EQ(line.size(), spans.back().second) << line;
    for (std::size_t c = 0; c < spans.size(); ++c) {
      const auto [begin, end] = spans[c];
      // Right-aligned within its column, blank between columns.
      EXPECT_NE(line[end - 1], ' ') << line;
      if (end < line.size()) {
        EXPECT_EQ(line.substr(end, 2), "  ") << line;
      }
      if (c == 0) {
        EXPECT_EQ(std::stoul(line.substr(begin, end - begin)), row + 1);
        continue;
      }
      const double shown = std::strtod(line.substr(begin, end - begin).c_str(), nullptr);
      const double exact = Number(records.Get(row, columns[c]));
      EXPECT_NEAR(shown, exact, digits[c] * std::abs(exact)) << columns[c] << " in " << line;
    }
  }
}

TEST(CliTable, SolveGivesARowPerAnswer) {
  const CliRun r = RunCli({"solve", "-s", "NaCl", "-t", "20", "--density", "1070.6378", "-f", "table", "--lang", "en"});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "NaCl: density ρ = 1070.6378 kg/m³");
  // The published density at w = 0.1 gives that mass fraction back.
  EXPECT_NE(lines[4].find(" 0.1 "), std::string::npos) << lines[4];
}

struct HeaderCase {
  const char* name;
  const char* lang;  // nothing: from the locale
  const char* locale;
  std::vector<std::string> words;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

class CliTableHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(CliTableHeader, NamesAndUnitsAreInTheLanguage) {
  const HeaderCase& c = GetParam();
  std::vector<std::string> args = {"compute", "-s", "NaCl", "-c", "0.1", "-t", "20", "-p", "density,pr", "-f", "table"};
  if (c.lang != nullptr) args.insert(args.end(), {"--lang", c.lang});
  const CliRun r = RunCli(args, "", c.locale);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_GE(lines.size(), 3u);
  for (const std::string& word : c.words) EXPECT_NE((lines[1] + lines[2]).find(word), std::string::npos) << word;
}

INSTANTIATE_TEST_SUITE_P(
    Languages, CliTableHeader,
    ::testing::Values(HeaderCase{"English", "en", "ru_RU.UTF-8", {"density", "Prandtl number", "ρ, kg/m³", "Pr"}},
                      HeaderCase{"Russian", "ru", "C.UTF-8", {"ПЛОТНОСТЬ", "ЧИСЛО ПРАНДТЛЯ", "ρ, кг/м³"}},
                      HeaderCase{"RussianLocale", nullptr, "ru_RU.UTF-8", {"ПЛОТНОСТЬ", "ρ, кг/м³"}},
                      HeaderCase{"OtherLocale", nullptr, "C.UTF-8", {"density", "ρ, kg/m³"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(CliProperties, AnUnknownNameIsAUsageErrorThatListsTheNames) {
  const std::vector<std::vector<std::string>> runs = {
      {"compute", "-s", "NaCl", "-c", "0.1", "-t", "20", "-p", "density,reynolds"},
      {"batch", "-p", "density", "-p", "reynolds"}};
  for (const std::vector<std::string>& args : runs) {
    const CliRun r = RunCli(args, "substance,concentration,temperature\nNaCl,0.1,20\n");
    const std::string& command = args[0];
    EXPECT_EQ(r.exitStatus, 2) << command;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("\"reynolds\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("prandtl_number"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("heat_taken_up"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace elprops::cli::testing
