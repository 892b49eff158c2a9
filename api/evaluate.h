// The one path from the public functions to the model: one point checked
// and computed, and the loop over many points.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include <elprops/compute.hpp>

namespace elprops::api {

// Checks one point as the window's input would and computes it. On success
// `out` holds the properties and error_kind::none comes back; otherwise
// `out` is unchanged and, when `message` is given, it receives the reason.
error_kind EvaluatePoint(int substance, float massFraction, float temperature, properties& out, std::string* message);

// Where the outputs of the points go: a row per point or a column per
// property.
struct PointSink {
  std::span<properties> rows;
  const property_columns* columns = nullptr;
  std::span<error_kind> errors;
  std::span<std::string> messages;
};

// Points 0 to count-1; inputs of size one stand for every point. Sizes are
// checked by the caller. Returns the number of failed points.
std::size_t EvaluatePoints(std::span<const int> substances, std::span<const float> massFractions,
                           std::span<const float> temperatures, std::size_t count, const PointSink& sink);

}  // namespace elprops::api
