// The data behind a plot: the curves the options ask for, each point the
// model's own single for the same inputs as compute, gaps exactly where the
// input rules refuse a point, calcium chloride is above saturation or the
// computation fails, and the saturation marked where a curve crosses it.
#include <gtest/gtest.h>

#include <elprops/compute.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/input/point_input.h"
#include "cli/plot/plot_data.h"
#include "model/catalogue.h"
#include "model/correlations.h"

namespace elprops::cli {
namespace {

using report::PlotGap;

bool SameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

// The k-th value of a range as compute documents it: FROM + k*STEP written
// with 15 significant digits and read back, then rounded to a single.
float RangeValue(double from, double step, int k) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", from + static_cast<double>(k) * step);
  return static_cast<float>(std::strtod(text, nullptr));
}

float Property(const model::PropertySet& set, PlotProperty property) {
  switch (property) {
    case PlotProperty::density:
      return set.Density;
    case PlotProperty::viscosity:
      return set.Viscosity;
    case PlotProperty::surface_tension:
      return set.SurfaceTension;
    case PlotProperty::heat_capacity:
      return set.HeatCapacity;
    case PlotProperty::thermal_conductivity:
      return set.ThermalConductivity;
    default:
      break;
  }
  return NAN;
}

// What a point should be, worked out here from the rules: the window's
// input limits, the saturation of calcium chloride, then the model.
struct Expected {
  PlotGap gap = PlotGap::None;
  model::PropertySet properties;
};

Expected ExpectedPoint(const model::SubstanceTables& tables, std::uint8_t substance, float x, float t) {
  const bool water = substance == model::kWater;
  const float limit = water ? 200.0f : 270.0f;
  const bool admissible = (water ? x == 0.0f : (x > 0.0f && x < 1.0f)) && t > 1e-20f && t < limit;
  if (!admissible) return {PlotGap::Inadmissible, {}};
  if (substance == model::kCalciumChloride &&
      static_cast<float>(0.52551 * std::exp(0.00156214 * static_cast<double>(t))) < x) {
    return {PlotGap::AboveSaturation, {}};
  }
  Expected e;
  float concentration = x;
  float temperatureLimit = 0.0f;
  if (!model::ComputeProperties(tables, substance, concentration, t, temperatureLimit, e.properties).ok()) {
    e.gap = PlotGap::ArithmeticFault;
  }
  return e;
}

// --- The points against the model and against compute ----------------------

struct DataRow {
  const char* name;
  PlotOptions options;
  // The horizontal values as FROM, STEP and count, and per curve the
  // substance and its fixed value, all worked out by hand.
  double from, step;
  int count;
  bool alongTemperature;
  std::vector<std::pair<std::uint8_t, float>> curves;
  // How many gaps of each kind the row must contain, so that each kind is
  // really exercised; the model alone says how many computations fail, so
  // for those only whether there are any.
  std::size_t inadmissible, aboveSaturation;
  bool failures;
};

void PrintTo(const DataRow& row, std::ostream* os) { *os << row.name; }

class PlotPoints : public testing::TestWithParam<DataRow> {
 protected:
  model::SubstanceTables tables_ = model::MakeSubstanceTables();
};

TEST_P(PlotPoints, AreTheModelsSinglesWithGapsWhereComputeFails) {
  const DataRow& row = GetParam();
  std::string error;
  const std::optional<PlotRequest> request = MakePlotRequest(row.options, error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
  const report::PlotFigure& figure = data.figure;
  ASSERT_EQ(figure.panels.size(), request->properties.size());
  std::size_t inadmissible = 0;
  std::size_t above = 0;
  std::size_t failed = 0;
  for (std::size_t p = 0; p < figure.panels.size(); ++p) {
    const report::PlotPanel& panel = figure.panels[p];
    ASSERT_EQ(panel.curves.size(), row.curves.size()) << "one curve per value asked";
    for (std::size_t c = 0; c < row.curves.size(); ++c) {
      const auto [substance, fixed] = row.curves[c];
      const std::vector<report::PlotPoint>& points = panel.curves[c].points;
      ASSERT_EQ(points.size(), static_cast<std::size_t>(row.count));
      for (int k = 0; k < row.count; ++k) {
        const float axis = RangeValue(row.from, row.step, k);
        const float x = row.alongTemperature ? fixed : axis;
        const float t = row.alongTemperature ? axis : fixed;
        SCOPED_TRACE(testing::Message() << "panel " << p << ", curve " << c << ", x = " << x << ", t = " << t);
        const report::PlotPoint& point = points[static_cast<std::size_t>(k)];
        EXPECT_TRUE(SameBits(point.x, axis)) << point.x << " != " << axis;
        const Expected expected = ExpectedPoint(tables_, substance, x, t);
        EXPECT_EQ(point.gap, expected.gap);
        EXPECT_EQ(point.value.has_value(), expected.gap == PlotGap::None);

        // The same point through the library's compute, one point at a time.
        const elprops::result computed = elprops::compute(substance_id{substance}, x, t);
        if (expected.gap == PlotGap::None) {
          ASSERT_TRUE(point.value.has_value());
          const float want = Property(expected.properties, request->properties[p]);
          EXPECT_TRUE(SameBits(*point.value, want)) << *point.value << " != " << want;
          ASSERT_TRUE(computed) << computed.error().message;
          EXPECT_TRUE(SameBits(*point.value, property_value(*computed, *base_property(request->properties[p]))));
        } else if (expected.gap != PlotGap::AboveSaturation) {
          EXPECT_FALSE(computed) << "compute fails where the plot has a gap";
        }
        if (p == 0) {
          inadmissible += point.gap == PlotGap::Inadmissible;
          above += point.gap == PlotGap::AboveSaturation;
          failed += point.gap == PlotGap::ArithmeticFault;
        }
      }
    }
  }
  EXPECT_EQ(inadmissible, row.inadmissible);
  EXPECT_EQ(above, row.aboveSaturation);
  EXPECT_EQ(failed > 0, row.failures);
  EXPECT_EQ(data.inadmissible, row.inadmissible);
  EXPECT_EQ(data.aboveSaturation, row.aboveSaturation);
  EXPECT_EQ(data.failed, failed);
  EXPECT_EQ(data.points, row.curves.size() * static_cast<std::size_t>(row.count));
  EXPECT_EQ(figure.notes.empty(), inadmissible + above + failed == 0);
}

PlotOptions Options(std::vector<std::string> substances, std::string property, std::vector<std::string> t,
                    std::vector<std::string> c, std::string axis = "", std::string unit = "") {
  PlotOptions options;
  options.substances = std::move(substances);
  options.property = std::move(property);
  options.temperatures = std::move(t);
  options.concentrations = std::move(c);
  options.axis = std::move(axis);
  options.unit = std::move(unit);
  return options;
}

// Saturation counts: calcium chloride at 0.55 is above saturation below
// 29.16 degrees (1 to 29), at 0.6 below 84.86 degrees (1 to 84); at 20
// degrees above 0.5421876 (0.55 to 0.70), at 60 above 0.57715 (0.58 to
// 0.70).
INSTANTIATE_TEST_SUITE_P(Requests, PlotPoints,
                         testing::Values(DataRow{"CalciumChlorideViscosityThreeConcentrations",
                                                 Options({"CaCl2"}, "viscosity", {"1:100:1"}, {"0.1", "0.2", "0.3"}),
                                                 1.0,
                                                 1.0,
                                                 100,
                                                 true,
                                                 {{11, 0.1f}, {11, 0.2f}, {11, 0.3f}},
                                                 0,
                                                 0,
                                                 false},
                                         DataRow{"CalciumChlorideAcrossSaturation",
                                                 Options({"CaCl2"}, "all", {"1:100:1"}, {"0.5", "0,55", "0.6"}),
                                                 1.0,
                                                 1.0,
                                                 100,
                                                 true,
                                                 {{11, 0.5f}, {11, 0.55f}, {11, 0.6f}},
                                                 0,
                                                 29 + 84,
                                                 false},
                                         DataRow{"CalciumChlorideAlongConcentration",
                                                 Options({"11"}, "density", {"20", "60"}, {"0,3:0,7:0,01"}),
                                                 0.3,
                                                 0.01,
                                                 41,
                                                 false,
                                                 {{11, 20.0f}, {11, 60.0f}},
                                                 0,
                                                 16 + 13,
                                                 false},
                                         DataRow{"PotassiumCarbonateFaultsNearOne",
                                                 Options({"K2CO3"}, "surface_tension", {"20"}, {"0.9:0.999:0.001"}),
                                                 0.9,
                                                 0.001,
                                                 100,
                                                 false,
                                                 {{8, 20.0f}},
                                                 0,
                                                 0,
                                                 true},
                                         DataRow{"SodiumChlorideBeyondTheLimits",
                                                 Options({"NaCl"}, "density", {"0:300:10"}, {"0.1", "1.5"}),
                                                 0.0,
                                                 10.0,
                                                 31,
                                                 true,
                                                 {{17, 0.1f}, {17, 1.5f}},
                                                 5 + 31,  // 0 and 270 to 300 degrees; 1.5 everywhere
                                                 0,
                                                 false},
                                         DataRow{"SeveralSubstancesAndWater",
                                                 Options({"NaCl", "KCl", "H2O", "CaCl2"}, "all", {"1:199:2"}, {"0.1"}),
                                                 1.0,
                                                 2.0,
                                                 100,
                                                 true,
                                                 {{17, 0.1f}, {10, 0.1f}, {19, 0.0f}, {11, 0.1f}},
                                                 0,
                                                 0,
                                                 false},
                                         DataRow{"WaterAlone",
                                                 Options({"H2O"}, "heat_capacity", {"1:250:1"}, {}),
                                                 1.0,
                                                 1.0,
                                                 250,
                                                 true,
                                                 {{19, 0.0f}},
                                                 51,
                                                 0,
                                                 false}),
                         [](const testing::TestParamInfo<DataRow>& row) { return std::string(row.param.name); });

// The arithmetic faults of potassium carbonate near a concentration of 1
// make gaps too; the count is whatever the model says, but there are some
// and the rest are values.
TEST(PlotFaults, ArithmeticFaultsAreGaps) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  std::string error;
  const auto request = MakePlotRequest(Options({"K2CO3"}, "density", {"1:100:1"}, {"0.99"}), error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
  EXPECT_GT(data.failed, 0u);
  EXPECT_FALSE(data.firstFault.empty());
  for (const report::PlotPoint& point : data.figure.panels[0].curves[0].points) {
    const Expected e = ExpectedPoint(tables, 8, 0.99f, point.x);
    EXPECT_EQ(point.gap, e.gap) << "t = " << point.x;
  }
}

// --- The saturation boundary ---------------------------------------------------

TEST(SaturationBoundary, MarkedWhereATemperatureCurveBegins) {
  std::string error;
  const auto request = MakePlotRequest(Options({"CaCl2"}, "density", {"1:100:1"}, {"0.3", "0,55"}), error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::Russian, ",");
  ASSERT_EQ(data.figure.boundaries.size(), 1u) << "only the curve that crosses";
  const report::PlotBoundary& boundary = data.figure.boundaries[0];
  EXPECT_EQ(boundary.curve, 1u);
  // 0.52551 * exp(0.00156214 * T) = 0.55 at T = ln(0.55 / 0.52551) / 0.00156214.
  EXPECT_NEAR(boundary.x, std::log(static_cast<double>(0.55f) / 0.52551) / 0.00156214, 1e-9);
  EXPECT_EQ(boundary.label, "предел ввода при w = 0,55");
  // The gap ends at the boundary: above it below, values beyond.
  const std::vector<report::PlotPoint>& points = data.figure.panels[0].curves[1].points;
  for (const report::PlotPoint& point : points) {
    EXPECT_EQ(point.value.has_value(), static_cast<double>(point.x) > boundary.x) << point.x;
  }
  ASSERT_EQ(data.figure.notes.size(), 2u);
  EXPECT_EQ(data.figure.notes[0],
            "Пропущено точек: 29 из 200 (выше предела ввода хлорида кальция (как в окне программы): 29)");
  // The literature solubility is 0.5000 at 30 °C and 0.5614 at 40 °C: 0.55
  // is beyond it from 30 to 38.14 °C, the points 30 to 38.
  EXPECT_EQ(data.figure.notes[1], "Выше растворимости по литературе (короткие штрихи): 9 из 200 точек");
}

TEST(SaturationBoundary, MarkedWhereAConcentrationCurveEnds) {
  std::string error;
  const auto request = MakePlotRequest(Options({"CaCl2"}, "viscosity", {"20"}, {"0.3:0.7:0.01"}), error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
  // The window's saturation, and the literature solubility (0.4269 at 20 °C,
  // an uncertain row) well below it.
  ASSERT_EQ(data.figure.boundaries.size(), 2u);
  EXPECT_EQ(data.figure.boundaries[0].kind, report::PlotBoundaryKind::Saturation);
  EXPECT_EQ(data.figure.boundaries[0].x, static_cast<double>(0.5421876f));
  EXPECT_EQ(data.figure.boundaries[0].label, "input limit at t = 20 °C");
  EXPECT_EQ(data.figure.boundaries[1].kind, report::PlotBoundaryKind::Solubility);
  EXPECT_NEAR(data.figure.boundaries[1].x, 0.4269, 1e-9);
  EXPECT_EQ(data.figure.boundaries[1].label, "solubility (lit., uncertain) at t = 20 °C");
}

// Along a temperature axis in another unit, the curve crosses the
// saturation between the last point below and the first above it, where
// the straight line through their excesses over it is 0.
TEST(SaturationBoundary, CrossingInAnotherUnitIsInterpolatedBetweenTheSides) {
  const std::tuple<const char*, double, double, double> rows[] = {
      {"molality", 11.0, 1.0, 1.0}, {"molality", 11.0, 0.5, 0.75}, {"percent", 55.5, 1.0, 1.0}};
  for (const auto& [unit, value, from, step] : rows) {
    std::string error;
    const std::string range = std::to_string(from) + ":99.5:" + std::to_string(step);
    const auto request =
        MakePlotRequest(Options({"CaCl2"}, "density", {range}, {std::to_string(value)}, "", unit), error);
    ASSERT_TRUE(request) << error;
    const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
    ASSERT_EQ(data.figure.boundaries.size(), 1u);
    const double w =
        to_mass_fraction(find_substance("CaCl2")->id(), *parse_concentration_unit(unit), value, 20.0f)->mass_fraction;
    const auto excess = [w](float t) {
      return w - static_cast<double>(static_cast<float>(0.52551 * std::exp(0.00156214 * static_cast<double>(t))));
    };
    int k = 1;
    while ((excess(RangeValue(from, step, k - 1)) > 0.0) == (excess(RangeValue(from, step, k)) > 0.0)) ++k;
    const double a = RangeValue(from, step, k - 1), b = RangeValue(from, step, k);
    const double expected =
        a + excess(static_cast<float>(a)) / (excess(static_cast<float>(a)) - excess(static_cast<float>(b))) * (b - a);
    EXPECT_NEAR(data.figure.boundaries[0].x, expected, 1e-9) << unit << " " << value << " " << range;
  }
}

TEST(SaturationBoundary, NotDrawnWhenNoCurveCrossesIt) {
  std::string error;
  // Below saturation everywhere, and above it everywhere.
  for (const char* x : {"0.3", "0.7"}) {
    const auto request = MakePlotRequest(Options({"CaCl2"}, "density", {"1:100:1"}, {x}), error);
    ASSERT_TRUE(request) << error;
    EXPECT_TRUE(MakePlotData(*request, PlotLanguage::English, ".").figure.boundaries.empty()) << x;
  }
}

// --- The solubility ----------------------------------------------------------

// The solubility of sodium chloride as tabulated (mass fraction, every 10 °C
// from 0 to 100 °C, with 15, 25 and 35 °C between).
double NaClSolubility(double t) {
  static const std::pair<double, double> kRows[] = {
      {0, 0.2628},  {10, 0.2632}, {15, 0.2635}, {20, 0.2641}, {25, 0.2645}, {30, 0.2652}, {35, 0.2659},
      {40, 0.2667}, {50, 0.2684}, {60, 0.2703}, {70, 0.2725}, {80, 0.2750}, {90, 0.2778}, {100, 0.2805}};
  for (std::size_t i = 0; i + 1 < std::size(kRows); ++i) {
    const auto [t0, w0] = kRows[i];
    const auto [t1, w1] = kRows[i + 1];
    if (t >= t0 && t <= t1) return w0 + (w1 - w0) * (t - t0) / (t1 - t0);
  }
  return NAN;
}

struct BeyondRow {
  const char* name;
  const char* concentration;
  const char* temperatures;
  // The temperatures (whole degrees) whose points are beyond, worked out by
  // hand from the table and checked against NaClSolubility point by point.
  int beyondFrom, beyondTo;  // inclusive; beyondTo < beyondFrom for none
};

void PrintTo(const BeyondRow& row, std::ostream* os) { *os << row.name; }

class SolubilityDashes : public testing::TestWithParam<BeyondRow> {};

TEST_P(SolubilityDashes, WhereTheConcentrationExceedsTheTabulatedLimit) {
  const BeyondRow& row = GetParam();
  std::string error;
  const auto request = MakePlotRequest(Options({"NaCl"}, "density", {row.temperatures}, {row.concentration}), error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
  const float w = std::strtof(row.concentration, nullptr);
  std::size_t beyond = 0;
  for (const report::PlotPoint& point : data.figure.panels[0].curves[0].points) {
    ASSERT_TRUE(point.value.has_value()) << "beyond the solubility is computed, not a gap: t = " << point.x;
    const double t = static_cast<double>(point.x);
    const bool expected = t >= row.beyondFrom && t <= row.beyondTo;
    EXPECT_EQ(point.beyondSolubility, expected) << "t = " << point.x;
    if (t <= 100.0) {
      EXPECT_EQ(expected, static_cast<double>(w) > NaClSolubility(t)) << "the hand-worked range, t = " << t;
    }
    beyond += point.beyondSolubility ? 1u : 0u;
  }
  EXPECT_EQ(data.beyondSolubility, beyond);
  EXPECT_EQ(data.LeftOut(), 0u) << "a point beyond the solubility is not left out";
}

// 0.27 against the table: 0.2703 at 60 °C, 0.2684 at 50 °C, so the limit is
// 0.27 at 50 + 10·(0.27 − 0.2684)/(0.2703 − 0.2684) = 58.42 °C; points at
// 1 to 58 °C are beyond. Above 100 °C there is no data: solid.
INSTANTIATE_TEST_SUITE_P(SodiumChloride, SolubilityDashes,
                         testing::Values(BeyondRow{"AtThirtyPercentEverywhereBeyond", "0.30", "1:100:1", 1, 100},
                                         BeyondRow{"AtTwentySevenBelowFiftyEightDegrees", "0.27", "1:100:1", 1, 58},
                                         BeyondRow{"AtTwentyWithin", "0.2", "5:100:5", 1, 0},
                                         BeyondRow{"NoDataAboveAHundredDegrees", "0.30", "90:140:10", 90, 100}),
                         [](const testing::TestParamInfo<BeyondRow>& row) { return std::string(row.param.name); });

TEST(SolubilityLine, MarkedOnAConcentrationAxisAtTheTabulatedLimit) {
  std::string error;
  const auto request = MakePlotRequest(Options({"NaCl"}, "density", {"20"}, {"0.2:0.35:0.01"}), error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::Russian, ",");
  ASSERT_EQ(data.figure.boundaries.size(), 1u);
  const report::PlotBoundary& line = data.figure.boundaries[0];
  EXPECT_EQ(line.kind, report::PlotBoundaryKind::Solubility);
  EXPECT_NEAR(line.x, 0.2641, 1e-9);
  EXPECT_EQ(line.label, "растворимость (лит.) при t = 20 °C");
  for (const report::PlotPoint& point : data.figure.panels[0].curves[0].points) {
    EXPECT_EQ(point.beyondSolubility, static_cast<double>(point.x) > 0.2641) << point.x;
  }
  ASSERT_EQ(data.figure.notes.size(), 1u);
  // 0.27 to 0.35: nine points of sixteen.
  EXPECT_EQ(data.figure.notes[0], "Выше растворимости по литературе (короткие штрихи): 9 из 16 точек");
}

TEST(SolubilityLine, NotMarkedOutsideThePlotNorWithoutData) {
  std::string error;
  // Below the limit all along; at 150 °C there is no table.
  for (const auto& [t, c] : {std::pair{"20", "0.05:0.25:0.05"}, std::pair{"150", "0.2:0.35:0.05"}}) {
    const auto request = MakePlotRequest(Options({"NaCl"}, "density", {t}, {c}), error);
    ASSERT_TRUE(request) << error;
    const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
    EXPECT_TRUE(data.figure.boundaries.empty()) << t;
    EXPECT_EQ(data.beyondSolubility, 0u) << t;
  }
}

// Ammonium bicarbonate decomposes above about 36 °C: its solubility there
// is only a note, never a dashed curve.
TEST(SolubilityLine, IllDefinedIsNeitherDashedNorMarked) {
  std::string error;
  // 0.35 is above the 50 °C row (0.3420), which is ill-defined.
  const auto request = MakePlotRequest(Options({"NH4HCO3"}, "density", {"50"}, {"0.30:0.40:0.05"}), error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
  EXPECT_TRUE(data.figure.boundaries.empty());
  EXPECT_EQ(data.beyondSolubility, 0u);
}

// --- Units ---------------------------------------------------------------------

const auto kSodiumChloride = static_cast<std::uint8_t>(elprops::find_substance("NaCl")->index);

// The x-values stay in the unit given; each point is the model's single at
// the mass fraction the unit stands for, worked out here by hand.
TEST(PlotUnits, MolalityCurveIsTheModelAtTheHandWorkedMassFraction) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  std::string error;
  const auto request = MakePlotRequest(Options({"NaCl"}, "density", {"20"}, {"0.5:3:0.5"}, "", "molality"), error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
  EXPECT_EQ(data.figure.xAxisLabel, "Concentration m, mol/kg");
  const std::vector<report::PlotPoint>& points = data.figure.panels[0].curves[0].points;
  ASSERT_EQ(points.size(), 6u);
  for (const report::PlotPoint& point : points) {
    // NaCl 58.44 g/mol: w = m·58.44 / (1000 + m·58.44).
    const double m = static_cast<double>(point.x);
    const float w = static_cast<float>(m * 58.44 / (1000.0 + m * 58.44));
    const Expected e = ExpectedPoint(tables, kSodiumChloride, w, 20.0f);
    ASSERT_TRUE(point.value.has_value()) << m;
    EXPECT_NEAR(*point.value, e.properties.Density, 0.05f) << "m = " << m;
  }
  // 1 mol/kg: w = 58.44/1058.44 = 0.055214.
  EXPECT_FLOAT_EQ(points[1].x, 1.0f);
}

TEST(PlotUnits, LegendAndTitleInTheUnit) {
  std::string error;
  const auto request = MakePlotRequest(Options({"NaCl"}, "density", {"1:100:1"}, {"1", "2,5"}, "", "molality"), error);
  ASSERT_TRUE(request) << error;
  const PlotData ru = MakePlotData(*request, PlotLanguage::Russian, ",");
  EXPECT_EQ(ru.figure.panels[0].curves[0].label, "m = 1 моль/кг");
  EXPECT_EQ(ru.figure.panels[0].curves[1].label, "m = 2,5 моль/кг");
  const PlotData en = MakePlotData(*request, PlotLanguage::English, ".");
  EXPECT_EQ(en.figure.panels[0].curves[0].label, "m = 1 mol/kg");
  const auto molar = MakePlotRequest(Options({"NaCl"}, "density", {"20"}, {"0.5:4:0.5"}, "", "molarity"), error);
  ASSERT_TRUE(molar) << error;
  EXPECT_EQ(MakePlotData(*molar, PlotLanguage::Russian, ",").figure.xAxisLabel, "Концентрация c, моль/л");
  const auto percent = MakePlotRequest(Options({"NaCl", "KCl"}, "density", {"1:50:1"}, {"10"}, "", "%"), error);
  ASSERT_TRUE(percent) << error;
  EXPECT_EQ(MakePlotData(*percent, PlotLanguage::English, ".").figure.title, "Solutions at w = 10 %");
}

// A molarity curve: each point's mass fraction gives back its molarity with
// the model's own density (c = w·ρ / M), to the single's resolution.
TEST(PlotUnits, MolarityRoundTripsThroughTheModelsDensity) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  std::string error;
  const auto request = MakePlotRequest(Options({"NaCl"}, "density", {"20"}, {"0.5:5:0.5"}, "", "molarity"), error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
  for (const report::PlotPoint& point : data.figure.panels[0].curves[0].points) {
    ASSERT_TRUE(point.value.has_value()) << point.x;
    // ρ·w/M = c, so w = c·M/ρ with the density the point shows.
    const double w = static_cast<double>(point.x) * 58.44 / static_cast<double>(*point.value);
    const Expected e = ExpectedPoint(tables, kSodiumChloride, static_cast<float>(w), 20.0f);
    EXPECT_NEAR(*point.value, e.properties.Density, 0.05f) << "c = " << point.x;
  }
}

TEST(PlotUnits, UnreachableConcentrationsAreGapsCounted) {
  std::string error;
  // 1000 mol/L of sodium chloride: no admissible mass fraction reaches it.
  const auto request = MakePlotRequest(Options({"NaCl"}, "density", {"1:10:1"}, {"1000"}, "", "molarity"), error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
  EXPECT_EQ(data.unconvertible, 10u);
  EXPECT_EQ(data.LeftOut(), 10u);
  for (const report::PlotPoint& point : data.figure.panels[0].curves[0].points) {
    EXPECT_EQ(point.gap, PlotGap::Unconvertible);
  }
  ASSERT_FALSE(data.figure.notes.empty());
  EXPECT_EQ(data.figure.notes[0], "Points left out: 10 of 10 (no mass fraction for the concentration: 10)");
}

TEST(PlotUnits, UnknownUnitIsRefused) {
  std::string error;
  EXPECT_FALSE(MakePlotRequest(Options({"NaCl"}, "density", {"1:10:1"}, {"1"}, "", "ppm"), error));
  EXPECT_EQ(error, "--unit \"ppm\": give fraction, percent, molality, molarity or g/L");
}

// --- Texts -------------------------------------------------------------------------

TEST(PlotTexts, LabelsInTheLanguageWithTheLocaleSeparator) {
  std::string error;
  const auto request = MakePlotRequest(Options({"CaCl2"}, "all", {"1:100:1"}, {"0.1", "0.25"}), error);
  ASSERT_TRUE(request) << error;
  const PlotData ru = MakePlotData(*request, PlotLanguage::Russian, ",");
  EXPECT_EQ(ru.figure.title, "Хлорид кальция CaCl₂");
  EXPECT_EQ(ru.figure.xAxisLabel, "Температура, °C");
  EXPECT_EQ(ru.figure.decimalSeparator, ",");
  const std::vector<std::string> ruAxes{"Плотность, кг/м³", "Вязкость, Па·с", "Поверхностное натяжение, Н/м",
                                        "Теплоёмкость, Дж/(кг·К)", "Теплопроводность, Вт/(м·К)"};
  ASSERT_EQ(ru.figure.panels.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(ru.figure.panels[i].axisLabel, ruAxes[i]);
  EXPECT_EQ(ru.figure.panels[0].curves[0].label, "w = 0,1");
  EXPECT_EQ(ru.figure.panels[0].curves[1].label, "w = 0,25");

  const PlotData en = MakePlotData(*request, PlotLanguage::English, ".");
  EXPECT_EQ(en.figure.title, "Calcium chloride CaCl₂");
  EXPECT_EQ(en.figure.xAxisLabel, "Temperature, °C");
  const std::vector<std::string> enAxes{"Density, kg/m³", "Viscosity, Pa·s", "Surface tension, N/m",
                                        "Heat capacity, J/(kg·K)", "Thermal conductivity, W/(m·K)"};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(en.figure.panels[i].axisLabel, enAxes[i]);
  EXPECT_EQ(en.figure.panels[0].curves[1].label, "w = 0.25");
  EXPECT_TRUE(en.figure.notes.empty());
}

TEST(PlotTexts, TemperatureCurvesAndSubstanceCurves) {
  std::string error;
  auto request = MakePlotRequest(Options({"NaCl"}, "density", {"20", "37,5"}, {"0.01:0.2:0.01"}), error);
  ASSERT_TRUE(request) << error;
  PlotData data = MakePlotData(*request, PlotLanguage::Russian, ",");
  EXPECT_EQ(data.figure.xAxisLabel, "Массовая доля w, кг/кг");
  EXPECT_EQ(data.figure.panels[0].curves[0].label, "t = 20 °C");
  EXPECT_EQ(data.figure.panels[0].curves[1].label, "t = 37,5 °C");

  request = MakePlotRequest(Options({"NaCl", "KCl"}, "density", {"1:100:1"}, {"0,1"}), error);
  ASSERT_TRUE(request) << error;
  data = MakePlotData(*request, PlotLanguage::English, ".");
  EXPECT_EQ(data.figure.title, "Solutions at w = 0.1");
  EXPECT_EQ(data.figure.panels[0].curves[0].label, "Sodium chloride NaCl");
  EXPECT_EQ(data.figure.panels[0].curves[1].label, "Potassium chloride KCl");
}

struct NameRow {
  const char* name;
  std::uint8_t substance;
  const char* russian;
  const char* english;
};

void PrintTo(const NameRow& row, std::ostream* os) { *os << row.name; }

class SubstanceNames : public testing::TestWithParam<NameRow> {};

TEST_P(SubstanceNames, NameAndFormulaWithSubscripts) {
  EXPECT_EQ(SubstanceTitle(substance_id{GetParam().substance}, PlotLanguage::Russian), GetParam().russian);
  EXPECT_EQ(SubstanceTitle(substance_id{GetParam().substance}, PlotLanguage::English), GetParam().english);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, SubstanceNames,
    testing::Values(NameRow{"AmmoniumBicarbonate", 1, "Бикарбонат аммония NH₄HCO₃", "Ammonium bicarbonate NH₄HCO₃"},
                    NameRow{"AmmoniumSulfate", 2, "Сульфат аммония (NH₄)₂SO₄", "Ammonium sulfate (NH₄)₂SO₄"},
                    NameRow{"AmmoniumChloride", 3, "Хлорид аммония NH₄Cl", "Ammonium chloride NH₄Cl"},
                    NameRow{"BariumNitrate", 4, "Нитрат бария Ba(NO₃)₂", "Barium nitrate Ba(NO₃)₂"},
                    NameRow{"BariumSulfide", 5, "Сульфид бария BaS", "Barium sulfide BaS"},
                    NameRow{"BariumChloride", 6, "Хлорид бария BaCl₂", "Barium chloride BaCl₂"},
                    NameRow{"PotassiumHydroxide", 7, "Гидроксид калия KOH", "Potassium hydroxide KOH"},
                    NameRow{"PotassiumCarbonate", 8, "Карбонат калия K₂CO₃", "Potassium carbonate K₂CO₃"},
                    NameRow{"PotassiumSulfate", 9, "Сульфат калия K₂SO₄", "Potassium sulfate K₂SO₄"},
                    NameRow{"PotassiumChloride", 10, "Хлорид калия KCl", "Potassium chloride KCl"},
                    NameRow{"CalciumChloride", 11, "Хлорид кальция CaCl₂", "Calcium chloride CaCl₂"},
                    NameRow{"MagnesiumChloride", 12, "Хлорид магния MgCl₂", "Magnesium chloride MgCl₂"},
                    NameRow{"SodiumBicarbonate", 13, "Бикарбонат натрия NaHCO₃", "Sodium bicarbonate NaHCO₃"},
                    NameRow{"SodiumHydroxide", 14, "Гидроксид натрия NaOH", "Sodium hydroxide NaOH"},
                    NameRow{"SodiumCarbonate", 15, "Карбонат натрия Na₂CO₃", "Sodium carbonate Na₂CO₃"},
                    NameRow{"SodiumSulfate", 16, "Сульфат натрия Na₂SO₄", "Sodium sulfate Na₂SO₄"},
                    NameRow{"SodiumChloride", 17, "Хлорид натрия NaCl", "Sodium chloride NaCl"},
                    NameRow{"IronChloride", 18, "Хлорид железа FeCl₃", "Iron chloride FeCl₃"},
                    NameRow{"Water", 19, "Вода H₂O", "Water H₂O"}),
    [](const testing::TestParamInfo<NameRow>& row) { return std::string(row.param.name); });

// --- What the options ask for ------------------------------------------------------

struct RequestRow {
  const char* name;
  PlotOptions options;
  const char* error;  // a part of the message; nullptr when the request is good
  PlotAxis axis;
  std::size_t curves;
  std::size_t points;
  std::size_t panels;
};

void PrintTo(const RequestRow& row, std::ostream* os) { *os << row.name; }

class Requests : public testing::TestWithParam<RequestRow> {};

TEST_P(Requests, AxisCurvesOrTheReason) {
  const RequestRow& row = GetParam();
  std::string error;
  const std::optional<PlotRequest> request = MakePlotRequest(row.options, error);
  if (row.error != nullptr) {
    EXPECT_FALSE(request);
    EXPECT_NE(error.find(row.error), std::string::npos) << error;
    return;
  }
  ASSERT_TRUE(request) << error;
  EXPECT_EQ(request->axis, row.axis);
  EXPECT_EQ(request->curves.size(), row.curves);
  EXPECT_EQ(request->xs.size(), row.points);
  EXPECT_EQ(request->properties.size(), row.panels);
}

constexpr auto T = PlotAxis::Temperature;
constexpr auto C = PlotAxis::Concentration;

INSTANTIATE_TEST_SUITE_P(
    Options, Requests,
    testing::Values(
        RequestRow{"TemperatureRange", Options({"CaCl2"}, "viscosity", {"1:100:1"}, {"0.1", "0.2", "0.3"}), nullptr, T,
                   3, 100, 1},
        RequestRow{"ConcentrationRangeWithComma", Options({"NaCl"}, "all", {"20"}, {"0,05:0,25:0,05"}), nullptr, C, 1,
                   5, 5},
        RequestRow{"SeveralValuesInOneOption", Options({"NaCl"}, "density", {"1:100:1"}, {"0.1", "0.2"}), nullptr, T, 2,
                   100, 1},
        RequestRow{"BothRangesChosenByX", Options({"NaCl"}, "density", {"1:100:1"}, {"0.1:0.3:0.1"}, "temperature"),
                   nullptr, T, 3, 100, 1},
        RequestRow{"BothRangesOtherWay", Options({"NaCl"}, "density", {"20:80:20"}, {"0.1:0.3:0.01"}, "concentration"),
                   nullptr, C, 4, 21, 1},
        RequestRow{"OneSubstanceEach", Options({"NaCl", "KCl", "17"}, "density", {"1:100:1"}, {"0.1"}), nullptr, T, 3,
                   100, 1},
        RequestRow{"SubstanceByItsName", Options({"sodium chloride", "НАТРИЯ ХЛОРИД"}, "density", {"1:100:1"}, {"0.1"}),
                   nullptr, T, 2, 100, 1},
        RequestRow{"WaterWithoutConcentration", Options({"H2O"}, "density", {"1:100:1"}, {}), nullptr, T, 1, 100, 1},
        RequestRow{"UnknownProperty", Options({"NaCl"}, "pressure", {"1:100:1"}, {"0.1"}), "unknown property", T, 0, 0,
                   0},
        RequestRow{"UnknownSubstance", Options({"Salt"}, "density", {"1:100:1"}, {"0.1"}),
                   "unknown substance \"Salt\": give its index 1 to 19, its formula (NaCl) or its name", T, 0, 0, 0},
        RequestRow{"NoRange", Options({"NaCl"}, "density", {"20"}, {"0.1"}), "no range", T, 0, 0, 0},
        RequestRow{"RangeOfOneValue", Options({"NaCl"}, "density", {"20:20:1"}, {"0.1"}), "no range", T, 0, 0, 0},
        RequestRow{"BothRanges", Options({"NaCl"}, "density", {"1:100:1"}, {"0.1:0.3:0.1"}), "--x", T, 0, 0, 0},
        RequestRow{"XOnAValue", Options({"NaCl"}, "density", {"1:100:1"}, {"0.1"}, "concentration"),
                   "--concentration given once, as a range", T, 0, 0, 0},
        RequestRow{"UnknownAxis", Options({"NaCl"}, "density", {"1:100:1"}, {"0.1"}, "pressure"), "--x \"pressure\"", T,
                   0, 0, 0},
        RequestRow{"TwoAxisRanges", Options({"NaCl"}, "density", {"1:50:1", "51:100:1"}, {"0.1"}),
                   "--temperature given once", T, 0, 0, 0},
        RequestRow{"BadRange", Options({"NaCl"}, "density", {"100:1:1"}, {"0.1"}), "--temperature", T, 0, 0, 0},
        RequestRow{"NotANumber", Options({"NaCl"}, "density", {"1:100:1"}, {"abc"}), "--concentration", T, 0, 0, 0},
        RequestRow{"ConcentrationMissing", Options({"NaCl"}, "density", {"1:100:1"}, {}),
                   "--concentration is required for NaCl", T, 0, 0, 0},
        RequestRow{"TemperatureMissing", Options({"NaCl"}, "density", {}, {"0.1:0.3:0.01"}),
                   "--temperature is required", T, 0, 0, 0},
        RequestRow{"WaterAlongConcentration", Options({"NaCl", "H2O"}, "density", {"20"}, {"0.1:0.3:0.01"}),
                   "water has no concentration", T, 0, 0, 0},
        RequestRow{"SubstancesWithSeveralValues", Options({"NaCl", "KCl"}, "density", {"1:100:1"}, {"0.1", "0.2"}),
                   "several substances", T, 0, 0, 0},
        RequestRow{"TooManyCurves", Options({"NaCl"}, "density", {"1:100:1"}, {"0.01:0.99:0.01"}, "temperature"),
                   "at most 12 curves", T, 0, 0, 0},
        RequestRow{"CurveValueBeyondSingle", Options({"NaCl"}, "density", {"1:100:1"}, {"0.1", "1e39"}),
                   "--concentration goes beyond the single-precision range", T, 0, 0, 0},
        RequestRow{"AxisBeyondSingle", Options({"NaCl"}, "density", {"1e38:1e39:1e38"}, {"0.1"}),
                   "--temperature goes beyond the single-precision range", T, 0, 0, 0},
        RequestRow{"TooManyPoints", Options({"NaCl"}, "density", {"1:100:0.001"}, {"0.1"}), "at most 20000", T, 0, 0,
                   0},
        RequestRow{"MostPoints", Options({"NaCl"}, "density", {"1:20000:1"}, {"0.1"}), nullptr, T, 1, 20000, 1},
        RequestRow{"OnePointTooMany", Options({"NaCl"}, "density", {"0:20000:1"}, {"0.1"}),
                   "--temperature gives 20001 values; a plot takes at most 20000", T, 0, 0, 0},
        RequestRow{"MostCurves", Options({"NaCl"}, "density", {"1:100:1"}, {"0.01:0.12:0.01"}, "temperature"), nullptr,
                   T, 12, 100, 1},
        RequestRow{"OneCurveTooMany",
                   Options({"NaCl"}, "density", {"1:100:1"}, {"0.01:0.12:0.01", "0.2"}, "temperature"),
                   "--concentration gives 13 values; a plot takes at most 12 curves", T, 0, 0, 0},
        RequestRow{
            "MostSubstances",
            Options({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}, "density", {"1:100:1"}, {"0.1"}),
            nullptr, T, 12, 100, 1},
        RequestRow{"OneSubstanceTooMany",
                   Options({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"}, "density",
                           {"1:100:1"}, {"0.1"}),
                   "a plot takes at most 12 substances", T, 0, 0, 0}),
    [](const testing::TestParamInfo<RequestRow>& row) { return std::string(row.param.name); });

// --- Values that cannot be true ----------------------------------------------------

// Points whose correlations give a value no solution has, as published with
// the tables they come from (calcium chloride at w = 0.55 and 90 °C has a
// negative surface tension, barium sulfide at w = 0.67 and 1 °C a negative
// heat capacity), and an ordinary one: a gap in the curve, the value kept,
// counted in the note and named in the data.
struct ImpossibleRow {
  const char* name;
  PlotOptions options;  // a temperature axis of two points
  std::size_t k;        // the point checked
  bool cannotBeTrue;
};

void PrintTo(const ImpossibleRow& row, std::ostream* os) { *os << row.name; }

class CannotBeTrue : public testing::TestWithParam<ImpossibleRow> {};

TEST_P(CannotBeTrue, IsAGapWithItsValueKeptAndCounted) {
  const ImpossibleRow& row = GetParam();
  std::string error;
  const std::optional<PlotRequest> request = MakePlotRequest(row.options, error);
  ASSERT_TRUE(request) << error;
  const PlotData data = MakePlotData(*request, PlotLanguage::English, ".");
  const report::PlotCurve& curve = data.figure.panels[0].curves[0];
  const report::PlotPoint& point = curve.points[row.k];
  ASSERT_TRUE(point.value.has_value());
  EXPECT_EQ(point.cannotBeTrue, row.cannotBeTrue);
  EXPECT_EQ(*point.value <= 0.0f, row.cannotBeTrue) << *point.value;
  std::size_t atOrBelowZero = 0;
  for (const report::PlotPoint& p : curve.points) atOrBelowZero += p.value && *p.value <= 0.0f ? 1 : 0;
  EXPECT_EQ(data.cannotBeTrue, atOrBelowZero);
  bool inRun = false;
  for (const auto& [begin, end] : report::ContiguousRuns(curve)) inRun = inRun || (begin <= row.k && row.k < end);
  EXPECT_EQ(inRun, !row.cannotBeTrue);
  const std::string n = std::to_string(atOrBelowZero);
  const std::string note = "Not drawn, the value cannot be true (≤ 0): " + n + " of 2 points (" +
                           std::string(describe(request->properties[0]).words) + ": " + n + ")";
  const bool noted = std::find(data.figure.notes.begin(), data.figure.notes.end(), note) != data.figure.notes.end();
  EXPECT_EQ(noted, row.cannotBeTrue);
  EXPECT_EQ(PlotDataCsv(*request, data).find(",cannot_be_true") != std::string::npos, row.cannotBeTrue);
}

INSTANTIATE_TEST_SUITE_P(Published, CannotBeTrue,
                         testing::Values(ImpossibleRow{"CalciumChlorideSurfaceTension",
                                                       Options({"CaCl2"}, "surface_tension", {"89:90:1"}, {"0.55"}), 1,
                                                       true},
                                         ImpossibleRow{"BariumSulfideHeatCapacity",
                                                       Options({"BaS"}, "heat_capacity", {"1:2:1"}, {"0.67"}), 0, true},
                                         ImpossibleRow{"SodiumChlorideDensity",
                                                       Options({"NaCl"}, "density", {"19:20:1"}, {"0.1"}), 1, false}),
                         [](const testing::TestParamInfo<ImpossibleRow>& row) { return std::string(row.param.name); });

// --- Language and size -------------------------------------------------------------

struct LanguageRow {
  const char* name;
  const char* lcAll;
  const char* lcMessages;
  const char* lang;
  PlotLanguage expected;
};

void PrintTo(const LanguageRow& row, std::ostream* os) { *os << row.name; }

class DefaultLanguage : public testing::TestWithParam<LanguageRow> {};

TEST_P(DefaultLanguage, FromTheFirstSetVariable) {
  const LanguageRow& row = GetParam();
  EXPECT_EQ(DefaultPlotLanguage(row.lcAll, row.lcMessages, row.lang), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, DefaultLanguage,
    testing::Values(LanguageRow{"NothingSet", nullptr, nullptr, nullptr, PlotLanguage::English},
                    LanguageRow{"RussianLang", nullptr, nullptr, "ru_RU.UTF-8", PlotLanguage::Russian},
                    LanguageRow{"RussianAll", "ru_RU.UTF-8", nullptr, "en_US.UTF-8", PlotLanguage::Russian},
                    LanguageRow{"CAllOverridesRussianLang", "C", nullptr, "ru_RU.UTF-8", PlotLanguage::English},
                    LanguageRow{"EmptyAllIsUnset", "", "ru_RU.UTF-8", "en_GB.UTF-8", PlotLanguage::Russian},
                    LanguageRow{"MessagesBeforeLang", nullptr, "en_US.UTF-8", "ru_RU.UTF-8", PlotLanguage::English},
                    LanguageRow{"Ukrainian", nullptr, nullptr, "uk_UA.UTF-8", PlotLanguage::English}),
    [](const testing::TestParamInfo<LanguageRow>& row) { return std::string(row.param.name); });

TEST(PlotLanguageNamed, RuOrEn) {
  EXPECT_EQ(PlotLanguageNamed("ru"), PlotLanguage::Russian);
  EXPECT_EQ(PlotLanguageNamed("en"), PlotLanguage::English);
  EXPECT_FALSE(PlotLanguageNamed("de"));
  EXPECT_FALSE(PlotLanguageNamed(""));
}

struct SizeRow {
  const char* name;
  const char* text;
  report::PlotFileFormat format;
  int width, height;  // 0 when refused
};

void PrintTo(const SizeRow& row, std::ostream* os) { *os << row.name << " \"" << row.text << '"'; }

class Sizes : public testing::TestWithParam<SizeRow> {};

TEST_P(Sizes, WholeUnitsWithinLimits) {
  const SizeRow& row = GetParam();
  std::string error;
  const std::optional<PlotSize> size = ParsePlotSize(row.text, row.format, error);
  if (row.width == 0) {
    EXPECT_FALSE(size);
    EXPECT_NE(error.find("--size"), std::string::npos) << error;
    return;
  }
  ASSERT_TRUE(size) << error;
  EXPECT_EQ(size->width, row.width);
  EXPECT_EQ(size->height, row.height);
}

constexpr auto kPng = report::PlotFileFormat::Png;
constexpr auto kPdf = report::PlotFileFormat::Pdf;

INSTANTIATE_TEST_SUITE_P(
    Texts, Sizes,
    testing::Values(
        SizeRow{"Pixels", "1200x800", kPng, 1200, 800}, SizeRow{"CapitalX", "640X480", kPng, 640, 480},
        SizeRow{"Millimetres", "297x210", kPdf, 297, 210}, SizeRow{"TooSmall", "100x100", kPng, 0, 0},
        SizeRow{"TooLarge", "20000x800", kPng, 0, 0}, SizeRow{"TooLargeForPaper", "3000x2000", kPdf, 0, 0},
        SizeRow{"Fraction", "800.5x600", kPng, 0, 0}, SizeRow{"NoSeparator", "800", kPng, 0, 0},
        SizeRow{"Negative", "-800x600", kPng, 0, 0}, SizeRow{"Empty", "", kPng, 0, 0},
        SizeRow{"SmallestPixels", "300x300", kPng, 300, 300}, SizeRow{"OnePixelTooNarrow", "299x300", kPng, 0, 0},
        SizeRow{"OnePixelTooLow", "300x299", kPng, 0, 0}, SizeRow{"LargestPixels", "10000x10000", kPng, 10000, 10000},
        SizeRow{"OnePixelTooWide", "10001x800", kPng, 0, 0}, SizeRow{"OnePixelTooHigh", "800x10001", kPng, 0, 0},
        SizeRow{"SmallestPaper", "60x60", kPdf, 60, 60}, SizeRow{"OneMillimetreTooSmall", "59x60", kPdf, 0, 0},
        SizeRow{"LargestPaper", "2000x2000", kPdf, 2000, 2000},
        SizeRow{"OneMillimetreTooLarge", "2000x2001", kPdf, 0, 0}),
    [](const testing::TestParamInfo<SizeRow>& row) { return std::string(row.param.name); });

TEST(DefaultPlotSize, PixelsOrAFiveLandscape) {
  EXPECT_EQ(DefaultPlotSize(kPng).width, 1200);
  EXPECT_EQ(DefaultPlotSize(kPng).height, 800);
  EXPECT_EQ(DefaultPlotSize(report::PlotFileFormat::Svg).width, 1200);
  EXPECT_EQ(DefaultPlotSize(kPdf).width, 210);
  EXPECT_EQ(DefaultPlotSize(kPdf).height, 148);
}

}  // namespace
}  // namespace elprops::cli
