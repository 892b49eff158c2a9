#include "model/correlations.h"

#include <cfloat>
#include <cmath>

#include "model/exact_reciprocal.h"

namespace elprops::model {
namespace {

// The steps of the computation, in their order.
enum class Step : std::uint8_t { Density, Viscosity, TensionFactor, SurfaceTension, HeatCapacity, Conductivity };

constexpr std::string_view StepName(Step s) {
  switch (s) {
    case Step::Density:
      return "density";
    case Step::Viscosity:
      return "viscosity";
    case Step::TensionFactor:
      return "surface tension factor";
    case Step::SurfaceTension:
      return "surface tension";
    case Step::HeatCapacity:
      return "heat capacity";
    case Step::Conductivity:
      return "thermal conductivity";
  }
  return {};
}

// Follows every store and library call of one computation and keeps the
// first fault, as a floating-point status word would. Computation goes on
// after a fault (NaNs and infinities propagate harmlessly); the caller looks
// at the status once at the end.
//
// The steps are independent of each other until their results are stored,
// so the computation interleaves them to keep the processor busy while a
// logarithm or an exponential is under way; within a step the operations
// keep their order. The fault reported is the one a strictly sequential
// run meets first: the first of the earliest step that faults.
class Checked {
 public:
  [[nodiscard]] ComputeStatus status() const {
    if (fault_ == Fault::None) return {};
    return ComputeStatus{fault_, StepName(step_)};
  }

  double Ln(Step s, double v) {
    if (!(v > 0.0)) [[unlikely]]
      fail(s, std::isnan(v) ? Fault::InvalidOperation : Fault::LogOfNonPositive);
    return std::log(v);
  }

  double Exp(Step s, double v) {
    const double r = std::exp(v);
    // One comparison on the usual path: exp is never negative.
    if (!(r <= DBL_MAX)) [[unlikely]] {
      if (std::isnan(r)) {
        fail(s, Fault::InvalidOperation);
      } else if (!std::isinf(v)) {
        fail(s, Fault::ExpOverflow);
      }
    }
    return r;
  }

  double Div(Step s, double a, double b) {
    if (b == 0.0) [[unlikely]]
      fail(s, a == 0.0 || std::isnan(a) ? Fault::InvalidOperation : Fault::DivisionByZero);
    return a / b;
  }

  // Rounds to the nearest single, as a store into a single variable does.
  float Store(Step s, double v) {
    if (std::fabs(v) <= static_cast<double>(FLT_MAX)) [[likely]] {
      return static_cast<float>(v);
    }
    return StoreOutsideRange(s, v);
  }

 private:
  float StoreOutsideRange(Step s, double v) {
    // Halfway between FLT_MAX and the next power of two: from here on the
    // rounding gives infinity.
    constexpr double kOverflow = static_cast<double>(FLT_MAX) + 0x1p103;
    if (std::isnan(v)) {
      fail(s, Fault::InvalidOperation);
      return static_cast<float>(v);
    }
    if (std::fabs(v) >= kOverflow) {
      fail(s, Fault::SingleOverflow);
      return std::signbit(v) ? -HUGE_VALF : HUGE_VALF;
    }
    return std::signbit(v) ? -FLT_MAX : FLT_MAX;
  }

  void fail(Step s, Fault f) {
    if (fault_ == Fault::None || s < step_) {
      fault_ = f;
      step_ = s;
    }
  }

  Fault fault_ = Fault::None;
  Step step_ = Step::Density;
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

  // Preparation: water has no concentration and a temperature limit of its own.
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
  constexpr Step kD = Step::Density;
  constexpr Step kV = Step::Viscosity;
  constexpr Step kA = Step::TensionFactor;
  constexpr Step kS = Step::SurfaceTension;
  constexpr Step kC = Step::HeatCapacity;
  constexpr Step kL = Step::Conductivity;
  const bool solution = substance != kWater;
  const bool tensionTables = solution && substance != kAmmoniumBicarbonate;

  // The viscosity needs four library calls one after the other, the
  // longest chain; it starts first and the other steps fill the waits.
  const double lnViscosityBase = k.Ln(kV, T + 43.252);                 // ln of the water viscosity base
  s.WaterDensity = (1002.164 - T * 0.12728) - (T * 0.003134) * T;      // water density
  const double lnWaterDensity = k.Ln(kD, s.WaterDensity);              // ln of the water density
  s.W = k.Store(kV, k.Exp(kV, lnViscosityBase * -1.5423));             // water viscosity power
  const double lnTemperatureRatio = k.Ln(kC, k.Div(kC, T, kHundred));  // ln(T/100) of the water heat capacity
  if (tensionTables) {
    s.MoleRatio = k.Store(kA, k.Div(kA, x * kMolarMassOfWaterTimes1000, (kOne - x) * Wide(c.MolarMass)));  // mole ratio
    s.P = k.Store(kA,
                  (-Wide(c.TensionP0) - T * Wide(c.TensionP1)) - (T * Wide(c.TensionP2)) * T);  // tension polynomial P
    s.Q = k.Store(kA,
                  (-Wide(c.TensionQ0) - T * Wide(c.TensionQ1)) - (T * Wide(c.TensionQ2)) * T);  // tension polynomial Q
  }
  s.Vw = k.Store(kV, k.Ln(kV, Wide(s.W) * 0.59849) / lnTen);  // log10 of the water viscosity

  s.Lw = k.Store(kD, lnWaterDensity / lnTen);  // log10 of the water density
  s.Ls = k.Store(
      kD, ((Wide(c.DensityA0) - T * Wide(c.DensityA1)) + (T * Wide(c.DensityA2)) * T) * x);  // density correction
  s.L = k.Store(kD, Wide(s.Ls) + Wide(s.Lw));                                                // log10 of the density
  r.Density = k.Store(kD, k.Exp(kD, Wide(s.L) * std::log(10.0)));  // density, with ln 10 in double

  if (x == 0.0) {
    s.Vs = 0.0f;
  } else {
    s.p = k.Store(kV, k.Exp(kV, Wide(tables.ViscosityExponent[i]) * k.Ln(kV, x)));  // concentration power
    s.Vs = k.Store(kV, (((T * Wide(c.ViscosityB1) + Wide(c.ViscosityB0)) + (T * Wide(c.ViscosityB2)) * T) +
                        Wide(s.p) * Wide(c.ViscosityB3)) *
                           x);  // viscosity correction
  }

  if (substance == kAmmoniumBicarbonate) {
    s.TensionFactor = k.Store(kA, kOne - x * 0.72);  // tension factor of ammonium bicarbonate
  } else if (!solution) {
    s.TensionFactor = 1.0f;  // tension factor of water
  } else {
    const double D = Wide(tables.TensionDivisor[i]);
    const double m = Wide(s.MoleRatio);
    const double Q = Wide(s.Q);
    const double P = Wide(s.P);
    if (ExactReciprocal(D)) {
      const double inverse = 1.0 / D;
      s.g = k.Store(kA, ((Q * m) * inverse + P) * m * inverse);  // log10 of the tension factor
    } else {
      s.g = k.Store(kA, k.Div(kA, (k.Div(kA, Q * m, D) + P) * m, D));
    }
    s.TensionFactor = k.Store(kA, k.Exp(kA, Wide(s.g) * lnTen));  // tension factor
  }

  s.V = k.Store(kV, Wide(s.Vs) + Wide(s.Vw));                      // log10 of the viscosity
  r.Viscosity = k.Store(kV, k.Exp(kV, Wide(s.V) * lnTen) + 5e-8);  // viscosity and its added constant

  s.cw = k.Store(kC, (T * 1.02) * lnTemperatureRatio + 4215.45);  // water heat capacity
  if (solution) {
    s.cs = k.Store(kC, ((((x * Wide(c.HeatCapacityC1)) - Wide(c.HeatCapacityC0)) + T * Wide(c.HeatCapacityC2)) -
                        (T * Wide(c.HeatCapacityC3)) * T) *
                           x);  // heat capacity correction
  } else {
    s.cs = 0.0f;
  }
  r.HeatCapacity = k.Store(kC, Wide(s.cs) + Wide(s.cw));  // heat capacity

  s.SigmaW = k.Store(kS, (0.0756662 - T * 0.000142937) - (T * 2.52178e-7) * T);  // water surface tension
  s.Sigma = k.Store(
      kS, (kOne - Wide(s.TensionFactor)) * kTensionScale + Wide(s.SigmaW));  // surface tension before its constant
  r.SurfaceTension = k.Store(kS, Wide(s.Sigma) + 5e-7);                      // surface tension and its added constant

  s.LambdaW = k.Store(kL, (T * 0.00246 + 0.5545) - (T * 1.184e-5) * T);          // water thermal conductivity
  s.Lambda = k.Store(kL, (kOne - x * Wide(c.ConductivityK)) * Wide(s.LambdaW));  // conductivity factor applied
  r.ThermalConductivity = k.Store(kL, Wide(s.Lambda) + 5e-5);  // thermal conductivity and its added constant

  if (trace != nullptr) *trace = s;
  const ComputeStatus status = k.status();
  if (status.ok()) out = r;
  return status;
}

}  // namespace elprops::model
