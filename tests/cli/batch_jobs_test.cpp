// The batch run on several threads: the same bytes on standard output and
// standard error, and the same exit status, whatever the number of jobs;
// signals and a reader that has gone still end the run after whole rows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "csv_table.h"
#include "text_lines.h"

namespace elprops::cli {
namespace {

using testing::CliRun;
using testing::CsvTable;
using testing::Lines;
using testing::PipedCli;
using testing::RunCli;
using testing::TempFile;

constexpr const char* kHeader = "substance,concentration,temperature\n";

// A large input of every kind of row, and how many of its rows are not
// computed (counted here as they are made, not taken from the program).
struct MixedInput {
  std::string text = kHeader;
  std::size_t rows = 0;
  std::size_t failing = 0;
};

MixedInput MakeMixedInput(std::size_t rows) {
  MixedInput in;
  static const char* const kFormulas[] = {"NaCl", "KCl", "CaCl2", "nacl", "3", "(NH4)2SO4", "Na2CO3", "MgCl2"};
  // Rows that are not computed, spread through the input.
  static const char* const kFailing[] = {
      "K2CO3,0.99,20",                        // an arithmetic fault
      "NaCl,abc,20",                          // not a number
      "NaCl,0.1",                             // two cells
      "NaCl,0.1,20,5",                        // four cells
      "Unobtainium,0.1,20",                   // unknown substance
      "NaCl,1.5,20",                          // refused concentration
      "H2O,0.1,20",                           // water with a concentration
      "NaCl,0.1,1e40",                        // beyond the single range
      "\"NaCl,0.1,20",                        // an open quote
      "substance,concentration,temperature",  // the header again
  };
  std::size_t next = 0;
  for (std::size_t k = 1; in.rows < rows; ++k) {
    // Lines around where blocks of rows end hold a bad row, and every 997th
    // line one of the failing kinds.
    const bool nearBoundary = k % 2048 == 2047 || k % 2048 == 0 || k % 2048 == 1;
    if (nearBoundary || k % 997 == 0) {
      in.text += kFailing[next++ % std::size(kFailing)];
      in.text += '\n';
      ++in.failing;
    } else if (k % 331 == 0) {
      in.text += "H2O,,";
      in.text += std::to_string(k % 190 + 1);
      in.text += '\n';
    } else if (k % 503 == 0) {
      // Blank lines are skipped, not rows.
      in.text += "  \n";
      continue;
    } else {
      in.text += kFormulas[k % std::size(kFormulas)];
      in.text += k % 2 == 0 ? ",\"0," : ",0.";
      in.text += std::to_string(k % 16 + 10);
      in.text += k % 2 == 0 ? "\"," : ",";
      in.text += std::to_string(k % 100 + 1);
      in.text += ".25\n";
    }
    ++in.rows;
  }
  return in;
}

struct JobsCase {
  const char* name;
  std::vector<std::string> format;
};

void PrintTo(const JobsCase& c, std::ostream* os) { *os << c.name; }

class BatchJobs : public ::testing::TestWithParam<JobsCase> {};

TEST_P(BatchJobs, OneTwoAndThreeJobsGiveTheSameBytes) {
  const MixedInput in = MakeMixedInput(120000);
  const TempFile file(in.text);
  std::vector<CliRun> runs;
  for (const char* jobs : {"1", "2", "3"}) {
    std::vector<std::string> args = {"batch", "--jobs", jobs, file.Path()};
    args.insert(args.end(), GetParam().format.begin(), GetParam().format.end());
    runs.push_back(RunCli(args));
  }
  const CliRun& one = runs[0];
  EXPECT_EQ(one.exitStatus, 1);
  EXPECT_EQ(one.err, "elprops-cli: " + std::to_string(in.failing) + " of " + std::to_string(in.rows) +
                         " rows were not computed (see the error column)\n");
  const bool json = !GetParam().format.empty();
  EXPECT_EQ(Lines(one.out).size(), in.rows + (json ? 0 : 1));
  if (!json) {
    const CsvTable table(one.out);
    ASSERT_EQ(table.Error(), "");
    std::size_t faults = 0;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      ASSERT_EQ(table.FieldCount(row), 9u) << "row " << row;
      if (table.Get(row, "error").value_or("").starts_with("arithmetic error")) ++faults;
    }
    EXPECT_GT(faults, 0u);
  }
  for (std::size_t k = 1; k < runs.size(); ++k) {
    SCOPED_TRACE("jobs " + std::to_string(k + 1));
    EXPECT_EQ(runs[k].exitStatus, one.exitStatus);
    EXPECT_EQ(runs[k].err, one.err);
    EXPECT_TRUE(runs[k].out == one.out) << "the outputs differ";
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, BatchJobs,
                         ::testing::Values(JobsCase{"Csv", {}}, JobsCase{"Json", {"--format", "json"}}),
                         [](const ::testing::TestParamInfo<JobsCase>& c) { return std::string(c.param.name); });

// Every record of a CSV output has the header's nine cells, and the text
// ends with a whole record.
void ExpectWholeRows(const std::string& out) {
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), '\n');
  const CsvTable table(out);
  ASSERT_EQ(table.Error(), "");
  for (std::size_t row = 0; row < table.RowCount(); ++row) ASSERT_EQ(table.FieldCount(row), 9u) << "row " << row;
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

}  // namespace
}  // namespace elprops::cli
