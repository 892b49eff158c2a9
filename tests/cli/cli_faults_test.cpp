// The command-line program under faults: signals in the middle of a run, a
// reader that goes away, full and closed output, missing and unreadable
// input. Every failure must be said, with the system's reason, and the
// output must never end in half a row.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
using testing::CliStreams;
using testing::CsvTable;
using testing::Lines;
using testing::PipedCli;
using testing::RunCli;
using testing::TempFile;

constexpr const char* kHeader = "substance,concentration,temperature\n";

// Every record of a CSV output has the header's cells (ten for points),
// and the text ends with a whole record.
void ExpectWholeRows(const std::string& out, std::size_t cells = 10) {
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), '\n');
  const CsvTable table(out);
  ASSERT_EQ(table.Error(), "");
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    ASSERT_EQ(table.FieldCount(row), cells) << "row " << row;
    ASSERT_EQ(table.Get(row, "error"), "") << "row " << row;
  }
}

TEST(CliStop, SignalWhileWaitingForInputEndsAfterTheLastWholeRow) {
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    PipedCli cli({"batch"});
    std::string rows = kHeader;
    for (int k = 0; k < 1000; ++k) rows += "NaCl,0.1,20\n";
    ASSERT_TRUE(cli.Write(rows));
    std::string out;
    // The results of the rows given so far come while the input is open.
    ASSERT_TRUE(cli.ReadLines(out, 1001));
    // Half a row, then the signal while the program waits for the rest.
    ASSERT_TRUE(cli.Write("KCl,0.1,2"));
    usleep(200 * 1000);
    cli.Signal(signal);
    cli.ReadToEnd(out);
    CliRun run;
    ASSERT_TRUE(cli.Wait(30, run));
    EXPECT_FALSE(run.signalled) << "ended by the signal itself";
    EXPECT_EQ(run.exitStatus, 128 + signal);
    EXPECT_EQ(run.err, std::string("elprops-cli: stopped by ") + (signal == SIGINT ? "SIGINT" : "SIGTERM") +
                           " after 1000 rows; the output ends with a whole row\n");
    // The half row was not taken for a point at 2 degrees.
    EXPECT_EQ(Lines(out).size(), 1001u);
    ExpectWholeRows(out);
  }
}

TEST(CliStop, SignalWhileWritingFinishesTheRows) {
  // Many rows from a file; the reader takes the first part of the output,
  // then the signal comes while the program is blocked writing.
  std::string input = kHeader;
  for (int k = 0; k < 200000; ++k) input += "CaCl2,0.3,60\n";
  const TempFile file(input);
  PipedCli cli({"batch", file.Path()});
  std::string out;
  ASSERT_TRUE(cli.ReadLines(out, 100));
  usleep(200 * 1000);
  cli.Signal(SIGTERM);
  cli.ReadToEnd(out);
  CliRun run;
  ASSERT_TRUE(cli.Wait(60, run));
  EXPECT_FALSE(run.signalled) << "ended by the signal itself";
  EXPECT_EQ(run.exitStatus, 128 + SIGTERM) << run.err;
  EXPECT_NE(run.err.find("elprops-cli: stopped by SIGTERM after "), std::string::npos) << run.err;
  ExpectWholeRows(out);
  EXPECT_LT(Lines(out).size(), 200001u);
}

TEST(CliStop, SignalDuringALongRunFinishesTheRows) {
  // About 2.5 million points, a quarter of a million temperatures to solve
  // at: the signal comes long before the end.
  const struct {
    std::vector<std::string> args;
    const char* counted;
    std::size_t cells;
  } runs[] = {{{"compute", "-s", "NaCl", "-c", "0.1", "-t", "1:250:0.0001", "-f", "csv"}, "points", 10},
              {{"solve", "-s", "NaCl", "-t", "1:250:0.001", "--density", "1050", "-f", "csv"}, "rows", 17}};
  for (const auto& r : runs) {
    PipedCli cli(r.args);
    std::string out;
    ASSERT_TRUE(cli.ReadLines(out, 100));
    cli.Signal(SIGINT);
    cli.ReadToEnd(out);
    CliRun run;
    ASSERT_TRUE(cli.Wait(60, run));
    EXPECT_FALSE(run.signalled) << "ended by the signal itself";
    EXPECT_EQ(run.exitStatus, 128 + SIGINT) << run.err;
    EXPECT_TRUE(run.err.starts_with("elprops-cli: stopped by SIGINT after ")) << run.err;
    EXPECT_TRUE(run.err.ends_with(std::string(r.counted) + "; the output ends with a whole row\n")) << run.err;
    ExpectWholeRows(out, r.cells);
    EXPECT_LT(Lines(out).size(), 2490002u);
  }
}

TEST(CliBrokenPipe, WithSigpipeIgnoredTheRunEndsAtTheFirstFailedWrite) {
  // The reader has gone; the input stays open and would never end.
  PipedCli cli({"batch"}, true);
  cli.CloseOutput();
  ASSERT_TRUE(cli.Write(std::string(kHeader) + "NaCl,0.1,20\n"));
  CliRun run;
  ASSERT_TRUE(cli.Wait(30, run)) << "still reading its input after the output failed";
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.err, "elprops-cli: cannot write the results: Broken pipe\n");
}

struct WriteFailureRow {
  const char* name;
  std::vector<std::string> args;
  bool closed;          // standard output closed; otherwise /dev/full
  const char* message;  // the whole of standard error
};

void PrintTo(const WriteFailureRow& row, std::ostream* os) { *os << row.name; }

class CliWriteFailure : public ::testing::TestWithParam<WriteFailureRow> {};

TEST_P(CliWriteFailure, ExitTwoWithTheSystemsReason) {
  const WriteFailureRow& row = GetParam();
  if (!row.closed && access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  CliStreams streams;
  streams.input = std::string(kHeader) + "NaCl,0.1,20\n";
  streams.closeOutput = row.closed;
  if (!row.closed) streams.outputPath = "/dev/full";
  const CliRun run = RunCli(row.args, streams);
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.err, row.message);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, CliWriteFailure,
    ::testing::Values(
        WriteFailureRow{"ListFull", {"list"}, false, "elprops-cli: cannot write the list: No space left on device\n"},
        WriteFailureRow{"ListClosed", {"list"}, true, "elprops-cli: cannot write the list: Bad file descriptor\n"},
        WriteFailureRow{"HelpFull", {"--help"}, false, "elprops-cli: cannot write the help: No space left on device\n"},
        WriteFailureRow{"CommandHelpClosed",
                        {"batch", "--help"},
                        true,
                        "elprops-cli: cannot write the help: Bad file descriptor\n"},
        WriteFailureRow{
            "VersionFull", {"--version"}, false, "elprops-cli: cannot write the version: No space left on device\n"},
        WriteFailureRow{"ComputeFull",
                        {"compute", "-s", "NaCl", "-c", "0.1", "-t", "20"},
                        false,
                        "elprops-cli: cannot write the results: No space left on device\n"},
        WriteFailureRow{"ComputeCsvClosed",
                        {"compute", "-s", "NaCl", "-c", "0.1", "-t", "20:30:1", "-f", "csv"},
                        true,
                        "elprops-cli: cannot write the results: Bad file descriptor\n"},
        WriteFailureRow{
            "BatchFull", {"batch"}, false, "elprops-cli: cannot write the results: No space left on device\n"},
        WriteFailureRow{"BatchJsonClosed",
                        {"batch", "-f", "json"},
                        true,
                        "elprops-cli: cannot write the results: Bad file descriptor\n"}),
    [](const ::testing::TestParamInfo<WriteFailureRow>& row) { return std::string(row.param.name); });

TEST(CliInputFailure, MissingFileDirectoryAndClosedInputSayWhy) {
  const TempFile file("");
  for (const char* command : {"batch", "protocol"}) {
    SCOPED_TRACE(command);
    const CliRun missing = RunCli({command, file.Folder() + "/no-such.csv"});
    EXPECT_EQ(missing.exitStatus, 2);
    EXPECT_EQ(missing.err,
              "elprops-cli: cannot open \"" + file.Folder() + "/no-such.csv\": No such file or directory\n");

    const CliRun folder = RunCli({command, file.Folder()});
    EXPECT_EQ(folder.exitStatus, 2);
    EXPECT_EQ(folder.err, "elprops-cli: cannot read \"" + file.Folder() + "\": Is a directory\n");

    CliStreams closed;
    closed.closeInput = true;
    const CliRun noInput = RunCli({command}, closed);
    EXPECT_EQ(noInput.exitStatus, 2);
    EXPECT_NE(noInput.err.find("elprops-cli: cannot read standard input: Bad file descriptor\n"), std::string::npos)
        << noInput.err;
  }
}

TEST(CliSweep, BothAxesTogetherAreCappedWithAdviceOnSplitting) {
  // 9999 concentrations x 24901 temperatures: refused at once. (Output to
  // nowhere, and not for long, should it run away.)
  CliStreams streams;
  streams.outputPath = "/dev/null";
  streams.timeoutSeconds = 20;
  const CliRun r =
      RunCli({"compute", "-s", "NaCl", "-c", "0.0001:0.9999:0.0001", "-t", "1:250:0.01", "-f", "csv"}, streams);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err,
            "elprops-cli: the sweep gives 9999 concentrations x 24901 temperatures = 248985099 points, more than "
            "10000000; split the job into runs of at most 401 concentrations each (or fewer temperatures) and join "
            "their outputs\n");
}

}  // namespace
}  // namespace elprops::cli
