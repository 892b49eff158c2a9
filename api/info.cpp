#include <elprops/saturation.hpp>
#include <elprops/version.hpp>

#include "model/admissible.h"

namespace elprops {

std::string_view version() noexcept { return ELPROPS_VERSION_STRING; }

float calcium_chloride_saturation(float temperature_celsius) noexcept {
  return model::SaturationConcentration(temperature_celsius);
}

double calcium_chloride_saturation_temperature(float mass_fraction) noexcept {
  return model::SaturationTemperature(mass_fraction);
}

static_assert(calcium_chloride_saturation_range.lowest == model::kSaturationFitLowest &&
              calcium_chloride_saturation_range.highest == model::kSaturationFitHighest);

}  // namespace elprops
