// A figure of property curves as plain data: what a plot shows, before it
// is drawn. The command line fills it from the model; the Qt binding draws
// it into a file. Also the small rules of the drawing that need no
// painting: runs between gaps, tick positions and tick texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace elprops::report {

// Why a point of a curve has no value.
enum class PlotGap : std::uint8_t {
  None,
  Inadmissible,     // refused as the window's input refuses it
  AboveSaturation,  // calcium chloride beyond its saturation
  ArithmeticFault,  // the computation failed
  Unconvertible,    // the concentration in the unit asked has no mass fraction
};

struct PlotPoint {
  float x = 0.0f;              // the horizontal value the point was computed at
  std::optional<float> value;  // the model's single; nothing for a gap
  PlotGap gap = PlotGap::None;
  // More salt than dissolves at that temperature: the point is computed
  // like any other, and the curve is dashed there.
  bool beyondSolubility = false;
  // A value at or below zero (or not a number), which no solution has: the
  // value is kept for the data, and the curve has a gap there.
  bool cannotBeTrue = false;
  // Of a reference curve: the point lies outside the span of the
  // measurements behind the reference model, drawn fainter.
  bool outsideSpan = false;

  // Whether the point is drawn: it has a value that can be true.
  [[nodiscard]] bool Drawn() const { return value.has_value() && !cannotBeTrue; }
};

// One curve: its legend text and its points in increasing x; beside it,
// when asked for, an independent reference model's values at the same x
// (the same number of points, or none).
struct PlotCurve {
  std::string label;
  std::vector<PlotPoint> points;
  std::vector<PlotPoint> reference;
  std::vector<std::string> referenceSources;  // per reference point: the model's citation, or empty
};

// One property: its axis label ("Density, kg/m³") and one curve per
// value asked, the same curves in the same order in every panel.
struct PlotPanel {
  std::string axisLabel;
  std::vector<PlotCurve> curves;
};

enum class PlotBoundaryKind : std::uint8_t {
  Saturation,  // the window's limit of calcium chloride: gaps beyond it
  Solubility,  // the salt's solubility in the literature: the curve is dashed beyond it
};

// A vertical line across every panel at `x`, drawn in the colour of the
// curve it belongs to and labelled: the saturation of calcium chloride or
// the solubility of the salt.
struct PlotBoundary {
  double x = 0.0;
  std::size_t curve = 0;
  std::string label;
  PlotBoundaryKind kind = PlotBoundaryKind::Saturation;
};

struct PlotFigure {
  std::string title;
  std::string xAxisLabel;
  double xFrom = 0.0;  // the horizontal axis, shared by the panels
  double xTo = 1.0;
  std::vector<PlotPanel> panels;
  std::vector<PlotBoundary> boundaries;
  std::vector<std::string> notes;  // lines under the plot
  std::string decimalSeparator = ".";
  std::string referenceLabel;  // the legend of the reference curves; empty when none are drawn
};

// The runs of consecutive points that are drawn, as [begin, end) indices: a
// line is drawn along each run and never across a gap.
std::vector<std::pair<std::size_t, std::size_t>> ContiguousRuns(const std::vector<PlotPoint>& points);
inline std::vector<std::pair<std::size_t, std::size_t>> ContiguousRuns(const PlotCurve& curve) {
  return ContiguousRuns(curve.points);
}

// A stretch of a run drawn in one style: the points [begin, end), dashed
// when it lies beyond the solubility (or, on a reference curve, outside the
// span of the measurements). A segment between a point within and
// a point beyond the solubility belongs to the dashed stretch, so that
// neighbouring stretches share their end point and the line is unbroken.
struct PlotStretch {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool dashed = false;
};
std::vector<PlotStretch> Stretches(const std::vector<PlotPoint>& points, std::size_t begin, std::size_t end);
inline std::vector<PlotStretch> Stretches(const PlotCurve& curve, std::size_t begin, std::size_t end) {
  return Stretches(curve.points, begin, end);
}

// Tick marks of an axis from `low` to `high`: multiples of the smallest
// step of 1, 2, 2.5 or 5 times a power of ten that puts at most `maxTicks`
// of them inside the range, and the decimals the step needs.
struct AxisTicks {
  double step = 1.0;
  int decimals = 0;
  std::vector<double> values;
};
AxisTicks NiceTicks(double low, double high, int maxTicks);

// The range a vertical axis shows for values from `low` to `high`: 5 % of
// the span added on either side; a single value gets a span of its own.
std::pair<double, double> PaddedRange(double low, double high);

// `value` with `decimals` decimals and the given decimal separator, without
// grouping and never "-0".
std::string TickText(double value, int decimals, std::string_view decimalSeparator);

enum class PlotFileFormat : std::uint8_t { Svg, Png, Pdf };

// The format a file name asks for by its extension (.svg, .png, .pdf, in
// any case); nothing for any other name.
std::optional<PlotFileFormat> PlotFileFormatOf(std::string_view path);

}  // namespace elprops::report
