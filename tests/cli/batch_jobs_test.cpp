// The batch run on several threads: the same bytes on standard output and
// standard error, and the same exit status, whatever the number of jobs;
// signals and a reader that has gone still end the run after whole rows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include "tests/cli/cli_runner.h"
#include "tests/cli/csv_table.h"
#include "tests/cli/text_lines.h"

namespace elprops::cli {
namespace {

using testing::CliRun;
using testing::CsvTable;
using testing::Lines;
using testing::PipedCli;
using testing::RunCli;
using testing::TempFile;

constexpr const char* kHeader = "substance,concentration,temperature\n";

// A large input of every kind of row, and what its output must hold
// (counted here as the rows are made, not taken from the program): rows
// that are not computed, and computed rows with a warning.
struct MixedInput {
  std::string text;
  std::size_t rows = 0;
  std::size_t failing = 0;
  std::size_t warned = 0;
};

// With `unitColumn` the input has a fourth column, unit, that some rows
// fill in (percent, molality, an empty cell for the run's fraction, or a
// word that names no unit).
MixedInput MakeMixedInput(std::size_t rows, bool unitColumn) {
  MixedInput in;
  in.text = unitColumn ? "substance,concentration,temperature,unit\n" : kHeader;
  // Salts that dissolve to beyond a mass fraction of 0.19 from 0 to 100 °C.
  static const char* const kFormulas[] = {"NaCl", "KCl", "CaCl2", "nacl", "3", "(NH4)2SO4", "MgCl2", "cacl2"};
  // Rows that are not computed, spread through the input.
  static const char* const kFailing[] = {
      "K2CO3,0.99,20",                        // an arithmetic fault
      "NaCl,abc,20",                          // not a number
      "NaCl,0.1",                             // too few cells
      "NaCl,0.1,20,5",                        // too many cells, or a unit that is none
      "Unobtainium,0.1,20",                   // unknown substance
      "NaCl,1.5,20",                          // refused concentration
      "H2O,0.1,20",                           // water with a concentration
      "NaCl,0.1,1e40",                        // beyond the single range
      "\"NaCl,0.1,20",                        // an open quote
      "substance,concentration,temperature",  // the header again
  };
  const std::string tail = unitColumn ? "," : "";
  std::size_t next = 0;
  for (std::size_t k = 1; in.rows < rows; ++k) {
    // Lines around where blocks of rows end hold a bad row, and every 997th
    // line one of the failing kinds.
    const bool nearBoundary = k % 2048 == 2047 || k % 2048 == 0 || k % 2048 == 1;
    if (nearBoundary || k % 997 == 0) {
      in.text += kFailing[next++ % std::size(kFailing)];
      in.text += tail;
      ++in.failing;
    } else if (k % 331 == 0) {
      // Water boils above 100 °C: a warning, and the row is computed.
      const std::size_t t = k % 190 + 1;
      in.text += "H2O,," + std::to_string(t) + tail;
      if (t > 100) ++in.warned;
    } else if (k % 409 == 0) {
      // Sodium chloride dissolves to a mass fraction of 0.2641 at 20 °C.
      in.text += "NaCl,0.3,20" + tail;
      ++in.warned;
    } else if (k % 457 == 0) {
      // Beyond 100 °C there is no solubility data, and the water boils.
      in.text += "KCl,0.1,150" + tail;
      ++in.warned;
    } else if (k % 503 == 0) {
      // Blank lines are skipped, not rows.
      in.text += "  \n";
      continue;
    } else if (unitColumn && k % 5 == 1) {
      // 12 % and 1 mol/kg, well within the solubility.
      in.text += k % 2 == 0 ? "NaCl,12,40,percent" : "KCl,1,60,molality";
    } else if (unitColumn && k % 89 == 0) {
      in.text += "NaCl,0.1,20,furlongs";
      ++in.failing;
    } else {
      in.text += kFormulas[k % std::size(kFormulas)];
      in.text += k % 2 == 0 ? ",\"0," : ",0.";
      in.text += std::to_string(k % 10 + 10);
      in.text += k % 2 == 0 ? "\"," : ",";
      in.text += std::to_string(k % 100);
      in.text += ".25";
      in.text += tail;
    }
    in.text += '\n';
    ++in.rows;
  }
  return in;
}

struct JobsCase {
  const char* name;
  bool unitColumn;
  std::vector<std::string> options;
};

void PrintTo(const JobsCase& c, std::ostream* os) { *os << c.name; }

class BatchJobs : public ::testing::TestWithParam<JobsCase> {};

TEST_P(BatchJobs, OneTwoAndThreeJobsGiveTheSameBytes) {
  const MixedInput in = MakeMixedInput(120000, GetParam().unitColumn);
  const TempFile file(in.text);
  std::vector<CliRun> runs;
  for (const char* jobs : {"1", "2", "3"}) {
    std::vector<std::string> args = {"batch", "--jobs", jobs, file.Path()};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    runs.push_back(RunCli(args));
  }
  const CliRun& one = runs[0];
  EXPECT_EQ(one.exitStatus, 1);
  EXPECT_EQ(one.err, "elprops-cli: " + std::to_string(in.failing) + " of " + std::to_string(in.rows) +
                         " rows were not computed (see the error column)\n");
  const bool json = std::find(GetParam().options.begin(), GetParam().options.end(), "json") != GetParam().options.end();
  const bool warnings =
      std::find(GetParam().options.begin(), GetParam().options.end(), "--no-warnings") == GetParam().options.end();
  const std::vector<std::string> lines = Lines(one.out);
  EXPECT_EQ(lines.size(), in.rows + (json ? 0 : 1));
  std::size_t warned = 0;
  if (json) {
    for (const std::string& line : lines) {
      if (line.find("\"warning\":null}") == std::string::npos) ++warned;
    }
  } else {
    const CsvTable table(one.out);
    ASSERT_EQ(table.Error(), "");
    // The unit columns unit, mass_fraction, molality and molarity with a
    // unit column in the input or with --all-units.
    const bool allUnits =
        std::find(GetParam().options.begin(), GetParam().options.end(), "--all-units") != GetParam().options.end();
    const std::size_t cells = GetParam().unitColumn || allUnits ? 14u : 10u;
    std::size_t faults = 0;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      ASSERT_EQ(table.FieldCount(row), cells) << "row " << row;
      if (table.Get(row, "error").value_or("").starts_with("arithmetic error")) ++faults;
      if (!table.Get(row, "warning").value_or("").empty()) ++warned;
    }
    // The K2CO3 row at 0.99 faults.
    EXPECT_GT(faults, 0u);
  }
  EXPECT_EQ(warned, warnings ? in.warned : 0u);
  for (std::size_t k = 1; k < runs.size(); ++k) {
    SCOPED_TRACE("jobs " + std::to_string(k + 1));
    EXPECT_EQ(runs[k].exitStatus, one.exitStatus);
    EXPECT_EQ(runs[k].err, one.err);
    EXPECT_TRUE(runs[k].out == one.out) << "the outputs differ";
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, BatchJobs,
                         ::testing::Values(JobsCase{"Csv", false, {}}, JobsCase{"Json", false, {"--format", "json"}},
                                           JobsCase{"CsvWithUnits", true, {}},
                                           JobsCase{"JsonWithUnits", true, {"--format", "json"}},
                                           JobsCase{"CsvAllUnitsNoWarnings", false, {"--all-units", "--no-warnings"}},
                                           JobsCase{"JsonAllUnits", false, {"--all-units", "--format", "json"}}),
                         [](const ::testing::TestParamInfo<JobsCase>& c) { return std::string(c.param.name); });

// Batch and compute write their rows through the one record writer: as a
// smoke check, compute's rows over a grid of every substance (warnings,
// faults and refusals included), fed back to batch as its input, come back
// unchanged.
class BatchRowsAsCompute : public ::testing::TestWithParam<JobsCase> {};

TEST_P(BatchRowsAsCompute, EveryRowHasComputesBytes) {
  const std::vector<std::string>& options = GetParam().options;
  const bool json = std::find(options.begin(), options.end(), "json") != options.end();
  std::string input = kHeader;
  std::string header;  // CSV: one for the whole batch output
  std::string expected;
  std::size_t rows = 0;
  for (int substance = 1; substance <= 19; ++substance) {
    std::vector<std::string> args = {"compute", "-s", std::to_string(substance), "-t", "5:185:30"};
    if (substance != 19) args.insert(args.end(), {"-c", "0.02:0.5:0.08"});
    std::vector<std::string> plain = args;
    plain.insert(plain.end(), {"-f", "csv"});
    const CliRun points = RunCli(plain);
    const std::vector<std::string> pointLines = Lines(points.out);
    ASSERT_GT(pointLines.size(), 1u) << points.err;
    for (std::size_t k = 1; k < pointLines.size(); ++k) {
      // substance,concentration,temperature: the first three cells.
      std::size_t end = 0;
      for (int cell = 0; cell < 3; ++cell) end = pointLines[k].find(',', end) + 1;
      input += pointLines[k].substr(0, end - 1) + "\n";
      ++rows;
    }

    std::vector<std::string> withOptions = args;
    if (!json) withOptions.insert(withOptions.end(), {"-f", "csv"});
    withOptions.insert(withOptions.end(), options.begin(), options.end());
    const CliRun computed = RunCli(withOptions);
    ASSERT_LE(computed.exitStatus, 1) << computed.err;
    std::string text = computed.out;
    if (!json) {
      const std::size_t headerEnd = text.find('\n') + 1;
      if (header.empty()) header = text.substr(0, headerEnd);
      text.erase(0, headerEnd);
    }
    expected += text;
  }
  for (const char* jobs : {"1", "2"}) {
    SCOPED_TRACE(std::string("jobs ") + jobs);
    std::vector<std::string> args = {"batch", "--jobs", jobs};
    args.insert(args.end(), options.begin(), options.end());
    const CliRun batch = RunCli(args, input);
    EXPECT_LE(batch.exitStatus, 1) << batch.err;
    EXPECT_EQ(Lines(batch.out).size(), rows + (json ? 0 : 1));
    const std::vector<std::string> got = Lines(batch.out);
    const std::vector<std::string> want = Lines(header + expected);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < got.size(); ++k) ASSERT_EQ(got[k], want[k]) << "line " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, BatchRowsAsCompute,
                         ::testing::Values(JobsCase{"CsvAllUnits", false, {"--all-units"}}),
                         [](const ::testing::TestParamInfo<JobsCase>& c) { return std::string(c.param.name); });

// Every record of a CSV output has the header's nine cells, and the text
// ends with a whole record.
void ExpectWholeRows(const std::string& out) {
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), '\n');
  const CsvTable table(out);
  ASSERT_EQ(table.Error(), "");
  for (std::size_t row = 0; row < table.RowCount(); ++row) ASSERT_EQ(table.FieldCount(row), 10u) << "row " << row;
}

class BatchJobsStop : public ::testing::TestWithParam<const char*> {};

TEST_P(BatchJobsStop, SigintInTheMiddleEndsAfterAWholeRow) {
  std::string input = kHeader;
  for (int k = 0; k < 300000; ++k) input += k % 1000 == 999 ? "NaCl,x,20\n" : "CaCl2,0.3,60\n";
  const TempFile file(input);
  PipedCli cli({"batch", "--jobs", GetParam(), file.Path()});
  std::string out;
  ASSERT_TRUE(cli.ReadLines(out, 5000));
  cli.Signal(SIGINT);
  cli.ReadToEnd(out);
  CliRun run;
  ASSERT_TRUE(cli.Wait(60, run));
  EXPECT_FALSE(run.signalled) << "ended by the signal itself";
  EXPECT_EQ(run.exitStatus, 128 + SIGINT) << run.err;
  // The count in the message is the rows written.
  EXPECT_EQ(run.err, "elprops-cli: stopped by SIGINT after " + std::to_string(Lines(out).size() - 1) +
                         " rows; the output ends with a whole row\n");
  ExpectWholeRows(out);
  EXPECT_LT(Lines(out).size(), 300001u);
}

TEST_P(BatchJobsStop, WithSigpipeIgnoredAGoneReaderEndsTheRunWithTheReason) {
  PipedCli cli({"batch", "--jobs", GetParam()}, true);
  cli.CloseOutput();
  std::string rows = kHeader;
  for (int k = 0; k < 5000; ++k) rows += "NaCl,0.1,20\n";
  ASSERT_TRUE(cli.Write(rows));
  CliRun run;
  ASSERT_TRUE(cli.Wait(30, run)) << "still reading its input after the output failed";
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.err, "elprops-cli: cannot write the results: Broken pipe\n");
}

INSTANTIATE_TEST_SUITE_P(Jobs, BatchJobsStop, ::testing::Values("1", "2", "3"),
                         [](const ::testing::TestParamInfo<const char*>& c) { return std::string("Jobs") + c.param; });

struct BadJobs {
  const char* name;
  const char* value;
};

void PrintTo(const BadJobs& c, std::ostream* os) { *os << c.name; }

class BatchBadJobs : public ::testing::TestWithParam<BadJobs> {};

TEST_P(BatchBadJobs, RefusedAsBadUsageBeforeAnythingIsRead) {
  const CliRun run = RunCli({"batch", "--jobs", GetParam().value}, std::string(kHeader) + "NaCl,0.1,20\n");
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, std::string("elprops-cli: --jobs: give a whole number of threads from 1 to 256, not \"") +
                         GetParam().value + "\"\nRun elprops-cli batch --help for more information.\n");
}

INSTANTIATE_TEST_SUITE_P(Values, BatchBadJobs,
                         ::testing::Values(BadJobs{"Zero", "0"}, BadJobs{"Negative", "-2"}, BadJobs{"Word", "all"},
                                           BadJobs{"Fraction", "1.5"}, BadJobs{"TooMany", "257"}, BadJobs{"Empty", ""}),
                         [](const ::testing::TestParamInfo<BadJobs>& c) { return std::string(c.param.name); });

TEST(BatchJobsOption, TheMostJobsAndOneAreAccepted) {
  for (const char* jobs : {"1", "256"}) {
    const CliRun run = RunCli({"batch", "--jobs", jobs}, std::string(kHeader) + "NaCl,0.1,20\n");
    EXPECT_EQ(run.exitStatus, 0) << jobs << ": " << run.err;
    EXPECT_EQ(Lines(run.out).size(), 2u) << jobs;
  }
}

}  // namespace
}  // namespace elprops::cli
