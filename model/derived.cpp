#include "model/derived.h"

#include "model/admissible.h"

#include <array>
#include <cmath>
#include <limits>

namespace elprops::model {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::optional<PropertySet> At(const SubstanceTables& tables, std::uint8_t substance, float massFraction,
                              float temperature) {
  float x = massFraction;
  float limit = 0.0f;
  PropertySet p;
  if (!ComputeProperties(tables, substance, x, temperature, limit, p).ok()) return std::nullopt;
  return p;
}

double Wide(float v) { return static_cast<double>(v); }

}  // namespace

double FromProperties(Derived quantity, const PropertySet& p) {
  const double rho = Wide(p.Density);
  const double mu = Wide(p.Viscosity);
  const double cp = Wide(p.HeatCapacity);
  const double k = Wide(p.ThermalConductivity);
  switch (quantity) {
    case Derived::KinematicViscosity:
      return mu / rho;
    case Derived::ThermalDiffusivity:
      return k / (rho * cp);
    case Derived::PrandtlNumber:
      return mu * cp / k;
    case Derived::SpecificVolume:
      return 1.0 / rho;
    case Derived::VolumetricHeatCapacity:
      return rho * cp;
    case Derived::ThermalExpansion:
    case Derived::HeatTakenUp:
      break;
  }
  return kNaN;
}

std::optional<double> ThermalExpansion(const SubstanceTables& tables, std::uint8_t substance, float massFraction,
                                       float temperature) {
  constexpr float kStep = 2.5f;
  const float lowest = kLowestTemperature;
  const float highest = TemperatureLimitOf(substance);
  const auto density = [&](float t) -> std::optional<double> {
    const std::optional<PropertySet> p = At(tables, substance, massFraction, t);
    if (!p) return std::nullopt;
    return Wide(p->Density);
  };
  const std::optional<double> here = density(temperature);
  if (!here) return std::nullopt;
  const float below = temperature - kStep;
  const float above = temperature + kStep;
  std::optional<double> slope;
  if (below > lowest && above < highest) {
    const std::optional<double> a = density(below), b = density(above);
    if (a && b) slope = (*b - *a) / (Wide(above) - Wide(below));
  } else {
    // One-sided, second order: (−3ρ(T) + 4ρ(T ± h) − ρ(T ± 2h)) / (±2h).
    const float h = below > lowest ? -kStep : kStep;
    const std::optional<double> a = density(temperature + h), b = density(temperature + 2.0f * h);
    if (a && b) slope = (-3.0 * *here + 4.0 * *a - *b) / (2.0 * Wide(h));
  }
  if (!slope) return std::nullopt;
  return -*slope / *here;
}

std::optional<double> HeatTakenUp(const SubstanceTables& tables, std::uint8_t substance, float massFraction, float from,
                                  float to) {
  // Nodes and weights of the four-point Gauss–Legendre rule on [−1, 1].
  static constexpr std::array<double, 4> kNodes = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563,
                                                   0.8611363115940526};
  static constexpr std::array<double, 4> kWeights = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461,
                                                     0.3478548451374538};
  constexpr double kLongestPart = 5.0;
  const double a = Wide(from);
  const double b = Wide(to);
  const int parts = std::max(1, static_cast<int>(std::ceil(std::fabs(b - a) / kLongestPart)));
  const double width = (b - a) / parts;
  double sum = 0.0;
  for (int i = 0; i < parts; ++i) {
    const double middle = a + (i + 0.5) * width;
    for (std::size_t n = 0; n < kNodes.size(); ++n) {
      const auto t = static_cast<float>(middle + 0.5 * width * kNodes[n]);
      const std::optional<PropertySet> p = At(tables, substance, massFraction, t);
      if (!p) return std::nullopt;
      sum += kWeights[n] * 0.5 * width * Wide(p->HeatCapacity);
    }
  }
  return sum;
}

std::optional<double> DerivedValue(const SubstanceTables& tables, std::uint8_t substance, float massFraction,
                                   float temperature, const PropertySet& properties, Derived quantity,
                                   float reference) {
  if (quantity == Derived::ThermalExpansion) return ThermalExpansion(tables, substance, massFraction, temperature);
  if (quantity == Derived::HeatTakenUp) return HeatTakenUp(tables, substance, massFraction, reference, temperature);
  return FromProperties(quantity, properties);
}

}  // namespace elprops::model
