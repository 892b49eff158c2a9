// The one evaluation of a point behind every public function: the
// substance, the concentration in its unit, the input rules, the
// correlations, the warnings and the concentration of the answer; and the
// loop that takes many points through it.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <elprops/compute.hpp>

#include "model/catalogue.h"
#include "model/inverse.h"

namespace elprops::api {

// Built once, on first use, and constant afterwards: safe to share between
// threads.
const model::SubstanceTables& Tables();

// The model's index of a known substance, or the failure for an unknown one.
expected<std::uint8_t> ModelIndex(substance_id substance);

// A double rounded to the nearest float; beyond the float range it is an
// infinity, which the input rules refuse with the value in the message.
float RoundToSingle(double value);

// The mass fraction of a concentration in its unit at a temperature: the
// conversion's failure for a value that has none.
expected<float> MassFraction(std::uint8_t substance, double concentration, float temperature, concentration_unit unit);

// One point with its concentration in `unit`, with or without its warnings.
result EvaluatePoint(substance_id substance, double concentration, float temperature, concentration_unit unit,
                     bool withWarnings = true);

// The inputs of many points; a span of one element stands for every point.
struct PointInputs {
  std::span<const substance_id> substances;
  std::span<const double> concentrations;  // used when massFractions is empty
  std::span<const float> massFractions;
  std::span<const float> temperatures;
  std::span<const concentration_unit> units;  // empty: every point in mass fractions
};

// Points 0 to count-1; sizes are checked by the caller. Returns the number
// of failed points.
std::size_t EvaluatePoints(const PointInputs& in, std::size_t count, const point_outputs& out);

// Appends to a point's warning text those of its values that cannot be
// true, joined by "; " as join_warnings joins them; true when there were
// any. A point whose values are all positive costs one comparison each.
bool AppendImpossibleValues(std::string& text, const properties& values);

// The warning text of a point (check_validity joined), cached per thread by
// substance and temperature; the substance must be known. Valid until the
// thread's next call.
const std::string& WarningText(std::uint8_t substance, float massFraction, float temperature);

// The warnings compute() gives the point of an answer of a solve.
std::vector<warning> AnswerWarnings(substance_id substance, float massFraction, float temperature);

// The public form of a model solution over the mass fractions at a
// temperature, each answer with its warnings; its failure where it has none.
expected<concentration_solution> ConcentrationSolution(const model::Solution& solution, substance_id substance,
                                                       float temperature);

}  // namespace elprops::api
