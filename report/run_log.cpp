#include "report/run_log.h"

#include <stdexcept>
#include <string>

namespace elprops::report {

std::size_t RunLog::Column(std::uint8_t s) {
  if (s < 1 || s > model::kSubstanceCount) {
    throw std::out_of_range("run log: substance " + std::to_string(s) + " is out of range 1..19");
  }
  return s;
}

void RunLog::Clear() {
  for (auto& column : concentration_) column.clear();
  for (auto& column : temperature_) column.clear();
  logRow_ = 1;
}

void RunLog::RecordPoint(std::uint8_t s, float concentration, float temperature) {
  const std::size_t column = Column(s);
  if (s == model::kWater) {
    concentration_[column].push_back(0.0f);
    WaterPointsLogged = true;
  } else {
    concentration_[column].push_back(concentration);
  }
  temperature_[column].push_back(temperature);
  ++logRow_;
}

const std::vector<float>& RunLog::LogConcentration(std::uint8_t s) const { return concentration_[Column(s)]; }

const std::vector<float>& RunLog::LogTemperature(std::uint8_t s) const { return temperature_[Column(s)]; }

}  // namespace elprops::report
