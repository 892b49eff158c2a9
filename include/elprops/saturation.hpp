// The saturation limit of calcium chloride solutions.
#pragma once

#include <elprops/export.hpp>

namespace elprops {

struct temperature_range {
  float lowest = 0.0f;   // degrees Celsius
  float highest = 0.0f;  // degrees Celsius
};

// The temperatures the saturation fit was made for.
inline constexpr temperature_range calcium_chloride_saturation_range{0.0f, 100.0f};

// The saturation mass fraction of calcium chloride, kg/kg, at a temperature
// in degrees Celsius: 0.52551 * exp(0.00156214 * T) computed in double and
// rounded to the nearest float (0.5421876 at 20 degrees, 0.6143613 at 100).
// The window warns when a calcium chloride concentration lies above it, at
// any admissible temperature; outside calcium_chloride_saturation_range the
// value is an extrapolation.
ELPROPS_API float calcium_chloride_saturation(float temperature_celsius) noexcept;

// The temperature in degrees Celsius at which a calcium chloride mass
// fraction is saturated by that fit: ln(w / 0.52551) / 0.00156214, in
// double.
ELPROPS_API double calcium_chloride_saturation_temperature(float mass_fraction) noexcept;

}  // namespace elprops
