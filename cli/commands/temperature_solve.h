// elprops-cli solve --for temperature: at which temperatures does a
// quantity of a solution of given concentration take a value?
#pragma once

#include <elprops/derived.hpp>
#include <elprops/substance.hpp>
#include <elprops/vocabulary.hpp>
#include <optional>

#include "cli/input/sweep.h"
#include "cli/output/output_buffer.h"

namespace elprops::cli {

struct TemperatureSolveRequest {
  substance_info substance;
  quantity_kind quantity = quantity_kind::density;
  double value = 0.0;
  derived_options options;
  // The unit of the concentrations: one that does not depend on the
  // temperature (fraction, percent or molality).
  concentration_unit unit = concentration_unit::mass_fraction;
  // Nothing for water, which is solved at a concentration of 0.
  std::optional<Sweep> concentrations;
  Format format = Format::Text;
};

// Solves at every concentration and writes every temperature root: a CSV
// row per root, a JSON line per concentration, a text line per root. The
// exit status: 0, or 1 when a concentration has no answer (the message
// says why, with the reachable range when the value is out of reach).
int RunTemperatureSolve(const TemperatureSolveRequest& request);

}  // namespace elprops::cli
