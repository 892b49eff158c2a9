// Which points the window accepts, and the calcium chloride saturation
// limit. Shared by the window, the command line and the public library so
// that all of them refuse the same points with the same words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace elprops::model {

// The lower temperature bound, kept in single precision as it is compared.
inline constexpr float kLowestTemperature = 1e-20f;

// The upper temperature bound of a substance: 200 for water, 270 otherwise.
float TemperatureLimitOf(std::uint8_t substance);

// Why a point would be refused by the window's input, or nothing when it is
// admissible: for salts 0 < concentration < 1, for water a concentration of
// 0; the temperature above 1e-20 and below 270 (200 for water), in words
// "above 0 °C and below 270 °C". A value on a limit is refused. The substance must be 1 to 19.
std::optional<std::string> InadmissibleReason(std::uint8_t substance, float concentration, float temperature);

// True exactly when InadmissibleReason gives nothing; for many points, as
// it builds no text.
bool IsAdmissible(std::uint8_t substance, float concentration, float temperature);

// The saturation mass fraction of calcium chloride at a temperature in
// degrees Celsius: 0.52551 * exp(0.00156214 * T), computed in double and
// rounded to the nearest single. The fit was made for 0 to 100 degrees; the
// window applies it at every admissible temperature.
float SaturationConcentration(float temperature);
// The temperature at which a concentration is saturated by that fit, in
// double: its inverse.
double SaturationTemperature(float concentration);

// The temperature range the saturation fit was made for, in degrees Celsius.
inline constexpr float kSaturationFitLowest = 0.0f;
inline constexpr float kSaturationFitHighest = 100.0f;

// The shortest decimal text that reads back to exactly the same single
// ("0.1", "1070.638", "1e-20"), always with a point.
std::string ShortestSingleText(float value);

}  // namespace elprops::model
