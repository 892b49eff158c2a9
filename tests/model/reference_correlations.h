// A second, deliberately plain implementation of the property correlations,
// used only to check the model bit for bit. It writes every double
// operation as a statement of its own, rounds to single at each store, and
// detects arithmetic faults from the floating-point status flags instead of
// testing operands.
#pragma once

#include <cstdint>

#include "model/catalogue.h"

namespace elprops::model::reference {

struct Outcome {
  bool ok = false;
  float concentration = 0;  // after the call (0 for water)
  float density = 0, viscosity = 0, surfaceTension = 0, heatCapacity = 0, thermalConductivity = 0;
};

Outcome Compute(std::uint8_t substance, float concentration, float temperature);

}  // namespace elprops::model::reference
