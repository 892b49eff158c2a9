// ComputeProperties for each substance, against a loop that makes only the
// library calls of one point (the exp/log floor).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "catalogue.h"
#include "correlations.h"

namespace {

using elprops::model::kWater;

struct Point {
  float x, t;
};

// Admissible points spread over the range: concentrations 0.01 to 0.5,
// temperatures 1 to 199 degrees.
std::vector<Point> Points(std::uint8_t substance) {
  std::vector<Point> points;
  for (int i = 0; i < 32; ++i) {
    for (int k = 0; k < 32; ++k) {
      const float x = substance == kWater ? 0.0f : 0.01f + 0.49f * static_cast<float>(i) / 31.0f;
      points.push_back({x, 1.0f + 198.0f * static_cast<float>(k) / 31.0f});
    }
  }
  return points;
}

void BM_ComputeProperties(benchmark::State& state) {
  const auto substance = static_cast<std::uint8_t>(state.range(0));
  const elprops::model::SubstanceTables tables = elprops::model::MakeSubstanceTables();
  const std::vector<Point> points = Points(substance);
  elprops::model::PropertySet out;
  float limit = 0.0f;
  for (auto _ : state) {
    for (const Point& p : points) {
      float x = p.x;
      const auto status = elprops::model::ComputeProperties(tables, substance, x, p.t, limit, out);
      benchmark::DoNotOptimize(status);
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * points.size()));
  state.SetLabel(std::string(elprops::model::CatalogueEntry(substance).Formula));
}
BENCHMARK(BM_ComputeProperties)->DenseRange(1, 19);

// The same logarithms and exponentials as one point of the substance, with
// arguments of the same size and the same dependencies between the calls,
// and nothing else.
void BM_LibmFloor(benchmark::State& state) {
  const auto substance = static_cast<std::uint8_t>(state.range(0));
  const std::vector<Point> points = Points(substance);
  const bool water = substance == kWater;
  const bool tensionExp = substance != kWater && substance != 1;
  for (auto _ : state) {
    for (const Point& p : points) {
      const double t = static_cast<double>(p.t);
      const double x = static_cast<double>(p.x);
      double sum = 0.0;
      const double lnRho = std::log(1002.164 - t * 0.12728);  // water density
      sum += std::exp(lnRho * 1.01);                          // density
      const double w = std::exp(std::log(t + 43.252) * -1.5423);
      const double lnW = std::log(w * 0.59849);
      if (!water) sum += std::exp(0.575 * std::log(x));  // concentration power
      sum += std::exp(lnW * 0.99);                       // viscosity
      if (tensionExp) sum += std::exp(x * -0.3);         // tension factor
      sum += std::log(t / 100.0);                        // heat capacity
      benchmark::DoNotOptimize(sum);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * points.size()));
  state.SetLabel(std::string(elprops::model::CatalogueEntry(substance).Formula));
}
BENCHMARK(BM_LibmFloor)->DenseRange(1, 19);

}  // namespace

BENCHMARK_MAIN();
