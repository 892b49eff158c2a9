// The five properties of a solution from the catalogue's correlations.
//
// Arithmetic is IEEE double, one operation at a time in the written order;
// every named intermediate is rounded to single precision when stored and
// later steps use that single. Build with -ffp-contract=off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/catalogue.h"

namespace elprops::model {

struct PropertySet {
  float Density = 0.0f;              // kg/m3
  float Viscosity = 0.0f;            // Pa*s
  float SurfaceTension = 0.0f;       // N/m
  float HeatCapacity = 0.0f;         // J/(kg*K)
  float ThermalConductivity = 0.0f;  // W/(m*K)
};

enum class Fault : std::uint8_t {
  None,
  LogOfNonPositive,  // natural logarithm of 0 or of a negative value
  DivisionByZero,
  ExpOverflow,       // exp whose result overflows a double
  SingleOverflow,    // a stored value beyond the single-precision range
  InvalidOperation,  // a NaN reached a store
  IndexOutOfRange,   // substance not in 1..19
};

// The outcome of one computation: no fault, or the first fault with the
// step where it happened.
struct ComputeStatus {
  Fault fault = Fault::None;
  std::string_view step;  // e.g. "surface tension factor"

  [[nodiscard]] bool ok() const { return fault == Fault::None; }
  // A short English reason, e.g. "overflow of the single range in surface tension factor".
  [[nodiscard]] std::string Message() const;
};

// Every stored intermediate of one computation, for checking the steps.
struct Intermediates {
  double WaterDensity = 0.0;  // kept in double
  float Lw = 0, Ls = 0, L = 0;
  float W = 0, Vw = 0, p = 0, Vs = 0, V = 0;
  float MoleRatio = 0, P = 0, Q = 0, g = 0, TensionFactor = 0;
  float SigmaW = 0, Sigma = 0;
  float cw = 0, cs = 0;
  float LambdaW = 0, Lambda = 0;
};

inline constexpr float kSolutionTemperatureLimit = 270.0f;
inline constexpr float kWaterTemperatureLimit = 200.0f;

// Computes the PropertySet of substance (1..19) at Concentration and
// Temperature. For water Concentration is set to 0; TemperatureLimit is set
// to 200 for water and 270 otherwise. On a fault `out` is left unchanged and
// the status says what failed. Never throws.
ComputeStatus ComputeProperties(const SubstanceTables& tables, std::uint8_t substance, float& Concentration,
                                float Temperature, float& TemperatureLimit, PropertySet& out,
                                Intermediates* trace = nullptr) noexcept;

// The number of points ComputeMany carries side by side through the
// computation.
inline constexpr std::size_t kComputeManyGroupWidth = 8;

// Computes many independent points in one call: point k is substances[k] at
// concentrations[k] and temperatures[k]; its properties go to out[k] and its
// outcome to status[k]. Each result and status is bit for bit what
// ComputeProperties gives for that point alone, whatever the other points of
// the call and their order:
// - water is computed with concentration 0 (the input span is not written);
// - a substance outside 1..19 gives IndexOutOfRange;
// - a point that faults reports the same first fault and step, and its
//   out[k] is left unchanged (it keeps whatever the caller put there).
// The points are worked on a group at a time, so that their library calls
// overlap and the arithmetic between them takes two points to an
// instruction; faults are looked for once per group, and a point found
// faulted is computed again on its own to name its first fault. Returns
// false and writes nothing when the five spans differ in size. Keeps no
// state: calls on different outputs may run at the same time. Never throws.
[[nodiscard]] bool ComputeMany(const SubstanceTables& tables, std::span<const std::uint8_t> substances,
                               std::span<const float> concentrations, std::span<const float> temperatures,
                               std::span<PropertySet> out, std::span<ComputeStatus> status) noexcept;

}  // namespace elprops::model
