// The correlations for each substance on a batch of 4096 admissible points,
// against the exp/log floor: the same library calls on the same points, with
// the same dependencies between them, and nothing else.
//
// The floor and ComputeMany are registered in pairs, substance by substance,
// so that both of a pair meet the same load on the machine; at the end a
// table gives their CPU time per point and the ratio. With
// --benchmark_repetitions the table is printed for the median and for the
// minimum of the repetitions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "catalogue.h"
#include "correlations.h"

namespace {

using elprops::model::kAmmoniumBicarbonate;
using elprops::model::kWater;

constexpr std::size_t kPoints = 4096;
constexpr std::size_t kWidth = elprops::model::kComputeManyGroupWidth;

struct Batch {
  std::vector<std::uint8_t> substances;
  std::vector<float> x, t;
};

// Admissible points in random order: concentrations 0.001 to 0.5,
// temperatures 0.5 to 199 degrees (water's range, inside everybody's).
Batch Points(std::uint8_t substance) {
  std::mt19937 rng(1234u + substance);
  std::uniform_real_distribution<float> concentration(0.001f, 0.5f);
  std::uniform_real_distribution<float> temperature(0.5f, 199.0f);
  Batch b;
  for (std::size_t k = 0; k < kPoints; ++k) {
    b.substances.push_back(substance);
    b.x.push_back(substance == kWater ? 0.0f : concentration(rng));
    b.t.push_back(temperature(rng));
  }
  return b;
}

std::string Formula(std::uint8_t substance) { return std::string(elprops::model::CatalogueEntry(substance).Formula); }

void BM_ComputeMany(benchmark::State& state) {
  const auto substance = static_cast<std::uint8_t>(state.range(0));
  const elprops::model::SubstanceTables tables = elprops::model::MakeSubstanceTables();
  const Batch b = Points(substance);
  std::vector<elprops::model::PropertySet> out(kPoints);
  std::vector<elprops::model::ComputeStatus> status(kPoints);
  for (auto _ : state) {
    const bool done = elprops::model::ComputeMany(tables, b.substances, b.x, b.t, out, status);
    benchmark::DoNotOptimize(done);
    benchmark::ClobberMemory();
  }
  const auto faults = std::count_if(status.begin(), status.end(), [](const auto& s) { return !s.ok(); });
  if (faults != 0) state.SkipWithError("the batch has faulting points");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
  state.SetLabel(Formula(substance));
}

// The library calls of ComputeMany's groups, in the same order, with
// arguments of the same size and the same dependencies: for each point four
// logarithms of the inputs (the viscosity base, the water density, the
// temperature ratio, the concentration), the exponentials of the viscosity
// power, the density, the concentration power and the tension factor, then
// the logarithm of the water viscosity and the exponential of the viscosity.
void BM_LibmFloor(benchmark::State& state) {
  const auto substance = static_cast<std::uint8_t>(state.range(0));
  const Batch b = Points(substance);
  const bool solution = substance != kWater;
  const bool tensionExp = solution && substance != kAmmoniumBicarbonate;
  std::vector<double> out(kPoints);
  for (auto _ : state) {
    for (std::size_t first = 0; first < kPoints; first += kWidth) {
      double t[kWidth], x[kWidth];
      for (std::size_t l = 0; l < kWidth; ++l) {
        t[l] = static_cast<double>(b.t[first + l]);
        x[l] = static_cast<double>(b.x[first + l]);
      }
      double lnBase[kWidth], lnRho[kWidth], lnRatio[kWidth], lnX[kWidth];
      for (std::size_t l = 0; l < kWidth; ++l) lnBase[l] = std::log(t[l] + 43.252);
      for (std::size_t l = 0; l < kWidth; ++l) lnRho[l] = std::log(1002.164 - t[l] * 0.12728);
      for (std::size_t l = 0; l < kWidth; ++l) lnRatio[l] = std::log(t[l] / 100.0);
      if (solution) {
        for (std::size_t l = 0; l < kWidth; ++l) lnX[l] = std::log(x[l]);
      }
      double w[kWidth], sum[kWidth];
      for (std::size_t l = 0; l < kWidth; ++l) w[l] = std::exp(lnBase[l] * -1.5423);
      for (std::size_t l = 0; l < kWidth; ++l) sum[l] = std::exp(lnRho[l] * 1.01) + lnRatio[l];
      if (solution) {
        for (std::size_t l = 0; l < kWidth; ++l) sum[l] += std::exp(0.575 * lnX[l]);
      }
      if (tensionExp) {
        for (std::size_t l = 0; l < kWidth; ++l) sum[l] += std::exp(x[l] * -0.3);
      }
      double lnW[kWidth];
      for (std::size_t l = 0; l < kWidth; ++l) lnW[l] = std::log(w[l] * 0.59849);
      for (std::size_t l = 0; l < kWidth; ++l) out[first + l] = sum[l] + std::exp(lnW[l] * 0.99);
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
  state.SetLabel(Formula(substance));
}

// The same points one call at a time, for comparison.
void BM_ComputeProperties(benchmark::State& state) {
  const auto substance = static_cast<std::uint8_t>(state.range(0));
  const elprops::model::SubstanceTables tables = elprops::model::MakeSubstanceTables();
  const Batch b = Points(substance);
  elprops::model::PropertySet out;
  float limit = 0.0f;
  for (auto _ : state) {
    for (std::size_t k = 0; k < kPoints; ++k) {
      float x = b.x[k];
      const auto status = elprops::model::ComputeProperties(tables, substance, x, b.t[k], limit, out);
      benchmark::DoNotOptimize(status);
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
  state.SetLabel(Formula(substance));
}

double Minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The console output, and at the end CPU time per point of the floor and of
// ComputeMany with their ratio, substance by substance.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& reports) override {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
      if (run.error_occurred) continue;
      std::string statistic;
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name != "median" && run.aggregate_name != "min") continue;
        statistic = run.aggregate_name;
      } else if (run.repetitions > 1) {
        continue;
      } else {
        statistic = "single run";
      }
      const double nsPerPoint = run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit) /
                                static_cast<double>(kPoints);
      figures_[statistic][run.run_name.args][run.run_name.function_name] = nsPerPoint;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [statistic, bySubstance] : figures_) {
      std::printf("\nCPU time per point, %s of the runs; ratio = ComputeMany / floor\n", statistic.c_str());
      std::printf("%-10s %-10s %10s %12s %7s %18s\n", "substance", "", "floor ns", "many ns", "ratio", "one by one ns");
      double worst = 0.0;
      for (int i = 1; i <= elprops::model::kSubstanceCount; ++i) {
        const auto row = bySubstance.find(std::to_string(i));
        if (row == bySubstance.end()) continue;
        const auto floor = row->second.find("BM_LibmFloor");
        const auto many = row->second.find("BM_ComputeMany");
        const auto single = row->second.find("BM_ComputeProperties");
        if (floor == row->second.end() || many == row->second.end()) continue;
        const double ratio = many->second / floor->second;
        worst = std::max(worst, ratio);
        std::printf("%-10d %-10s %10.1f %12.1f %7.3f", i, Formula(static_cast<std::uint8_t>(i)).c_str(), floor->second,
                    many->second, ratio);
        if (single != row->second.end()) std::printf(" %18.1f", single->second);
        std::printf("\n");
      }
      std::printf("largest ratio %.3f\n", worst);
    }
  }

 private:
  // statistic -> substance -> benchmark -> ns per point
  std::map<std::string, std::map<std::string, std::map<std::string, double>>> figures_;
};

void Register() {
  for (int i = 1; i <= elprops::model::kSubstanceCount; ++i) {
    benchmark::RegisterBenchmark("BM_LibmFloor", BM_LibmFloor)->Arg(i)->ComputeStatistics("min", Minimum);
    benchmark::RegisterBenchmark("BM_ComputeMany", BM_ComputeMany)->Arg(i)->ComputeStatistics("min", Minimum);
  }
  benchmark::RegisterBenchmark("BM_ComputeProperties", BM_ComputeProperties)
      ->DenseRange(1, elprops::model::kSubstanceCount)
      ->ComputeStatistics("min", Minimum);
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
