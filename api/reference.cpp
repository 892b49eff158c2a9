// The independent reference models: the model's choice of reference, with
// elprops's own value beside it, in the public library's types.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include <elprops/compute.hpp>
#include <elprops/reference.hpp>

#include "api/evaluate.h"
#include "model/reference_choice.h"

namespace elprops {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

static_assert(static_cast<int>(property_kind::thermal_conductivity) ==
              static_cast<int>(model::reference::Property::ThermalConductivity));
static_assert(static_cast<int>(property_kind::surface_tension) ==
              static_cast<int>(model::reference::Property::SurfaceTension));

// Numbers in the notes are written with a point whatever the C locale.
std::string Chars(double value, std::chars_format format, int precision) {
  char text[64];
  const std::to_chars_result r = std::to_chars(text, text + sizeof text, value, format, precision);
  return std::string(text, r.ec == std::errc{} ? r.ptr : text);
}

template <typename Number>
std::string Shortest(Number value) {
  char text[64];
  const std::to_chars_result r = std::to_chars(text, text + sizeof text, value);
  return std::string(text, r.ec == std::errc{} ? r.ptr : text);
}

// Down to three significant digits, so that whatever lies beyond the span
// lies beyond the figure too.
std::string FractionDown(double w) {
  if (!(w > 0.0)) return Shortest(w);
  const int decimals = std::max(0, 2 - static_cast<int>(std::floor(std::log10(w))));
  const double scale = std::pow(10.0, decimals);
  return Chars(std::floor(w * scale + 1e-9) / scale, std::chars_format::fixed, decimals);
}

std::string Degrees(double t) { return Chars(t, std::chars_format::general, 4); }

}  // namespace

expected<reference_set> reference_values(substance_id substance, float mass_fraction, float temperature_celsius) {
  const result ours = api::EvaluatePoint(substance, static_cast<double>(mass_fraction), temperature_celsius,
                                         concentration_unit::mass_fraction, false);
  if (!ours && ours.error().kind == error_kind::inadmissible_input) return ours.error();
  const auto models =
      model::reference::ReferenceValues(static_cast<std::uint8_t>(index_of(substance)),
                                        static_cast<double>(mass_fraction), static_cast<double>(temperature_celsius));
  reference_set out{};
  for (std::size_t i = 0; i < out.size(); ++i) {
    const model::reference::Value& m = models[i];
    reference_value& r = out[i];
    r.property = static_cast<property_kind>(i);
    r.available = m.available;
    r.value = m.available ? m.value : kNaN;
    r.source = m.source;
    r.within_span = m.available && m.withinSpan;
    r.t_min = m.available ? m.span.tMin : kNaN;
    r.t_max = m.available ? m.span.tMax : kNaN;
    r.w_max = m.available ? m.span.wMax : kNaN;
    r.ours = ours ? static_cast<double>(property_value(*ours, r.property)) : kNaN;
    r.deviation = m.available ? (r.ours - r.value) / r.value : kNaN;
  }
  return out;
}

std::string no_reference_note(substance_id substance, const reference_value& value, float mass_fraction,
                              float temperature_celsius) {
  const expected<substance_info> info = find_substance(substance);
  if (!info || info->is_water() || (value.available && value.within_span)) return {};
  std::string note =
      std::string(describe(value.property).words) + " of " + std::string(info->formula) + ": no reference data";
  if (!value.available) return note;
  const auto w = static_cast<double>(mass_fraction);
  const auto t = static_cast<double>(temperature_celsius);
  const std::string at = " at " + Shortest(temperature_celsius) + " °C";
  const std::string upTo = "w = " + FractionDown(value.w_max);
  const bool temperatureInside = t >= value.t_min && t <= value.t_max;
  if (temperatureInside && w > value.w_max) return note + " beyond " + upTo + at;
  note += at + " (data from " + Degrees(value.t_min) + " to " + Degrees(value.t_max) + " °C";
  if (!temperatureInside && w <= value.w_max) return note + ")";
  return note + ", up to " + upTo + ")";
}

expected<std::vector<std::string>> no_reference_notes(substance_id substance, float mass_fraction,
                                                      float temperature_celsius) {
  const expected<reference_set> set = reference_values(substance, mass_fraction, temperature_celsius);
  if (!set) return set.error();
  std::vector<std::string> notes;
  if (substance == water) return notes;
  bool any = false;
  for (const reference_value& v : *set) any = any || v.available;
  if (!any) {
    notes.push_back(std::string(find_substance(substance)->formula) + ": no reference data for any property");
    return notes;
  }
  for (const reference_value& v : *set) {
    std::string note = no_reference_note(substance, v, mass_fraction, temperature_celsius);
    if (!note.empty()) notes.push_back(std::move(note));
  }
  return notes;
}

}  // namespace elprops
