#include "correlations.h"

#include <cfloat>
#include <cmath>

namespace elprops::model {
namespace {

// Follows every store and library call of one computation and keeps the
// first fault, as a floating-point status word would. Computation goes on
// after a fault (NaNs and infinities propagate harmlessly); the caller looks
// at the status once at the end.
class Checked {
 public:
  [[nodiscard]] const ComputeStatus& status() const { return status_; }

  void step(std::string_view name) { step_ = name; }

  double Ln(double v) {
    if (!(v > 0.0)) fail(std::isnan(v) ? Fault::InvalidOperation : Fault::LogOfNonPositive);
    return std::log(v);
  }

  double Exp(double v) {
    const double r = std::exp(v);
    if (std::isnan(r)) {
      fail(Fault::InvalidOperation);
    } else if (std::isinf(r) && !std::isinf(v)) {
      fail(Fault::ExpOverflow);
    }
    return r;
  }

  double Div(double a, double b) {
    if (b == 0.0) fail(a == 0.0 || std::isnan(a) ? Fault::InvalidOperation : Fault::DivisionByZero);
    return a / b;
  }

  // Rounds to the nearest single, as a store into a single variable does.
  float Store(double v) {
    // Halfway between FLT_MAX and the next power of two: from here on the
    // rounding gives infinity.
    constexpr double kOverflow = static_cast<double>(FLT_MAX) + 0x1p103;
    if (std::isnan(v)) {
      fail(Fault::InvalidOperation);
      return static_cast<float>(v);
    }
    if (std::fabs(v) >= kOverflow) {
      fail(Fault::SingleOverflow);
      return std::signbit(v) ? -HUGE_VALF : HUGE_VALF;
    }
    if (std::fabs(v) > static_cast<double>(FLT_MAX)) return std::signbit(v) ? -FLT_MAX : FLT_MAX;
    return static_cast<float>(v);
  }

 private:
  void fail(Fault f) {
    if (status_.fault == Fault::None) status_ = ComputeStatus{f, step_};
  }

  ComputeStatus status_;
  std::string_view step_;
};

constexpr double Wide(float f) { return static_cast<double>(f); }

}  // namespace

std::string ComputeStatus::Message() const {
  std::string what;
  switch (fault) {
    case Fault::None:
      return "no fault";
    case Fault::LogOfNonPositive:
      what = "logarithm of a value that is not positive";
      break;
    case Fault::DivisionByZero:
      what = "division by zero";
      break;
    case Fault::ExpOverflow:
      what = "exponential overflows";
      break;
    case Fault::SingleOverflow:
      what = "value beyond the single-precision range";
      break;
    case Fault::InvalidOperation:
      what = "invalid operation";
      break;
    case Fault::IndexOutOfRange:
      what = "substance index out of range 1..19";
      break;
  }
  if (!step.empty()) what += " in " + std::string(step);
  return what;
}

ComputeStatus ComputeProperties(const SubstanceTables& tables, std::uint8_t substance, float& Concentration,
                                float Temperature, float& TemperatureLimit, PropertySet& out,
                                Intermediates* trace) noexcept {
  if (substance < 1 || substance > kSubstanceCount) return ComputeStatus{Fault::IndexOutOfRange, "preparation"};
  const std::size_t i = substance;

  // Step 0: preparation.
  if (substance == kWater) {
    Concentration = 0.0f;
    TemperatureLimit = kWaterTemperatureLimit;
  } else {
    TemperatureLimit = kSolutionTemperatureLimit;
  }
  const double x = Wide(Concentration);
  const double T = Wide(Temperature);
  const Coefficients& c = tables.Row[i];
  const double lnTen = Wide(tables.LnTen);
  constexpr double kOne = 1.0;  // the single constants 1, 100 and 18020 are exact
  constexpr double kHundred = 100.0;
  constexpr double kMolarMassOfWaterTimes1000 = 18020.0;
  constexpr double kTensionScale = static_cast<double>(0.049f);

  Checked k;
  Intermediates s;
  PropertySet r;

  // Step 1: density.
  k.step("density");
  s.WaterDensity = (1002.164 - T * 0.12728) - (T * 0.003134) * T;
  s.Lw = k.Store(k.Ln(s.WaterDensity) / lnTen);
  s.Ls = k.Store(((Wide(c.DensityA0) - T * Wide(c.DensityA1)) + (T * Wide(c.DensityA2)) * T) * x);
  s.L = k.Store(Wide(s.Ls) + Wide(s.Lw));
  r.Density = k.Store(k.Exp(Wide(s.L) * std::log(10.0)));

  // Step 2: viscosity.
  k.step("viscosity");
  s.W = k.Store(k.Exp(k.Ln(T + 43.252) * -1.5423));
  s.Vw = k.Store(k.Ln(Wide(s.W) * 0.59849) / lnTen);
  if (x == 0.0) {
    s.Vs = 0.0f;
  } else {
    s.p = k.Store(k.Exp(Wide(tables.ViscosityExponent[i]) * k.Ln(x)));
    s.Vs = k.Store((((T * Wide(c.ViscosityB1) + Wide(c.ViscosityB0)) + (T * Wide(c.ViscosityB2)) * T) +
                    Wide(s.p) * Wide(c.ViscosityB3)) *
                   x);
  }
  s.V = k.Store(Wide(s.Vs) + Wide(s.Vw));
  r.Viscosity = k.Store(k.Exp(Wide(s.V) * lnTen) + 5e-8);

  // Step 3: the factor that scales the surface-tension increase.
  k.step("surface tension factor");
  if (substance == kAmmoniumBicarbonate) {
    s.TensionFactor = k.Store(kOne - x * 0.72);
  } else if (substance == kWater) {
    s.TensionFactor = 1.0f;
  } else {
    const double D = Wide(tables.TensionDivisor[i]);
    s.MoleRatio = k.Store(k.Div(x * kMolarMassOfWaterTimes1000, (kOne - x) * Wide(c.MolarMass)));
    s.P = k.Store((-Wide(c.TensionP0) - T * Wide(c.TensionP1)) - (T * Wide(c.TensionP2)) * T);
    s.Q = k.Store((-Wide(c.TensionQ0) - T * Wide(c.TensionQ1)) - (T * Wide(c.TensionQ2)) * T);
    const double m = Wide(s.MoleRatio);
    s.g = k.Store(k.Div((k.Div(Wide(s.Q) * m, D) + Wide(s.P)) * m, D));
    s.TensionFactor = k.Store(k.Exp(Wide(s.g) * lnTen));
  }

  // Step 4: surface tension.
  k.step("surface tension");
  s.SigmaW = k.Store((0.0756662 - T * 0.000142937) - (T * 2.52178e-7) * T);
  s.Sigma = k.Store((kOne - Wide(s.TensionFactor)) * kTensionScale + Wide(s.SigmaW));
  r.SurfaceTension = k.Store(Wide(s.Sigma) + 5e-7);

  // Step 5: heat capacity.
  k.step("heat capacity");
  s.cw = k.Store((T * 1.02) * k.Ln(k.Div(T, kHundred)) + 4215.45);
  if (substance == kWater) {
    s.cs = 0.0f;
  } else {
    s.cs = k.Store(((((x * Wide(c.HeatCapacityC1)) - Wide(c.HeatCapacityC0)) + T * Wide(c.HeatCapacityC2)) -
                    (T * Wide(c.HeatCapacityC3)) * T) *
                   x);
  }
  r.HeatCapacity = k.Store(Wide(s.cs) + Wide(s.cw));

  // Step 6: thermal conductivity.
  k.step("thermal conductivity");
  s.LambdaW = k.Store((T * 0.00246 + 0.5545) - (T * 1.184e-5) * T);
  s.Lambda = k.Store((kOne - x * Wide(c.ConductivityK)) * Wide(s.LambdaW));
  r.ThermalConductivity = k.Store(Wide(s.Lambda) + 5e-5);

  if (trace != nullptr) *trace = s;
  if (k.status().ok()) out = r;
  return k.status();
}

}  // namespace elprops::model
