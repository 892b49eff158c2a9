// The public library on a million points: compute_many into columns, against
// a loop of compute() over the same points (the one-point path as the
// baseline). bench/python_throughput.py runs BM_ComputeMany as the C++ cost
// per point of the Python module's array call, and checks with the counters
// that both computed the same points.
#include <benchmark/benchmark.h>
#include <elprops/elprops.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// 2^20 points over every substance: point i is substance 1 + i % 19, mass
// fraction 0.01f * (1 + (i / 19) % 25) (0 for water), temperature
// 1 + (i / 475) % 99 degrees. bench/python_throughput.py makes the same.
constexpr std::size_t kPoints = std::size_t{1} << 20;

struct Points {
  std::vector<elprops::substance_id> substances;
  std::vector<float> fractions;
  std::vector<float> temperatures;
};

const Points& Grid() {
  static const Points points = [] {
    Points p;
    for (std::size_t i = 0; i < kPoints; ++i) {
      const int substance = 1 + static_cast<int>(i % 19);
      p.substances.push_back(elprops::substance_id{static_cast<std::uint8_t>(substance)});
      p.fractions.push_back(substance == elprops::water_index ? 0.0f : 0.01f * static_cast<float>(1 + (i / 19) % 25));
      p.temperatures.push_back(static_cast<float>(1 + (i / 475) % 99));
    }
    return p;
  }();
  return points;
}

struct Columns {
  std::vector<float> density, viscosity, tension, heat, conductivity;
  std::vector<elprops::error_kind> errors;
  Columns()
      : density(kPoints), viscosity(kPoints), tension(kPoints), heat(kPoints), conductivity(kPoints), errors(kPoints) {}
  elprops::property_columns Spans() { return {density, viscosity, tension, heat, conductivity}; }
};

// The counters the Python side compares: failed points and the sum of the
// computed densities, added in point order.
void Check(benchmark::State& state, const Columns& out, std::size_t failed) {
  double sum = 0.0;
  for (std::size_t i = 0; i < kPoints; ++i) {
    if (out.errors[i] == elprops::error_kind::none) sum += static_cast<double>(out.density[i]);
  }
  state.counters["failed"] = static_cast<double>(failed);
  state.counters["density_sum"] = sum;
  state.counters["points"] = static_cast<double>(kPoints);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

void BM_ComputeMany(benchmark::State& state) {
  const Points& p = Grid();
  Columns out;
  std::size_t failed = 0;
  for (auto _ : state) {
    failed = elprops::compute_many(p.substances, p.fractions, p.temperatures, out.Spans(), out.errors);
    benchmark::DoNotOptimize(out.density.data());
    benchmark::ClobberMemory();
  }
  Check(state, out, failed);
}
BENCHMARK(BM_ComputeMany)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ComputeEachPoint(benchmark::State& state) {
  const Points& p = Grid();
  Columns out;
  std::size_t failed = 0;
  for (auto _ : state) {
    failed = 0;
    for (std::size_t i = 0; i < kPoints; ++i) {
      const elprops::result r = elprops::compute(p.substances[i], p.fractions[i], p.temperatures[i]);
      out.errors[i] = r ? elprops::error_kind::none : r.error().kind;
      out.density[i] = r ? r->density : 0.0f;
      failed += r ? 0 : 1;
    }
    benchmark::DoNotOptimize(out.density.data());
    benchmark::ClobberMemory();
  }
  Check(state, out, failed);
}
BENCHMARK(BM_ComputeEachPoint)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
