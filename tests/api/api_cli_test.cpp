// The library gives the same bits and the same refusals as elprops-cli:
// the real program computes a grid of points, and each of its result rows
// (shortest round-trip text) is compared with the library's result.
#include <gtest/gtest.h>
#include <elprops/elprops.hpp>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/cli/cli_runner.h"

namespace {

using elprops::cli::testing::CliRun;
using elprops::cli::testing::RunCli;

std::string Shortest(float value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

float ReadFloat(std::string_view text) {
  float value = 0.0f;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(ec == std::errc() && end == text.data() + text.size()) << text;
  return value;
}

// One row of the CLI's CSV: eight plain cells, then the error and the
// warning cells, each quoted when it holds a comma or a quote.
struct CsvRow {
  std::vector<std::string> cells;
  std::string error;
  std::string warning;
};

// The cell at the start of `line`, unquoted; `line` is left after its comma.
std::string TakeCell(std::string_view& line) {
  std::string cell;
  if (!line.empty() && line.front() == '"') {
    std::size_t i = 1;
    for (; i < line.size(); ++i) {
      if (line[i] == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          cell += '"';  // "" stands for one quote
          ++i;
          continue;
        }
        ++i;
        break;
      }
      cell += line[i];
    }
    line.remove_prefix(std::min(i + 1, line.size()));
    return cell;
  }
  const std::size_t comma = line.find(',');
  cell = std::string(line.substr(0, comma));
  line.remove_prefix(comma == std::string_view::npos ? line.size() : comma + 1);
  return cell;
}

CsvRow SplitRow(std::string_view line) {
  CsvRow row;
  for (int i = 0; i < 8; ++i) {
    const std::size_t comma = line.find(',');
    row.cells.emplace_back(line.substr(0, comma));
    line.remove_prefix(comma == std::string_view::npos ? line.size() : comma + 1);
  }
  row.error = TakeCell(line);
  row.warning = TakeCell(line);
  EXPECT_TRUE(line.empty()) << "more cells than the header's: " << line;
  return row;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// Compares one CSV row of the CLI with the library's result for the same
// point and says whether it was a computed point.
bool ExpectSameAsLibrary(const CsvRow& row, int substance) {
  const float x = ReadFloat(row.cells[1]);
  const float t = ReadFloat(row.cells[2]);
  const elprops::result r = elprops::compute(elprops::substance_id{static_cast<std::uint8_t>(substance)}, x, t);
  if (!row.error.empty()) {
    EXPECT_FALSE(r.has_value()) << "the CLI refused: " << row.error;
    if (r.has_value()) return false;
    EXPECT_EQ(r.error().message, row.error);
    const bool arithmetic = row.error.rfind("arithmetic error", 0) == 0;
    EXPECT_EQ(r.error().kind,
              arithmetic ? elprops::error_kind::arithmetic_fault : elprops::error_kind::inadmissible_input);
    return false;
  }
  EXPECT_TRUE(r.has_value()) << r.error().message;
  if (!r.has_value()) return false;
  EXPECT_EQ(Shortest(r->density), row.cells[3]);
  EXPECT_EQ(Shortest(r->viscosity), row.cells[4]);
  EXPECT_EQ(Shortest(r->surface_tension), row.cells[5]);
  EXPECT_EQ(Shortest(r->heat_capacity), row.cells[6]);
  EXPECT_EQ(Shortest(r->thermal_conductivity), row.cells[7]);
  return true;
}

TEST(SameAsTheCli, SodiumChlorideWorkedExample) {
  const CliRun run = RunCli({"compute", "-s", "NaCl", "-c", "0.1", "-t", "20", "--format", "csv"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 2u) << run.out;
  const CsvRow row = SplitRow(lines[1]);
  EXPECT_TRUE(ExpectSameAsLibrary(row, 17));
  // And the CLI's text is the published value.
  EXPECT_EQ(row.cells[3], "1070.6378");
}

// Every substance over a grid of concentrations and temperatures, the
// limits and points beyond them included, read by the batch command.
TEST(SameAsTheCli, GridOfEverySubstanceWithRefusalsAndFaults) {
  const std::vector<float> fractions{-0.1f, 0.0f, 1e-6f, 0.01f, 0.05f, 0.1f,  0.2f,   0.3f, 0.4f, 0.5f,
                                     0.6f,  0.7f, 0.8f,  0.9f,  0.95f, 0.99f, 0.999f, 1.0f, 1.5f};
  const std::vector<float> temperatures{-5.0f,  1e-20f, 1e-10f, 0.5f,   20.0f,  25.0f,  37.5f,  50.0f, 80.0f,
                                        100.0f, 150.0f, 199.9f, 200.0f, 250.0f, 269.9f, 270.0f, 300.0f};
  std::string input = "substance,concentration,temperature\n";
  std::vector<int> substances;
  for (int s = 1; s <= elprops::substance_count; ++s) {
    for (const float x : fractions) {
      for (const float t : temperatures) {
        input += std::to_string(s) + "," + Shortest(x) + "," + Shortest(t) + "\n";
        substances.push_back(s);
      }
    }
  }
  const CliRun run = RunCli({"batch", "--format", "csv"}, input);
  ASSERT_EQ(run.exitStatus, 1) << run.err;  // some points are refused
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), substances.size() + 1);
  std::size_t computed = 0;
  std::size_t faults = 0;
  for (std::size_t i = 0; i < substances.size(); ++i) {
    SCOPED_TRACE(lines[i + 1]);
    const CsvRow row = SplitRow(lines[i + 1]);
    if (ExpectSameAsLibrary(row, substances[i])) ++computed;
    if (row.error.rfind("arithmetic error", 0) == 0) ++faults;
  }
  // The grid reaches computed points, refusals and arithmetic faults.
  EXPECT_GT(computed, 2000u);
  EXPECT_GT(faults, 0u);
  EXPECT_GT(substances.size() - computed - faults, 0u);
}

}  // namespace
