#include "model/admissible.h"

#include "model/shortest.h"

#include <cfloat>
#include <cmath>

#include "model/catalogue.h"
#include "model/correlations.h"

namespace elprops::model {

float TemperatureLimitOf(std::uint8_t substance) {
  return substance == kWater ? kWaterTemperatureLimit : kSolutionTemperatureLimit;
}

bool IsAdmissible(std::uint8_t substance, float concentration, float temperature) {
  const bool concentrationOk =
      substance == kWater ? concentration == 0.0f : concentration > 0.0f && concentration < 1.0f;
  return concentrationOk && temperature > kLowestTemperature && temperature < TemperatureLimitOf(substance);
}

std::optional<std::string> InadmissibleReason(std::uint8_t substance, float concentration, float temperature) {
  if (IsAdmissible(substance, concentration, temperature)) return std::nullopt;
  const bool water = substance == kWater;
  if (water) {
    if (concentration != 0.0f) return "water takes no concentration: leave it empty or 0";
  } else if (!(concentration > 0.0f && concentration < 1.0f)) {
    return "concentration " + ShortestSingleText(concentration) + " is not between 0 and 1 (both excluded)";
  }
  const float limit = TemperatureLimitOf(substance);
  if (!(temperature > kLowestTemperature && temperature < limit)) {
    const std::string top = ShortestSingleText(limit) + " °C";
    std::string why =
        "temperature " + ShortestSingleText(temperature) + " °C is outside the range: above 0 °C and below ";
    why += top;
    if (temperature <= 0.0f) {
      why += "; 0 °C and below are not covered";
    } else if (temperature >= limit) {
      why += "; " + top + " and above are not covered";
    } else if (temperature > 0.0f) {
      why += " (to be exact, above 1e-20 °C)";
    }
    return why;
  }
  return std::nullopt;
}

namespace {
constexpr double kSaturationFactor = 0.52551;
constexpr double kSaturationRate = 0.00156214;
}  // namespace

double SaturationTemperature(float concentration) {
  return std::log(static_cast<double>(concentration) / kSaturationFactor) / kSaturationRate;
}

float SaturationConcentration(float temperature) {
  const double value = kSaturationFactor * std::exp(kSaturationRate * static_cast<double>(temperature));
  // Only temperatures far beyond any admissible one leave the single range:
  // from halfway above the largest single the nearest single is infinity.
  if (value > static_cast<double>(FLT_MAX)) {
    return value < static_cast<double>(FLT_MAX) + 0x1p103 ? FLT_MAX : HUGE_VALF;
  }
  return static_cast<float>(value);
}

std::string ShortestSingleText(float value) {
  char buf[kShortestCharsMax];
  return std::string(buf, ShortestChars(buf, value));
}

}  // namespace elprops::model
