#include "plot/plot_render.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QString>
#include <QStringList>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "files/output_file.h"

namespace elprops::platform {
namespace {

// Colours told apart also with the common colour-vision deficiencies; past
// the last one the colours come again with dash-dotted lines (a plain dash
// marks a boundary).
constexpr QRgb kPalette[] = {0x0072B2, 0xD55E00, 0x009E73, 0xCC79A7, 0xE69F00, 0x56B4E9, 0x000000};
constexpr std::size_t kColours = std::size(kPalette);

QString Q(const std::string& text) { return QString::fromStdString(text); }

QPen CurvePen(std::size_t curve, double width) {
  QPen pen{QColor(kPalette[curve % kColours]), width};
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::BevelJoin);
  if (curve >= kColours) pen.setStyle(Qt::DashDotLine);
  return pen;
}

// The part of a curve beyond the salt's solubility: the curve's colour in
// short dashes, whatever the curve's own style.
QPen BeyondSolubilityPen(std::size_t curve, double width) {
  QPen pen = CurvePen(curve, width);
  pen.setDashPattern({2.5, 2.0});
  return pen;
}

// A reference model's curve: the colour of ours in long dashes; outside the
// span of the model's measurements lighter and dotted.
QPen ReferencePen(std::size_t curve, double width, bool outsideSpan) {
  QColor colour(kPalette[curve % kColours]);
  if (outsideSpan) colour.setAlphaF(0.6F);
  QPen pen{colour, width};
  pen.setCapStyle(Qt::FlatCap);
  if (outsideSpan) {
    pen.setCapStyle(Qt::RoundCap);
    pen.setDashPattern({0.7, 2.0});
  } else {
    pen.setDashPattern({8.0, 3.0});
  }
  return pen;
}

// The window's limit of calcium chloride is a hard one (no values beyond):
// a solid line, thinner than a curve; the solubility in the literature is
// dotted.
QPen BoundaryPen(const report::PlotBoundary& boundary, double width) {
  QPen pen{QColor(kPalette[boundary.curve % kColours]), width};
  if (boundary.kind == report::PlotBoundaryKind::Solubility) {
    pen.setDashPattern({1.0, 2.5});
  }
  return pen;
}

QFont MakeFont(double pixels, bool bold = false) {
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  font.setBold(bold);
  return font;
}

// Draws a figure on a painter whose coordinates run from (0, 0) to
// (width, height) in units of a 96-dpi pixel. Every length is a multiple
// of the base font size, so that the picture keeps its proportions at any
// size.
class FigurePainter {
 public:
  FigurePainter(const report::PlotFigure& figure, QPainter& painter, double width, double height)
      : figure_(figure),
        p_(painter),
        w_(width),
        h_(height),
        f_(std::clamp(std::min(width, height) / 46.0, 9.0, 48.0)),
        titleFont_(MakeFont(f_ * 1.35, true)),
        labelFont_(MakeFont(f_ * 1.05)),
        tickFont_(MakeFont(f_ * 0.9)),
        legendFont_(MakeFont(f_)),
        noteFont_(MakeFont(f_ * 0.9)) {}

  void Draw();

 private:
  struct LegendEntry {
    QString text;
    QPen pen;
  };
  // A panel's vertical axis: its range, ticks and tick texts.
  struct YAxis {
    double from = 0.0;
    double to = 1.0;
    report::AxisTicks ticks;
    std::vector<QString> texts;
    double textWidth = 0.0;
  };

  QFontMetricsF Metrics(const QFont& font) const { return QFontMetricsF(font, p_.device()); }
  // Height of `text` wrapped to `width` in `font`.
  double WrappedHeight(const QFont& font, const QString& text, double width) const {
    return Metrics(font).boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text).height();
  }
  double TickLength() const { return f_ * 0.35; }
  // The top and bottom of the plot area in a cell, leaving room for the
  // header, half a tick text above and the horizontal tick texts below.
  double PlotTop(const QRectF& cell, bool header) const {
    return cell.top() + (header ? Metrics(labelFont_).height() + f_ * 0.3 : 0.0) + Metrics(tickFont_).height() / 2.0;
  }
  double PlotBottom(const QRectF& cell) const {
    return cell.bottom() - TickLength() - f_ * 0.2 - Metrics(tickFont_).height();
  }
  YAxis MakeYAxis(const report::PlotPanel& panel, double plotHeight) const;
  report::AxisTicks XTicks(double plotWidth) const;
  QString XTickText(double value, int decimals) const {
    return Q(report::TickText(value, decimals, figure_.decimalSeparator));
  }
  // Where a panel's plot area lies on the page, the ticks of its horizontal
  // axis, and the maps from the data to the page.
  struct PlotArea {
    double left = 0.0;
    double right = 1.0;
    double top = 0.0;
    double bottom = 1.0;
    double xFrom = 0.0;
    double xSpan = 1.0;
    double yFrom = 0.0;
    double yTo = 1.0;
    report::AxisTicks xTicks;
    [[nodiscard]] double X(double x) const { return left + (x - xFrom) / xSpan * (right - left); }
    [[nodiscard]] double Y(double v) const { return bottom - (v - yFrom) / (yTo - yFrom) * (bottom - top); }
    [[nodiscard]] QRectF Rect() const { return {QPointF(left, top), QPointF(right, bottom)}; }
  };
  // Draws a panel whose plot area starts at `left`; returns its right end.
  double DrawPanel(const report::PlotPanel& panel, const QRectF& cell, bool header, const YAxis& y, double left,
                   bool boundaryLabels);
  // The plot area of a panel in `cell` that starts at `left`.
  PlotArea PlaceArea(const QRectF& cell, bool header, const YAxis& y, double left) const;
  void DrawGrid(const PlotArea& area, const YAxis& y);
  void DrawBoundaryLines(const PlotArea& area);
  void DrawCurve(const report::PlotCurve& curve, std::size_t index, const PlotArea& area);
  void DrawReference(const report::PlotCurve& curve, std::size_t index, const PlotArea& area);
  void DrawLonePoint(const QPointF& at, const QColor& colour, bool beyondSolubility);
  void DrawFrameAndTicks(const PlotArea& area, const YAxis& y);
  void DrawBoundaryLabels(const PlotArea& area);
  void DrawAxisLabel(const report::PlotPanel& panel, const QRectF& cell, bool header, const PlotArea& area);
  std::vector<LegendEntry> Legend(bool grid) const;
  double DrawTitle(double top, double width);
  double DrawNotes(double bottom, double width);
  // The one panel with the legend in rows above it; returns the left and
  // right ends of its plot area.
  std::pair<double, double> DrawSinglePanel(const std::vector<LegendEntry>& legend, double top, double bottom);
  void DrawPanelGrid(const std::vector<LegendEntry>& legend, double top, double bottom, double width);
  void DrawLegendEntry(const LegendEntry& entry, double x, double y, double textWidth);
  double LegendRowsHeight(const std::vector<LegendEntry>& entries, double top, bool draw);
  void DrawLegendColumn(const std::vector<LegendEntry>& entries, const QRectF& cell);

  const report::PlotFigure& figure_;
  QPainter& p_;
  double w_;
  double h_;
  double f_;  // the base font size
  QFont titleFont_, labelFont_, tickFont_, legendFont_, noteFont_;
};

FigurePainter::YAxis FigurePainter::MakeYAxis(const report::PlotPanel& panel, double plotHeight) const {
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  // The values drawn, and the reference's within its measurements (its
  // extrapolations may run far off, and are clipped).
  const auto include = [&](const report::PlotPoint& point) {
    if (!point.Drawn() || point.outsideSpan || !std::isfinite(*point.value)) return;
    low = std::min(low, static_cast<double>(*point.value));
    high = std::max(high, static_cast<double>(*point.value));
  };
  for (const report::PlotCurve& curve : panel.curves) {
    for (const report::PlotPoint& point : curve.points) include(point);
    for (const report::PlotPoint& point : curve.reference) include(point);
  }
  if (!(low <= high)) {
    low = 0.0;
    high = 1.0;
  }
  YAxis axis;
  std::tie(axis.from, axis.to) = report::PaddedRange(low, high);
  const QFontMetricsF fm = Metrics(tickFont_);
  axis.ticks = report::NiceTicks(axis.from, axis.to, std::max(2, static_cast<int>(plotHeight / (fm.height() * 2.2))));
  for (const double v : axis.ticks.values) {
    axis.texts.push_back(Q(report::TickText(v, axis.ticks.decimals, figure_.decimalSeparator)));
    axis.textWidth = std::max(axis.textWidth, fm.horizontalAdvance(axis.texts.back()));
  }
  return axis;
}

// Ticks of the shared horizontal axis: as many as fit with room between
// their texts.
report::AxisTicks FigurePainter::XTicks(double plotWidth) const {
  const QFontMetricsF fm = Metrics(tickFont_);
  report::AxisTicks ticks;
  for (int most = 12; most >= 2; --most) {
    ticks = report::NiceTicks(figure_.xFrom, figure_.xTo, most);
    double widest = 0.0;
    for (const double v : ticks.values) widest = std::max(widest, fm.horizontalAdvance(XTickText(v, ticks.decimals)));
    if (static_cast<double>(ticks.values.size()) * widest * 1.8 <= plotWidth) break;
  }
  return ticks;
}

void FigurePainter::DrawLegendEntry(const LegendEntry& entry, double x, double y, double textWidth) {
  const QFontMetricsF fm = Metrics(legendFont_);
  const double sample = f_ * 2.2;
  const double mid = y + fm.height() / 2.0;
  p_.setPen(entry.pen);
  p_.drawLine(QPointF(x, mid), QPointF(x + sample, mid));
  p_.setPen(Qt::black);
  p_.setFont(legendFont_);
  const QString text = fm.elidedText(entry.text, Qt::ElideRight, textWidth);
  p_.drawText(QRectF(x + sample + f_ * 0.5, y, textWidth + f_, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
}

// The legend in centred rows from `top`; draws only when `draw`, returns
// the height either way.
double FigurePainter::LegendRowsHeight(const std::vector<LegendEntry>& entries, double top, bool draw) {
  if (entries.empty()) return 0.0;
  const QFontMetricsF fm = Metrics(legendFont_);
  const double sample = f_ * 2.7;
  const double spacing = f_ * 1.6;
  const double available = w_ - 2.0 * f_;
  const auto textWidth = [&](const LegendEntry& e) {
    return std::min(fm.horizontalAdvance(e.text), available - sample);
  };
  std::vector<std::vector<std::size_t>> rows(1);
  std::vector<double> widths(1, 0.0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const double item = sample + textWidth(entries[i]);
    if (!rows.back().empty() && widths.back() + spacing + item > available) {
      rows.emplace_back();
      widths.push_back(0.0);
    }
    widths.back() += (rows.back().empty() ? 0.0 : spacing) + item;
    rows.back().push_back(i);
  }
  const double rowHeight = fm.height() * 1.25;
  if (draw) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
      double x = (w_ - widths[r]) / 2.0;
      const double y = top + static_cast<double>(r) * rowHeight;
      for (const std::size_t i : rows[r]) {
        DrawLegendEntry(entries[i], x, y, textWidth(entries[i]));
        x += sample + textWidth(entries[i]) + spacing;
      }
    }
  }
  return static_cast<double>(rows.size()) * rowHeight;
}

// The legend as a column in the free cell of the grid.
void FigurePainter::DrawLegendColumn(const std::vector<LegendEntry>& entries, const QRectF& cell) {
  const QFontMetricsF fm = Metrics(legendFont_);
  const double rowHeight = fm.height() * 1.35;
  double y = cell.top() + Metrics(labelFont_).height() + f_ * 0.3;
  const double x = cell.left() + f_;
  const double textWidth = std::max(f_, cell.right() - x - f_ * 2.7);
  for (const LegendEntry& entry : entries) {
    if (y + fm.height() > cell.bottom()) break;
    DrawLegendEntry(entry, x, y, textWidth);
    y += rowHeight;
  }
}

FigurePainter::PlotArea FigurePainter::PlaceArea(const QRectF& cell, bool header, const YAxis& y, double left) const {
  PlotArea area;
  area.left = left;
  area.top = PlotTop(cell, header);
  area.bottom = std::max(area.top + 1.0, PlotBottom(cell));
  area.right = std::max(left + 1.0, cell.right() - f_ * 0.3);
  area.xTicks = XTicks(area.right - left);
  const report::AxisTicks& xTicks = area.xTicks;
  if (!xTicks.values.empty()) {
    // Room for half the last tick text beyond the frame.
    const double half = Metrics(tickFont_).horizontalAdvance(XTickText(xTicks.values.back(), xTicks.decimals)) / 2.0;
    area.right = std::max(left + 1.0, std::min(area.right, cell.right() - half));
  }
  area.xFrom = figure_.xFrom;
  area.xSpan = figure_.xTo > figure_.xFrom ? figure_.xTo - figure_.xFrom : 1.0;
  area.yFrom = y.from;
  area.yTo = y.to;
  return area;
}

void FigurePainter::DrawGrid(const PlotArea& area, const YAxis& y) {
  p_.setPen(QPen(QColor(0xDD, 0xDD, 0xDD), f_ * 0.06));
  for (const double v : area.xTicks.values) p_.drawLine(QPointF(area.X(v), area.top), QPointF(area.X(v), area.bottom));
  for (const double v : y.ticks.values) p_.drawLine(QPointF(area.left, area.Y(v)), QPointF(area.right, area.Y(v)));
}

void FigurePainter::DrawBoundaryLines(const PlotArea& area) {
  for (const report::PlotBoundary& boundary : figure_.boundaries) {
    p_.setPen(BoundaryPen(boundary, f_ * 0.12));
    p_.drawLine(QPointF(area.X(boundary.x), area.top), QPointF(area.X(boundary.x), area.bottom));
  }
}

// A point alone between gaps: a dot, since a line needs two; a ring when it
// lies beyond the solubility.
void FigurePainter::DrawLonePoint(const QPointF& at, const QColor& colour, bool beyondSolubility) {
  if (beyondSolubility) {
    p_.setPen(QPen(colour, f_ * 0.08));
    p_.setBrush(Qt::NoBrush);
  } else {
    p_.setPen(Qt::NoPen);
    p_.setBrush(colour);
  }
  p_.drawEllipse(at, f_ * 0.2, f_ * 0.2);
  p_.setBrush(Qt::NoBrush);
}

// A curve in runs of points with values; within a run, the stretches beyond
// the solubility dashed.
void FigurePainter::DrawCurve(const report::PlotCurve& curve, std::size_t index, const PlotArea& area) {
  const QPen pen = CurvePen(index, f_ * 0.16);
  const QPen beyond = BeyondSolubilityPen(index, f_ * 0.16);
  const auto at = [&](std::size_t k) {
    return QPointF(area.X(static_cast<double>(curve.points[k].x)), area.Y(static_cast<double>(*curve.points[k].value)));
  };
  for (const auto& [begin, end] : report::ContiguousRuns(curve)) {
    if (end - begin == 1) {
      DrawLonePoint(at(begin), pen.color(), curve.points[begin].beyondSolubility);
      continue;
    }
    for (const report::PlotStretch& stretch : report::Stretches(curve, begin, end)) {
      QPainterPath path(at(stretch.begin));
      for (std::size_t k = stretch.begin + 1; k < stretch.end; ++k) path.lineTo(at(k));
      p_.setPen(stretch.dashed ? beyond : pen);
      p_.drawPath(path);
    }
  }
}

// The reference model's curve in the runs where it has values; dotted and
// lighter where the point lies outside its measurements.
void FigurePainter::DrawReference(const report::PlotCurve& curve, std::size_t index, const PlotArea& area) {
  const std::vector<report::PlotPoint>& points = curve.reference;
  const auto at = [&](std::size_t k) {
    return QPointF(area.X(static_cast<double>(points[k].x)), area.Y(static_cast<double>(*points[k].value)));
  };
  for (const auto& [begin, end] : report::ContiguousRuns(points)) {
    for (const report::PlotStretch& stretch : report::Stretches(points, begin, end)) {
      QPainterPath path(at(stretch.begin));
      for (std::size_t k = stretch.begin + 1; k < stretch.end; ++k) path.lineTo(at(k));
      p_.setPen(ReferencePen(index, f_ * 0.12, stretch.dashed));
      if (stretch.end - stretch.begin == 1) {
        p_.drawPoint(at(stretch.begin));
      } else {
        p_.drawPath(path);
      }
    }
  }
}

void FigurePainter::DrawFrameAndTicks(const PlotArea& area, const YAxis& y) {
  const report::AxisTicks& xTicks = area.xTicks;
  const QFontMetricsF tickFm = Metrics(tickFont_);
  const double tickLength = TickLength();
  p_.setPen(QPen(Qt::black, f_ * 0.07));
  p_.setBrush(Qt::NoBrush);
  p_.drawRect(area.Rect());
  p_.setFont(tickFont_);
  for (const double v : xTicks.values) {
    p_.drawLine(QPointF(area.X(v), area.bottom), QPointF(area.X(v), area.bottom + tickLength));
    const QString text = XTickText(v, xTicks.decimals);
    const double width = tickFm.horizontalAdvance(text) + f_;
    p_.drawText(QRectF(area.X(v) - width / 2.0, area.bottom + tickLength + f_ * 0.15, width, tickFm.height()),
                Qt::AlignCenter, text);
  }
  for (std::size_t i = 0; i < y.ticks.values.size(); ++i) {
    const double at = area.Y(y.ticks.values[i]);
    p_.drawLine(QPointF(area.left - tickLength, at), QPointF(area.left, at));
    const double textRight = area.left - tickLength - f_ * 0.25;
    p_.drawText(QRectF(textRight - y.textWidth - f_, at - tickFm.height() / 2.0, y.textWidth + f_, tickFm.height()),
                Qt::AlignRight | Qt::AlignVCenter, y.texts[i]);
  }
}

// The labels of the boundaries, each on a line of its own from the top,
// beside its line, inside the frame and on a white ground.
void FigurePainter::DrawBoundaryLabels(const PlotArea& area) {
  const QFontMetricsF tickFm = Metrics(tickFont_);
  double row = area.top + f_ * 0.3;
  for (const report::PlotBoundary& boundary : figure_.boundaries) {
    const double width = std::min(tickFm.horizontalAdvance(Q(boundary.label)) + f_ * 0.4, area.right - area.left);
    const QString text = tickFm.elidedText(Q(boundary.label), Qt::ElideRight, width - f_ * 0.2);
    const double x = area.X(boundary.x);
    double boxLeft = x + f_ * 0.3 + width <= area.right ? x + f_ * 0.3 : x - f_ * 0.3 - width;
    boxLeft = std::clamp(boxLeft, area.left, area.right - width);
    const QRectF box(boxLeft, row, width, tickFm.height());
    p_.fillRect(box, QColor(255, 255, 255, 220));
    p_.setPen(QColor(kPalette[boundary.curve % kColours]).darker(120));
    p_.drawText(box, Qt::AlignCenter, text);
    row += tickFm.height() * 1.1;
  }
  p_.setPen(Qt::black);
}

// The property with its unit: over the panel in a grid, along its left
// side otherwise, smaller when it is longer than the panel is high.
void FigurePainter::DrawAxisLabel(const report::PlotPanel& panel, const QRectF& cell, bool header,
                                  const PlotArea& area) {
  const QFontMetricsF labelFm = Metrics(labelFont_);
  const QString label = Q(panel.axisLabel);
  if (header) {
    p_.setFont(labelFont_);
    p_.drawText(QRectF(cell.left(), cell.top(), cell.width(), labelFm.height()), Qt::AlignCenter,
                labelFm.elidedText(label, Qt::ElideRight, cell.width()));
    return;
  }
  const double height = area.bottom - area.top;
  QFont font = labelFont_;
  const double advance = labelFm.horizontalAdvance(label);
  if (advance > height) font = MakeFont(std::max(f_ * 0.7, f_ * 1.05 * height / advance));
  const QFontMetricsF fm = Metrics(font);
  p_.save();
  p_.setFont(font);
  p_.translate(cell.left(), (area.top + area.bottom) / 2.0);
  p_.rotate(-90.0);
  p_.drawText(QRectF(-height / 2.0 - f_, 0.0, height + 2.0 * f_, fm.height()), Qt::AlignCenter,
              fm.elidedText(label, Qt::ElideRight, height + 2.0 * f_));
  p_.restore();
}

double FigurePainter::DrawPanel(const report::PlotPanel& panel, const QRectF& cell, bool header, const YAxis& y,
                                double left, bool boundaryLabels) {
  const PlotArea area = PlaceArea(cell, header, y, left);
  DrawGrid(area, y);
  // The boundaries, then the curves over them, inside the frame.
  p_.save();
  p_.setClipRect(area.Rect());
  DrawBoundaryLines(area);
  for (std::size_t c = 0; c < panel.curves.size(); ++c) DrawReference(panel.curves[c], c, area);
  for (std::size_t c = 0; c < panel.curves.size(); ++c) DrawCurve(panel.curves[c], c, area);
  p_.restore();
  DrawFrameAndTicks(area, y);
  if (boundaryLabels) DrawBoundaryLabels(area);
  DrawAxisLabel(panel, cell, header, area);
  return area.right;
}

// The legend: the curves of the first panel; in a grid also the boundaries.
// A single panel labels its boundaries in the plot; a grid's panels are too
// small for that, so the legend explains the dashed lines there.
std::vector<FigurePainter::LegendEntry> FigurePainter::Legend(bool grid) const {
  std::vector<LegendEntry> legend;
  for (std::size_t c = 0; c < figure_.panels.front().curves.size(); ++c) {
    const std::string& label = figure_.panels.front().curves[c].label;
    if (!label.empty()) legend.push_back({Q(label), CurvePen(c, f_ * 0.16)});
  }
  if (!figure_.referenceLabel.empty()) {
    QPen pen = ReferencePen(0, f_ * 0.12, false);
    pen.setColor(QColor(0x40, 0x40, 0x40));
    legend.push_back({Q(figure_.referenceLabel), pen});
  }
  if (grid) {
    for (const report::PlotBoundary& boundary : figure_.boundaries) {
      legend.push_back({Q(boundary.label), BoundaryPen(boundary, f_ * 0.12)});
    }
  }
  return legend;
}

// The title from `top`; returns the top of what follows it.
double FigurePainter::DrawTitle(double top, double width) {
  const QString title = Q(figure_.title);
  const double titleHeight = WrappedHeight(titleFont_, title, width);
  p_.setPen(Qt::black);
  p_.setFont(titleFont_);
  p_.drawText(QRectF(f_, top, width, titleHeight), Qt::AlignHCenter | Qt::TextWordWrap, title);
  return top + (titleHeight + f_ * 0.6);
}

// The notes, ending at `bottom`; returns the bottom of what goes above them.
double FigurePainter::DrawNotes(double bottom, double width) {
  QString notes;
  for (const std::string& note : figure_.notes) {
    if (!notes.isEmpty()) notes += QLatin1Char('\n');
    notes += Q(note);
  }
  if (notes.isEmpty()) return bottom;
  const double height = WrappedHeight(noteFont_, notes, width);
  bottom -= height;
  p_.setFont(noteFont_);
  p_.setPen(QColor(0x40, 0x40, 0x40));
  p_.drawText(QRectF(f_, bottom, width, height), Qt::AlignLeft | Qt::TextWordWrap, notes);
  p_.setPen(Qt::black);
  return bottom - f_ * 0.6;
}

std::pair<double, double> FigurePainter::DrawSinglePanel(const std::vector<LegendEntry>& legend, double top,
                                                         double bottom) {
  const double legendHeight = LegendRowsHeight(legend, top, true);
  if (legendHeight > 0.0) top += legendHeight + f_ * 0.5;
  const QRectF cell(QPointF(f_, top), QPointF(w_ - f_, bottom));
  const YAxis y = MakeYAxis(figure_.panels.front(), PlotBottom(cell) - PlotTop(cell, false));
  const double beforeTicks = f_ * 0.3 + TickLength();
  const double plotLeft = cell.left() + Metrics(labelFont_).height() + f_ * 0.5 + y.textWidth + beforeTicks;
  return {plotLeft, DrawPanel(figure_.panels.front(), cell, false, y, plotLeft, true)};
}

// A grid sharing the horizontal axis: the plot areas have one width and the
// same ticks; the cell after the last panel holds the legend.
void FigurePainter::DrawPanelGrid(const std::vector<LegendEntry>& legend, double top, double bottom, double width) {
  const std::size_t panels = figure_.panels.size();
  const std::size_t columns = w_ >= h_ ? 3 : 2;
  const std::size_t cells = panels + (legend.empty() ? 0 : 1);
  const std::size_t rows = (cells + columns - 1) / columns;
  const double gapX = f_ * 1.5;
  const double gapY = f_ * 1.0;
  const double cellWidth = (width - gapX * static_cast<double>(columns - 1)) / static_cast<double>(columns);
  const double cellHeight = (bottom - top - gapY * static_cast<double>(rows - 1)) / static_cast<double>(rows);
  const auto cellAt = [&](std::size_t i) {
    const double x = f_ + static_cast<double>(i % columns) * (cellWidth + gapX);
    const double y = top + static_cast<double>(i / columns) * (cellHeight + gapY);
    return QRectF(x, y, cellWidth, cellHeight);
  };
  std::vector<YAxis> axes;
  double textWidth = 0.0;
  for (std::size_t i = 0; i < panels; ++i) {
    const QRectF cell = cellAt(i);
    axes.push_back(MakeYAxis(figure_.panels[i], PlotBottom(cell) - PlotTop(cell, true)));
    textWidth = std::max(textWidth, axes.back().textWidth);
  }
  const double beforeTicks = f_ * 0.3 + TickLength();
  for (std::size_t i = 0; i < panels; ++i) {
    const QRectF cell = cellAt(i);
    DrawPanel(figure_.panels[i], cell, true, axes[i], cell.left() + textWidth + beforeTicks, false);
  }
  if (!legend.empty()) DrawLegendColumn(legend, cellAt(panels));
}

void FigurePainter::Draw() {
  p_.fillRect(QRectF(0, 0, w_, h_), Qt::white);
  p_.setRenderHint(QPainter::Antialiasing);
  p_.setRenderHint(QPainter::TextAntialiasing);
  if (figure_.panels.empty()) return;
  const double margin = f_;
  const double width = w_ - 2.0 * margin;
  const bool grid = figure_.panels.size() > 1;
  const std::vector<LegendEntry> legend = Legend(grid);

  const double top = DrawTitle(margin, width);
  // The notes and the horizontal axis label, from the bottom up.
  const QFontMetricsF labelFm = Metrics(labelFont_);
  const double xLabelTop = DrawNotes(h_ - margin, width) - labelFm.height();
  const double bottom = xLabelTop - f_ * 0.3;

  double plotLeft = margin;
  double plotRight = w_ - margin;
  if (grid) {
    DrawPanelGrid(legend, top, bottom, width);
  } else {
    std::tie(plotLeft, plotRight) = DrawSinglePanel(legend, top, bottom);
  }
  p_.setFont(labelFont_);
  p_.setPen(Qt::black);
  p_.drawText(QRectF(plotLeft, xLabelTop, plotRight - plotLeft, labelFm.height()), Qt::AlignCenter,
              Q(figure_.xAxisLabel));
}

// Millimetres in units of a 96-dpi pixel.
double MillimetresToUnits(int mm) { return static_cast<double>(mm) / 25.4 * 96.0; }

std::string Failure(const std::string& path, const std::string& reason) {
  return "cannot write " + path + ": " + reason;
}

// The picture in the file format asked, drawn into memory. Returns the
// reason it could not be drawn, or an empty text.
std::string Draw(const report::PlotFigure& figure, report::PlotFileFormat format, int width, int height, int dpi,
                 QBuffer& buffer) {
  switch (format) {
    case report::PlotFileFormat::Png: {
      // The picture laid out at `width` by `height` units of a 96-dpi pixel,
      // drawn at `dpi` pixels to the inch.
      const double scale = static_cast<double>(dpi) / 96.0;
      QImage image(PngPixels(width, dpi), PngPixels(height, dpi), QImage::Format_ARGB32_Premultiplied);
      if (image.isNull()) return "not enough memory for the picture";
      const int dotsPerMetre = static_cast<int>(std::lround(dpi / 0.0254));
      image.setDotsPerMeterX(dotsPerMetre);
      image.setDotsPerMeterY(dotsPerMetre);
      {
        QPainter painter(&image);
        painter.scale(scale, scale);
        FigurePainter(figure, painter, width, height).Draw();
      }
      if (!image.save(&buffer, "PNG")) return "the PNG writer failed";
      return {};
    }
    case report::PlotFileFormat::Svg: {
      QSvgGenerator generator;
      generator.setOutputDevice(&buffer);
      // The width and height in millimetres: the default 1200 pixels make
      // 210 mm, the width of an A4 page, at which the texts read as 8 to 11 pt.
      generator.setSize(QSize(width, height));
      generator.setViewBox(QRect(0, 0, width, height));
      generator.setResolution(kSvgDotsPerInch);
      generator.setTitle(Q(figure.title));
      generator.setDescription(QStringLiteral("elprops-cli plot"));
      QPainter painter;
      if (!painter.begin(&generator)) return "the SVG writer could not start";
      FigurePainter(figure, painter, width, height).Draw();
      if (!painter.end()) return "the SVG writer did not finish";
      return {};
    }
    case report::PlotFileFormat::Pdf: {
      QPdfWriter writer(&buffer);
      writer.setPageLayout(
          QPageLayout(QPageSize(QSizeF(width, height), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
      writer.setResolution(300);
      writer.setTitle(Q(figure.title));
      writer.setCreator(QStringLiteral("elprops-cli"));
      QPainter painter;
      if (!painter.begin(&writer)) return "the PDF writer could not start";
      const double units = MillimetresToUnits(width);
      const double scale = static_cast<double>(writer.width()) / units;
      painter.scale(scale, scale);
      FigurePainter(figure, painter, units, static_cast<double>(writer.height()) / scale).Draw();
      if (!painter.end()) return "the PDF writer did not finish";
      return {};
    }
  }
  return "unknown file format";
}

}  // namespace

int PngPixels(int units, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(units) * static_cast<double>(dpi) / 96.0));
}

std::string WritePlot(const report::PlotFigure& figure, const std::string& path, report::PlotFileFormat format,
                      int width, int height, int dpi) {
  // The devices of the SVG and PDF writers do not report a failed write, so
  // the picture is made in memory and written out by the one checked writer.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return Failure(path, "not enough memory for the picture");
  const std::string failure = Draw(figure, format, width, height, dpi, buffer);
  if (!failure.empty()) return Failure(path, failure);
  buffer.close();
  const std::string reason =
      files::WriteOutputFile(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!reason.empty()) return Failure(path, reason);
  return {};
}

}  // namespace elprops::platform
