// The drawing rules of a plot that need no painting: lines run only between
// gaps, ticks fall on round numbers and are written with the locale's
// separator, and the file format follows the name.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "report/plot_model.h"

namespace elprops::report {
namespace {

// --- Runs between gaps -----------------------------------------------------

struct RunsRow {
  const char* name;
  const char* pattern;  // '#' a point with a value, '.' a gap, '!' a value that cannot be true
  std::vector<std::pair<std::size_t, std::size_t>> runs;
};

void PrintTo(const RunsRow& row, std::ostream* os) { *os << row.name << " \"" << row.pattern << '"'; }

class Runs : public testing::TestWithParam<RunsRow> {};

TEST_P(Runs, NeverSpanAGap) {
  PlotCurve curve;
  float x = 0.0f;
  for (const char* c = GetParam().pattern; *c != '\0'; ++c) {
    PlotPoint point;
    point.x = x++;
    if (*c == '#' || *c == '!') {
      point.value = x;
      point.cannotBeTrue = *c == '!';
    } else {
      point.gap = PlotGap::ArithmeticFault;
    }
    curve.points.push_back(point);
  }
  EXPECT_EQ(ContiguousRuns(curve), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(Patterns, Runs,
                         testing::Values(RunsRow{"Empty", "", {}}, RunsRow{"AllGaps", "...", {}},
                                         RunsRow{"Whole", "####", {{0, 4}}},
                                         RunsRow{"GapInside", "##.##", {{0, 2}, {3, 5}}},
                                         RunsRow{"GapsAtBothEnds", "..###..", {{2, 5}}},
                                         RunsRow{"LonePoints", "#.#.#", {{0, 1}, {2, 3}, {4, 5}}},
                                         RunsRow{"LongGap", "#....##", {{0, 1}, {5, 7}}},
                                         RunsRow{"CannotBeTrueIsAGap", "##!##", {{0, 2}, {3, 5}}}),
                         [](const testing::TestParamInfo<RunsRow>& row) { return std::string(row.param.name); });

// --- Dashed stretches beyond the solubility ---------------------------------

struct StretchRow {
  const char* name;
  const char* pattern;  // '-' a point within the solubility, '~' one beyond it
  std::vector<std::tuple<std::size_t, std::size_t, bool>> stretches;
};

void PrintTo(const StretchRow& row, std::ostream* os) { *os << row.name << " \"" << row.pattern << '"'; }

class StretchesOfARun : public testing::TestWithParam<StretchRow> {};

TEST_P(StretchesOfARun, DashedWhereAnEndIsBeyondAndJoinedAtTheirEnds) {
  PlotCurve curve;
  for (const char* c = GetParam().pattern; *c != '\0'; ++c) {
    PlotPoint point;
    point.x = static_cast<float>(curve.points.size());
    point.value = 1.0f;
    point.beyondSolubility = *c == '~';
    curve.points.push_back(point);
  }
  std::vector<std::tuple<std::size_t, std::size_t, bool>> got;
  for (const PlotStretch& s : Stretches(curve, 0, curve.points.size())) got.emplace_back(s.begin, s.end, s.dashed);
  EXPECT_EQ(got, GetParam().stretches);
}

INSTANTIATE_TEST_SUITE_P(Patterns, StretchesOfARun,
                         testing::Values(StretchRow{"Empty", "", {}}, StretchRow{"AllWithin", "----", {{0, 4, false}}},
                                         StretchRow{"AllBeyond", "~~~", {{0, 3, true}}},
                                         StretchRow{"BeyondAtTheStart", "~~---", {{0, 3, true}, {2, 5, false}}},
                                         StretchRow{"BeyondAtTheEnd", "---~~", {{0, 3, false}, {2, 5, true}}},
                                         StretchRow{
                                             "OneBeyondInside", "--~--", {{0, 2, false}, {1, 4, true}, {3, 5, false}}},
                                         StretchRow{"LonePointBeyond", "~", {{0, 1, true}}},
                                         StretchRow{"LonePointWithin", "-", {{0, 1, false}}}),
                         [](const testing::TestParamInfo<StretchRow>& row) { return std::string(row.param.name); });

// --- Ticks -------------------------------------------------------------------

struct TicksRow {
  const char* name;
  double low, high;
  int most;
  std::vector<std::string> texts;  // with a decimal point
};

void PrintTo(const TicksRow& row, std::ostream* os) {
  *os << row.name << " [" << row.low << ", " << row.high << "] at most " << row.most;
}

class Ticks : public testing::TestWithParam<TicksRow> {};

TEST_P(Ticks, FallOnRoundNumbers) {
  const TicksRow& row = GetParam();
  const AxisTicks ticks = NiceTicks(row.low, row.high, row.most);
  std::vector<std::string> texts;
  for (const double v : ticks.values) texts.push_back(TickText(v, ticks.decimals, "."));
  EXPECT_EQ(texts, row.texts);
  EXPECT_LE(ticks.values.size(), static_cast<std::size_t>(std::max(row.most, 2)));
  for (const double v : ticks.values) {
    EXPECT_GE(v, row.low - 1e-12);
    EXPECT_LE(v, row.high + 1e-12);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, Ticks,
    testing::Values(
        TicksRow{"Hundred", 0.0, 100.0, 6, {"0", "20", "40", "60", "80", "100"}},
        TicksRow{"FromOne", 1.0, 100.0, 12, {"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}},
        TicksRow{"Viscosities", 0.0003, 0.0046, 6, {"0.001", "0.002", "0.003", "0.004"}},
        TicksRow{"QuarterSteps", 0.0, 1.0, 5, {"0.00", "0.25", "0.50", "0.75", "1.00"}},
        TicksRow{"Densities", 950.0, 1100.0, 6, {"950", "1000", "1050", "1100"}},
        TicksRow{"Concentrations", 0.3, 0.7, 5, {"0.3", "0.4", "0.5", "0.6", "0.7"}},
        TicksRow{"AcrossZero", -0.25, 0.1, 8, {"-0.25", "-0.20", "-0.15", "-0.10", "-0.05", "0.00", "0.05", "0.10"}},
        TicksRow{"OneValue", 5.0, 5.0, 6, {"5"}}),
    [](const testing::TestParamInfo<TicksRow>& row) { return std::string(row.param.name); });

TEST(TickText, UsesTheSeparatorGivenAndNeverMinusZero) {
  EXPECT_EQ(TickText(1234.5, 1, ","), "1234,5");
  EXPECT_EQ(TickText(0.001, 4, ","), "0,0010");
  EXPECT_EQ(TickText(-0.0001, 2, ","), "0,00");
  EXPECT_EQ(TickText(-0.25, 2, "."), "-0.25");
  EXPECT_EQ(TickText(4200.0, 0, ","), "4200");
}

TEST(PaddedRange, AddsAMarginOnEitherSide) {
  EXPECT_EQ(PaddedRange(0.0, 10.0), std::make_pair(-0.5, 10.5));
  EXPECT_EQ(PaddedRange(5.0, 5.0), std::make_pair(4.75, 5.25));
  EXPECT_EQ(PaddedRange(0.0, 0.0), std::make_pair(-1.0, 1.0));
}

// --- File formats ------------------------------------------------------------

struct FormatRow {
  const char* name;
  const char* path;
  std::optional<PlotFileFormat> format;
};

void PrintTo(const FormatRow& row, std::ostream* os) { *os << row.name << " \"" << row.path << '"'; }

class FileFormat : public testing::TestWithParam<FormatRow> {};

TEST_P(FileFormat, FollowsTheExtension) { EXPECT_EQ(PlotFileFormatOf(GetParam().path), GetParam().format); }

INSTANTIATE_TEST_SUITE_P(Names, FileFormat,
                         testing::Values(FormatRow{"Png", "v.png", PlotFileFormat::Png},
                                         FormatRow{"UpperCase", "V.PNG", PlotFileFormat::Png},
                                         FormatRow{"SvgInFolder", "out/plots/a.svg", PlotFileFormat::Svg},
                                         FormatRow{"MixedCasePdf", "report.Pdf", PlotFileFormat::Pdf},
                                         FormatRow{"OtherExtension", "v.gif", std::nullopt},
                                         FormatRow{"NoExtension", "plot", std::nullopt},
                                         FormatRow{"DotInFolderOnly", "plots.png/file", std::nullopt},
                                         FormatRow{"ExtensionAsPrefix", "v.pngx", std::nullopt}),
                         [](const testing::TestParamInfo<FormatRow>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace elprops::report
