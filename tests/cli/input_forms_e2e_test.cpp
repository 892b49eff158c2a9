// Input as people have it, end to end: each form gives what the same points
// give in the plain form (commas, the documented column order, one range),
// whose reading other tests pin; a form that is refused writes nothing to
// standard output and says what to write instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "tests/cli/cli_runner.h"

namespace elprops::cli {
namespace {

using testing::CliRun;
using testing::RunCli;

struct InputForm {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  std::vector<std::string> plainArgs;  // empty: the form is refused
  std::string plainInput;
  const char* refusal = "";  // a part of the message
};

void PrintTo(const InputForm& form, std::ostream* os) { *os << form.name; }

class InputForms : public ::testing::TestWithParam<InputForm> {};

TEST_P(InputForms, ReadAsThePlainFormOrRefusedBeforeAnyOutput) {
  const InputForm& form = GetParam();
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);  // the same protocol stamp for both runs
  const CliRun r = RunCli(form.args, form.input);
  const CliRun plain = form.plainArgs.empty() ? CliRun{} : RunCli(form.plainArgs, form.plainInput);
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(r.exitStatus, form.plainArgs.empty() ? 2 : 0) << r.err;
  EXPECT_EQ(r.out, plain.out);
  EXPECT_NE(r.err.find(form.refusal), std::string::npos) << r.err;
  EXPECT_EQ(r.err.empty(), !form.plainArgs.empty()) << r.err;
  EXPECT_EQ(plain.exitStatus, form.plainArgs.empty() ? -1 : 0) << plain.err;
}

const std::string kPlain = "substance,concentration,temperature\nNaCl,0.1,20\nKCl,0.25,35.5\n";
const std::vector<std::string> kBatch = {"batch"};

INSTANTIATE_TEST_SUITE_P(
    Inputs, InputForms,
    ::testing::Values(
        InputForm{"SemicolonsWithDecimalCommas", kBatch,
                  "substance;concentration;temperature\r\nNaCl;0,1;20\r\nKCl;0,25;35,5\r\n", kBatch, kPlain},
        InputForm{"SemicolonsQuotedAsJson",
                  {"batch", "-f", "json"},
                  "substance;concentration;temperature\nNaCl;0.1;20\n\"KCl\";\"0,25\";35.5\n",
                  {"batch", "-f", "json"},
                  kPlain},
        InputForm{"ColumnsReordered", kBatch,
                  "temperature,Substance,note,concentration\n20,NaCl,x,0.1\n35.5,KCl,,0.25\n", kBatch, kPlain},
        InputForm{"UnitColumnFirst", kBatch, "unit;temperature;substance;concentration\npercent;20;NaCl;10\n", kBatch,
                  "substance,concentration,temperature,unit\nNaCl,10,20,percent\n"},
        InputForm{"ProtocolFromSemicolons",
                  {"protocol"},
                  "temperature;substance;concentration\n20;NaCl;0,1\n35,5;KCl;0,25\n",
                  {"protocol"},
                  kPlain},
        InputForm{"RepeatedValues",
                  {"compute", "-s", "NaCl", "-c", "0.1", "-c", "0.2:0.3:0.1", "-t", "20", "-t", "40", "-f", "csv"},
                  "",
                  {"compute", "-s", "NaCl", "-c", "0.1:0.3:0.1", "-t", "20:40:20", "-f", "csv"},
                  ""},
        InputForm{"StepBeyondSpan",
                  {"compute", "-s", "NaCl", "-c", "0.05:0.05:0.25", "-t", "20"},
                  "",
                  {},
                  "",
                  "write 0.05:0.25:0.05"},
        InputForm{"WrongDelimiterGiven",
                  {"batch", "--delimiter", ","},
                  "substance;concentration;temperature\nNaCl;0,1;20\n",
                  {},
                  "",
                  "separated by commas"},
        InputForm{
            "ColumnMissing", kBatch, "substance;temperature\nNaCl;20\n", {}, "", "concentration and temperature"}),
    [](const ::testing::TestParamInfo<InputForm>& form) { return std::string(form.param.name); });

}  // namespace
}  // namespace elprops::cli
