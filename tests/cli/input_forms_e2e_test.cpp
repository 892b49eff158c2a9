// Input as people have it, end to end: files separated by semicolons with
// decimal commas, columns in another order, repeated values and ranges. Each
// form is checked against the same points given in the plain form (commas,
// the documented column order, one range), so the expected output is the
// program's answer to an input whose reading other tests pin; a form that
// must be refused leaves standard output empty and says what to write.
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
  // The same points in the plain form; empty for a form that is refused.
  std::vector<std::string> plainArgs;
  std::string plainInput;
  const char* refusal = "";  // a part of the message of a refused form
};

void PrintTo(const InputForm& form, std::ostream* os) { *os << form.name; }

class InputForms : public ::testing::TestWithParam<InputForm> {};

TEST_P(InputForms, ReadAsThePlainFormOrRefusedBeforeAnyOutput) {
  const InputForm& form = GetParam();
  // The protocol's stamp is the same for both runs.
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  const CliRun r = RunCli(form.args, form.input);
  if (form.plainArgs.empty()) {
    EXPECT_EQ(r.exitStatus, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(form.refusal), std::string::npos) << r.err;
  } else {
    const CliRun plain = RunCli(form.plainArgs, form.plainInput);
    ASSERT_EQ(plain.exitStatus, 0) << plain.err;
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out, plain.out);
    EXPECT_EQ(r.err, "");
  }
  unsetenv("SOURCE_DATE_EPOCH");
}

const std::string kPlain = "substance,concentration,temperature\nNaCl,0.1,20\nKCl,0.25,35.5\n";

INSTANTIATE_TEST_SUITE_P(
    Inputs, InputForms,
    ::testing::Values(InputForm{"SemicolonsWithDecimalCommas",
                                {"batch"},
                                "substance;concentration;temperature\r\nNaCl;0,1;20\r\nKCl;0,25;35,5\r\n",
                                {"batch"},
                                kPlain},
                      InputForm{"SemicolonsAsJson",
                                {"batch", "--format", "json"},
                                "substance;concentration;temperature\nNaCl;0.1;20\n\"KCl\";\"0,25\";35.5\n",
                                {"batch", "--format", "json"},
                                kPlain},
                      InputForm{"DelimiterGiven",
                                {"batch", "--delimiter", ";"},
                                "substance;concentration;temperature\nNaCl;0,1;20\nKCl;0,25;35,5\n",
                                {"batch"},
                                kPlain},
                      InputForm{"ColumnsReordered",
                                {"batch"},
                                "temperature,Substance,note,concentration\n20,NaCl,x,0.1\n35.5,KCl,,0.25\n",
                                {"batch"},
                                kPlain},
                      InputForm{"UnitColumnFirst",
                                {"batch"},
                                "unit;temperature;substance;concentration\npercent;20;NaCl;10\n",
                                {"batch"},
                                "substance,concentration,temperature,unit\nNaCl,10,20,percent\n"},
                      InputForm{"ProtocolFromSemicolons",
                                {"protocol"},
                                "temperature;substance;concentration\n20;NaCl;0,1\n35,5;KCl;0,25\n",
                                {"protocol"},
                                kPlain},
                      InputForm{"RepeatedValues",
                                {"compute", "-s", "NaCl", "-c", "0.1", "-c", "0.2:0.3:0.1", "-t", "20", "-t", "40",
                                 "--format", "csv"},
                                "",
                                {"compute", "-s", "NaCl", "-c", "0.1:0.3:0.1", "-t", "20:40:20", "--format", "csv"},
                                ""},
                      InputForm{"StepBeyondSpanShowsTheOrder",
                                {"compute", "-s", "NaCl", "-c", "0.05:0.05:0.25", "-t", "20"},
                                "",
                                {},
                                "",
                                "write 0.05:0.25:0.05"},
                      InputForm{"StepBeyondAWiderSpan",
                                {"compute", "-s", "NaCl", "-c", "0.1", "-t", "20:30:20"},
                                "",
                                {},
                                "",
                                "a range is FROM:TO:STEP"},
                      InputForm{"WrongDelimiterGiven",
                                {"batch", "--delimiter", ","},
                                "substance;concentration;temperature\nNaCl;0,1;20\n",
                                {},
                                "",
                                "separated by commas"},
                      InputForm{"ColumnMissing",
                                {"batch"},
                                "substance;temperature\nNaCl;20\n",
                                {},
                                "",
                                "substance, concentration and temperature"}),
    [](const ::testing::TestParamInfo<InputForm>& form) { return std::string(form.param.name); });

}  // namespace
}  // namespace elprops::cli
