// The points computed during one run, kept for the printed protocol.
//
// Every completed calculation is recorded; nothing is replaced or dropped
// and there is no fixed capacity. Each substance keeps its points in the
// order of recording.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/catalogue.h"

namespace elprops::report {

class RunLog {
 public:
  // Empties every column; LogRow becomes 1. The flags are left alone: the
  // load handler clears them itself, earlier in start-up.
  void Clear();

  // Records one point of substance s (1..19). For water the concentration
  // is stored as 0 and WaterPointsLogged becomes true.
  void RecordPoint(std::uint8_t s, float concentration, float temperature);

  // Concentrations and temperatures of substance s, in recording order.
  [[nodiscard]] const std::vector<float>& LogConcentration(std::uint8_t s) const;
  [[nodiscard]] const std::vector<float>& LogTemperature(std::uint8_t s) const;

  // The number of the next point to be recorded: 1 after Clear, one more
  // after every recorded point.
  [[nodiscard]] std::int64_t LogRow() const { return logRow_; }

  bool WaterPointsLogged = false;
  bool StampPrinted = false;

 private:
  static std::size_t Column(std::uint8_t s);

  std::array<std::vector<float>, model::kSubstanceCount + 1> concentration_{};
  std::array<std::vector<float>, model::kSubstanceCount + 1> temperature_{};
  std::int64_t logRow_ = 1;
};

}  // namespace elprops::report
