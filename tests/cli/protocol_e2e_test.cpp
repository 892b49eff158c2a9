// elprops-cli protocol end to end: the program run as a child process on
// files of points. The expected protocols below are typed by hand from the
// worked rows of sodium chloride at 0.1 and 20 °C and of water at 20 °C (the
// published values of the two worked examples), not produced by the program;
// the stamp's epochs were converted to dates with GNU date.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/cli/cli_runner.h"
#include "tests/cli/text_lines.h"

namespace elprops::cli {
namespace {

using testing::CliRun;
using testing::Lines;
using testing::RunCli;
using testing::TempFile;

// SOURCE_DATE_EPOCH for the children started while it lives; unset with
// nothing.
class SourceDateEpoch {
 public:
  explicit SourceDateEpoch(const std::optional<std::string>& value) {
    if (value) {
      setenv("SOURCE_DATE_EPOCH", value->c_str(), 1);
    } else {
      unsetenv("SOURCE_DATE_EPOCH");
    }
  }
  ~SourceDateEpoch() { unsetenv("SOURCE_DATE_EPOCH"); }
  SourceDateEpoch(const SourceDateEpoch&) = delete;
  SourceDateEpoch& operator=(const SourceDateEpoch&) = delete;
};

CliRun Protocol(const std::string& points, const std::optional<std::string>& epoch,
                const std::string& locale = "C.UTF-8") {
  const SourceDateEpoch stamp(epoch);
  const TempFile file(points);
  return RunCli({"protocol", file.Path()}, "", locale);
}

constexpr const char* kHeader = "substance,concentration,temperature\n";
// 8 December 2026, 14:05:09 UTC.
constexpr const char* kWorkedMoment = "1796738709";

const std::string kRule = [] {
  std::string rule;
  for (int i = 0; i < 75; ++i) rule += "—";
  return rule;
}();

// Water recorded first, sodium chloride second: the solution table still
// comes first.
const std::string kKnownSession = std::string(kHeader) + "H2O,0,20\nNaCl,0.1,20\n";

// The protocol of kKnownSession with a decimal point (C.UTF-8: the day of
// the month without a leading zero).
std::string KnownProtocolWithPoint() {
  const std::vector<std::string> lines = {
      "8 декабря 2026г.        14:05:09",
      "",
      "          ФИЗИКО - ХИМИЧЕСКИЕ СВОЙСТВА ХЛОРИДА НАТРИЯ ",
      kRule,
      "|КОНЦЕНТ-|ТЕМПЕРАТУРА|ПЛОТНОСТЬ|ВЯЗКОСТЬ|ПОВЕРХНОСТНОЕ| ТЕПЛОЕМ-|ТЕПЛОПРО-|",
      "| РАЦИЯ  |           |         |        |  НАТЯЖЕНИЕ  |  КОСТЬ  |ВОДНОСТЬ |",
      "| КГ/КГ  |ГРАД. ЦЕЛЬС|КГ/(М**3)|  ПА*С  |      Н/М    |ДЖ/(КГ*К)| ВТ/(М*К)|",
      kRule,
      "| 0.1000 |   20.00   | 1070.6  |0.001208|   0.07965   |  3747.  |  0.587  |",
      kRule,
      "",
      "",
      "                ФИЗИКО-ХИМИЧЕСКИЕ СВОЙСТВА ВОДЫ",
      kRule,
      "|ТЕМПЕРАТУРА|ПЛОТНОСТЬ|ВЯЗКОСТЬ|ПОВЕРХНОСТНОЕ|ТЕПЛОЕМКОСТЬ|ТЕПЛОПРОВОДНОСТЬ|",
      "|           |         |        |  НАТЯЖЕНИЕ  |            |                |",
      "| ГРАД.ЦЕЛЬС|КГ/(М**3)|  ПА*С  |     Н/М     |  ДЖ/(КГ*К) |    ВТ/(М*К)    |",
      kRule,
      "|   20.00   |  998.4  |0.000998|   0.07271   |   4183.    |     0.599      |",
      kRule,
      "",
      "",
  };
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// Characters (not bytes) of a UTF-8 line.
std::size_t Characters(const std::string& line) {
  std::size_t count = 0;
  for (const char c : line) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

TEST(CliProtocol, KnownSessionAsTypedFromTheWorkedRows) {
  const CliRun r = Protocol(kKnownSession, kWorkedMoment);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, KnownProtocolWithPoint());
}

TEST(CliProtocol, RussianSettingsGiveADecimalCommaAndAZeroPaddedDay) {
  const CliRun r = Protocol(kKnownSession, kWorkedMoment, "ru_RU.UTF-8");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 22u) << r.out;
  EXPECT_EQ(lines[0], "08 декабря 2026г.        14:05:09");
  EXPECT_EQ(lines[8], "| 0,1000 |   20,00   | 1070,6  |0,001208|   0,07965   |  3747,  |  0,587  |");
  EXPECT_EQ(lines[18], "|   20,00   |  998,4  |0,000998|   0,07271   |   4183,    |     0,599      |");
}

TEST(CliProtocol, LinesEndInALineFeedAndHaveTheirWidths) {
  const CliRun r = Protocol(kKnownSession, kWorkedMoment);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  ASSERT_FALSE(r.out.empty());
  EXPECT_EQ(r.out.back(), '\n');
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 22u);
  // Solution table: head, data and rule lines of 75 characters; water table:
  // head and data lines of 76, rules of 75.
  for (const std::size_t i : {3u, 4u, 5u, 6u, 7u, 8u, 9u, 13u, 17u, 19u}) {
    EXPECT_EQ(Characters(lines[i]), 75u) << "line " << i + 1 << ": " << lines[i];
  }
  for (const std::size_t i : {14u, 15u, 16u, 18u}) {
    EXPECT_EQ(Characters(lines[i]), 76u) << "line " << i + 1 << ": " << lines[i];
  }
}

TEST(CliProtocol, PointsLeftOutGiveExitOneAndTheRestIsPrinted) {
  const std::string points = std::string(kHeader) +
                             "H2O,0,20\n"      // line 2
                             "NaCl,1.5,20\n"   // line 3: not a mass fraction
                             "XYZ,0.1,20\n"    // line 4: no such substance
                             "NaCl,0.1,abc\n"  // line 5: not a number
                             "NaCl,0.1,20\n";  // line 6
  const CliRun r = Protocol(points, kWorkedMoment);
  EXPECT_EQ(r.exitStatus, 1) << r.err;
  EXPECT_EQ(r.out, KnownProtocolWithPoint());
  const std::vector<std::string> errors = Lines(r.err);
  ASSERT_EQ(errors.size(), 3u) << r.err;
  EXPECT_NE(errors[0].find("line 3"), std::string::npos) << errors[0];
  EXPECT_NE(errors[1].find("line 4"), std::string::npos) << errors[1];
  EXPECT_NE(errors[2].find("line 5"), std::string::npos) << errors[2];
}

TEST(CliProtocol, EveryPointLeftOutPrintsNothingAndGivesExitOne) {
  const CliRun r = Protocol(std::string(kHeader) + "NaCl,2,20\n", kWorkedMoment);
  EXPECT_EQ(r.exitStatus, 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
}

TEST(CliProtocol, NoPointAtAllPrintsNothing) {
  const CliRun r = Protocol(kHeader, kWorkedMoment);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(CliProtocol, AnUnreadableFileGivesExitTwo) {
  const SourceDateEpoch stamp{std::string(kWorkedMoment)};
  const CliRun r = RunCli({"protocol", "/nonexistent/points.csv"});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("/nonexistent/points.csv"), std::string::npos) << r.err;
}

struct StampCase {
  const char* name;
  const char* epoch;
  const char* locale;
  const char* stamp;
};

void PrintTo(const StampCase& c, std::ostream* os) { *os << c.name; }

class CliProtocolStamp : public ::testing::TestWithParam<StampCase> {};

TEST_P(CliProtocolStamp, FromSourceDateEpoch) {
  const CliRun r = Protocol(std::string(kHeader) + "H2O,0,20\n", GetParam().epoch, GetParam().locale);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], GetParam().stamp);
}

// The fifth of every month of 2026 at 09:03:07 UTC, under Russian settings
// (day with a leading zero), and some edges.
INSTANTIATE_TEST_SUITE_P(
    Protocol, CliProtocolStamp,
    ::testing::Values(StampCase{"January", "1767603787", "ru_RU.UTF-8", "05 января 2026г.        09:03:07"},
                      StampCase{"February", "1770282187", "ru_RU.UTF-8", "05 февраля 2026г.        09:03:07"},
                      StampCase{"March", "1772701387", "ru_RU.UTF-8", "05 марта 2026г.        09:03:07"},
                      StampCase{"April", "1775379787", "ru_RU.UTF-8", "05 апреля 2026г.        09:03:07"},
                      StampCase{"May", "1777971787", "ru_RU.UTF-8", "05 мая 2026г.        09:03:07"},
                      StampCase{"June", "1780650187", "ru_RU.UTF-8", "05 июня 2026г.        09:03:07"},
                      StampCase{"July", "1783242187", "ru_RU.UTF-8", "05 июля 2026г.        09:03:07"},
                      StampCase{"August", "1785920587", "ru_RU.UTF-8", "05 августа 2026г.        09:03:07"},
                      StampCase{"September", "1788598987", "ru_RU.UTF-8", "05 сентября 2026г.        09:03:07"},
                      StampCase{"October", "1791190987", "ru_RU.UTF-8", "05 октября 2026г.        09:03:07"},
                      StampCase{"November", "1793869387", "ru_RU.UTF-8", "05 ноября 2026г.        09:03:07"},
                      StampCase{"December", "1796738709", "ru_RU.UTF-8", "08 декабря 2026г.        14:05:09"},
                      StampCase{"DayWithoutZeroInC", "1767603787", "C.UTF-8", "5 января 2026г.        09:03:07"},
                      StampCase{"UsClock", "1796738709", "en_US.UTF-8", "8 декабря 2026г.        2:05:09 PM"},
                      StampCase{"LastSecondOfAYear", "1798761599", "ru_RU.UTF-8", "31 декабря 2026г.        23:59:59"},
                      StampCase{"LeapDay", "951825600", "ru_RU.UTF-8", "29 февраля 2000г.        12:00:00"},
                      StampCase{"EpochZero", "0", "ru_RU.UTF-8", "01 января 1970г.        00:00:00"},
                      StampCase{"LastSecondOfYear9999", "253402300799", "ru_RU.UTF-8",
                                "31 декабря 9999г.        23:59:59"}),
    [](const auto& row) { return std::string(row.param.name); });

struct BadEpochCase {
  const char* name;
  const char* epoch;
};

void PrintTo(const BadEpochCase& c, std::ostream* os) { *os << c.name; }

class CliProtocolBadEpoch : public ::testing::TestWithParam<BadEpochCase> {};

TEST_P(CliProtocolBadEpoch, RefusedWithAMessage) {
  const CliRun r = Protocol(std::string(kHeader) + "H2O,0,20\n", std::string(GetParam().epoch));
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("SOURCE_DATE_EPOCH"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(GetParam().epoch), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Protocol, CliProtocolBadEpoch,
                         ::testing::Values(BadEpochCase{"Negative", "-1"}, BadEpochCase{"Letters", "abc"},
                                           BadEpochCase{"TrailingLetters", "1796738709x"},
                                           BadEpochCase{"Fraction", "1796738709.5"}, BadEpochCase{"Exponent", "1e9"},
                                           BadEpochCase{"LeadingBlank", " 5"}, BadEpochCase{"TrailingBlank", "5 "},
                                           BadEpochCase{"BeyondYear9999", "253402300800"},
                                           BadEpochCase{"BeyondSixtyFourBits", "99999999999999999999"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CliProtocol, AnEmptySourceDateEpochMeansTheClock) {
  const CliRun r = Protocol(std::string(kHeader) + "H2O,0,20\n", std::string());
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines[0].find("г.        "), std::string::npos) << lines[0];
}

}  // namespace
}  // namespace elprops::cli
