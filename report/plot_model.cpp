#include "report/plot_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace elprops::report {

std::vector<std::pair<std::size_t, std::size_t>> ContiguousRuns(const std::vector<PlotPoint>& points) {
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  std::size_t i = 0;
  while (i < points.size()) {
    while (i < points.size() && !points[i].Drawn()) ++i;
    const std::size_t begin = i;
    while (i < points.size() && points[i].Drawn()) ++i;
    if (i > begin) runs.emplace_back(begin, i);
  }
  return runs;
}

std::vector<PlotStretch> Stretches(const std::vector<PlotPoint>& points, std::size_t begin, std::size_t end) {
  std::vector<PlotStretch> stretches;
  const auto other = [&](std::size_t k) { return points[k].beyondSolubility || points[k].outsideSpan; };
  end = std::min(end, points.size());
  if (begin >= end) return stretches;
  if (end - begin == 1) {
    stretches.push_back({begin, end, other(begin)});
    return stretches;
  }
  // The style of each segment k..k+1, then segments of one style joined.
  for (std::size_t k = begin; k + 1 < end; ++k) {
    const bool dashed = other(k) || other(k + 1);
    if (!stretches.empty() && stretches.back().dashed == dashed) {
      stretches.back().end = k + 2;
    } else {
      stretches.push_back({k, k + 2, dashed});
    }
  }
  return stretches;
}

AxisTicks NiceTicks(double low, double high, int maxTicks) {
  AxisTicks ticks;
  if (!std::isfinite(low) || !std::isfinite(high)) return ticks;
  if (!(high > low)) {
    ticks.values.push_back(low);
    return ticks;
  }
  const double most = static_cast<double>(std::max(maxTicks, 2));
  const double span = high - low;
  // Multiples of the step inside the range, with a little slack so that
  // rounding in the division does not lose an end.
  const auto inside = [&](double step, double& first, double& last) {
    first = std::ceil(low / step - 1e-9);
    last = std::floor(high / step + 1e-9);
    return last - first + 1.0 <= most;
  };
  double magnitude = std::pow(10.0, std::floor(std::log10(span / most)));
  double first = 0.0;
  double last = 0.0;
  for (;; magnitude *= 10.0) {
    bool found = false;
    for (const double m : {1.0, 2.0, 2.5, 5.0}) {
      if (inside(m * magnitude, first, last)) {
        ticks.step = m * magnitude;
        found = true;
        break;
      }
    }
    if (found) break;
  }
  // The fewest decimals that write every multiple of the step exactly.
  while (ticks.decimals < 15) {
    const double scaled = ticks.step * std::pow(10.0, ticks.decimals);
    if (std::fabs(scaled - std::round(scaled)) <= 1e-6 * scaled) break;
    ++ticks.decimals;
  }
  for (double k = first; k <= last; k += 1.0) ticks.values.push_back(k * ticks.step);
  return ticks;
}

std::pair<double, double> PaddedRange(double low, double high) {
  if (!(high > low)) {
    const double half = low != 0.0 ? std::fabs(low) * 0.05 : 1.0;
    return {low - half, low + half};
  }
  const double pad = (high - low) * 0.05;
  return {low - pad, high + pad};
}

std::string TickText(double value, int decimals, std::string_view decimalSeparator) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return "?";
  std::string_view digits(buf, static_cast<std::size_t>(r.ptr - buf));
  // A tiny negative value rounded to nothing is shown as 0, not -0.
  if (digits.front() == '-' && digits.find_first_not_of("-0.") == std::string_view::npos) digits.remove_prefix(1);
  std::string text;
  for (const char c : digits) {
    if (c == '.') {
      text += decimalSeparator;
    } else {
      text += c;
    }
  }
  return text;
}

std::optional<PlotFileFormat> PlotFileFormatOf(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::nullopt;
  std::string extension;
  for (const char c : path.substr(dot + 1)) extension += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  if (extension == "svg") return PlotFileFormat::Svg;
  if (extension == "png") return PlotFileFormat::Png;
  if (extension == "pdf") return PlotFileFormat::Pdf;
  return std::nullopt;
}

}  // namespace elprops::report
