// Quantities derived from the five properties of a point, as heat-transfer
// calculations use them. They are computed from the model's own values (the
// stored singles, widened to double); no data of their own.
#pragma once

#include <cstdint>
#include <optional>

#include "model/catalogue.h"
#include "model/correlations.h"

namespace elprops::model {

enum class Derived : std::uint8_t {
  KinematicViscosity,      // ν = μ/ρ, m²/s
  ThermalDiffusivity,      // a = k/(ρ·c_p), m²/s
  PrandtlNumber,           // Pr = μ·c_p/k
  SpecificVolume,          // v = 1/ρ, m³/kg
  VolumetricHeatCapacity,  // ρ·c_p, J/(m³·K)
  ThermalExpansion,        // β = −(1/ρ)(∂ρ/∂T) at constant composition, 1/K
  HeatTakenUp,             // Δh = ∫c_p dT from a reference temperature, J/kg
};
inline constexpr int kDerivedCount = 7;

// The quantities that follow from the five values of one point alone; NaN
// for the thermal expansion and the heat taken up, which need the model at
// other temperatures.
double FromProperties(Derived quantity, const PropertySet& properties);

// The volumetric thermal expansion coefficient at a point, from the model's
// densities 2.5 K either side (one-sided, second order, within 2.5 K of a
// temperature limit). The densities carry the rounding of their single
// logarithm (about 3e-7 of the value), which over 5 K and with the
// curvature leaves β within 2e-7 1/K, within 6e-7 1/K on one side.
// Nothing where a density cannot be computed.
std::optional<double> ThermalExpansion(const SubstanceTables& tables, std::uint8_t substance, float massFraction,
                                       float temperature);

// The heat taken up by one kilogram of the solution when warmed from `from`
// to `to` (degrees Celsius) at constant composition: ∫c_p dT by four-point
// Gauss–Legendre on equal parts of at most 5 K, exact for polynomials of the
// seventh degree. The heat capacity is a quadratic in T plus the water term
// 1.02·T·ln(T/100); with the rounding of the single heat capacities the
// result lies within 1e-7 of the exact integral, from 0.1 °C upwards.
// Negative when `to` lies below `from`. Nothing where a heat capacity on the
// way cannot be computed.
std::optional<double> HeatTakenUp(const SubstanceTables& tables, std::uint8_t substance, float massFraction, float from,
                                  float to);

// Any derived quantity at a point whose five values are `properties`;
// `reference` is where the heat taken up is counted from.
std::optional<double> DerivedValue(const SubstanceTables& tables, std::uint8_t substance, float massFraction,
                                   float temperature, const PropertySet& properties, Derived quantity, float reference);

}  // namespace elprops::model
