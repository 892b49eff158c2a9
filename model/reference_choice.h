// The reference value of each property at a point: of the independent
// models that cover the salt and the property, the first in order of
// preference whose measurements span the point; when none does, the first
// of them all the same, marked as outside its span.
//
// The order of preference:
//   density, viscosity, heat capacity   Laliberté 2009, then Melinder 2010
//   surface tension                     Dutcher 2010, then Conde 2004 (CaCl2),
//                                       then Talreja-Muthreja 2022 (NaCl)
//   thermal conductivity                Melinder 2010, then Magomedov 2001
// Of Melinder's fits only his own (MNA, MCA, MMG, MKC) are used; MMG is used
// up to w = 0.21 and not for the viscosity, which is far off there. Nothing
// covers barium sulfide; water has no entry (its correlations are compared
// with the IAPWS formulations instead).
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include "model/reference_models.h"

namespace elprops::model::reference {

// In the order of the public property_kind.
enum class Property : std::uint8_t { Density, Viscosity, SurfaceTension, HeatCapacity, ThermalConductivity };
inline constexpr int kPropertyCount = 5;

struct Value {
  bool available = false;                                   // some model covers this salt and property
  double value = std::numeric_limits<double>::quiet_NaN();  // SI units
  std::string_view source;                                  // "Laliberté 2009"
  bool withinSpan = false;                                  // the point lies inside the span of its measurements
  // The span; for Melinder's fits the lower temperature is the freezing
  // point of the brine at the point's mass fraction, where it is higher than
  // the fit's own limit.
  Span span;
};

// The reference values of substance 1..19 at the mass fraction w (kg/kg)
// and the temperature t (°C), in Property order.
std::array<Value, kPropertyCount> ReferenceValues(std::uint8_t substance, double w, double t);

}  // namespace elprops::model::reference
