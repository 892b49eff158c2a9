// The correlations for each substance on a batch of 4096 admissible points,
// against the exp/log floor: the same library calls on the same points, laid
// out and ordered as ComputeMany makes them, with the same dependencies
// between them, and nothing else. ComputeProperties on the same points, one
// call each, for comparison.
//
// Two measurements of ComputeMany against the floor, per substance:
// - BM_LibmFloor and BM_ComputeMany, registered in pairs so that both of a
//   pair meet about the same load on the machine, each timed in CPU time;
// - BM_ManyAgainstFloor, which runs a pass of the floor and a pass of
//   ComputeMany in turn and keeps the fastest pass of each: the steadier
//   figure on a busy machine.
// At the end a table gives both per point with the ratio ComputeMany / floor;
// with --benchmark_repetitions, for the median and for the minimum of the
// repetitions (--benchmark_enable_random_interleaving=true spreads the
// repetitions over the run).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "model/catalogue.h"
#include "model/correlations.h"

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

// The library calls of ComputeMany's groups, in the same order and laid out
// the same way, with arguments of the same size and the same dependencies:
// for each point four logarithms of the inputs (the viscosity base, the
// water density, the temperature ratio, the concentration), the
// exponentials of the viscosity power, the density, the concentration power
// and the tension factor, then the logarithm of the water viscosity and the
// exponential of the viscosity; water and ammonium bicarbonate leave out
// what they do not compute.
template <std::size_t logs, std::size_t exps>
void FloorPass(const Batch& b, std::vector<double>& out) {
  for (std::size_t first = 0; first < kPoints; first += kWidth) {
    double t[kWidth], x[kWidth];
    for (std::size_t l = 0; l < kWidth; ++l) {
      t[l] = static_cast<double>(b.t[first + l]);
      x[l] = static_cast<double>(b.x[first + l]);
    }
    double argument[4 * kWidth], ln[4 * kWidth], e[4 * kWidth];
    for (std::size_t l = 0; l < kWidth; ++l) {
      argument[l] = t[l] + 43.252;
      argument[kWidth + l] = 1002.164 - t[l] * 0.12728;
      argument[2 * kWidth + l] = t[l] / 100.0;
      argument[3 * kWidth + l] = x[l];
    }
#pragma GCC unroll 32
    for (std::size_t i = 0; i < logs; ++i) ln[i] = std::log(argument[i]);
    for (std::size_t l = 0; l < kWidth; ++l) {
      argument[l] = ln[l] * -1.5423;
      argument[kWidth + l] = ln[kWidth + l] * 1.01;
      argument[2 * kWidth + l] = 0.575 * ln[3 * kWidth + l];
      argument[3 * kWidth + l] = x[l] * -0.3;
    }
#pragma GCC unroll 32
    for (std::size_t i = 0; i < exps; ++i) e[i] = std::exp(argument[i]);
    double chain[kWidth];
    for (std::size_t l = 0; l < kWidth; ++l) argument[l] = e[l] * 0.59849;
#pragma GCC unroll 32
    for (std::size_t l = 0; l < kWidth; ++l) chain[l] = std::log(argument[l]);
    for (std::size_t l = 0; l < kWidth; ++l) argument[l] = chain[l] * 0.99;
#pragma GCC unroll 32
    for (std::size_t l = 0; l < kWidth; ++l) chain[l] = std::exp(argument[l]);
    for (std::size_t l = 0; l < kWidth; ++l) {
      double sum = chain[l] + ln[2 * kWidth + l];
      for (std::size_t i = 1; i < exps / kWidth; ++i) sum += e[i * kWidth + l];
      out[first + l] = sum;
    }
  }
}

void FloorPass(std::uint8_t substance, const Batch& b, std::vector<double>& out) {
  if (substance == kWater) {
    FloorPass<3 * kWidth, 2 * kWidth>(b, out);
  } else if (substance == kAmmoniumBicarbonate) {
    FloorPass<4 * kWidth, 3 * kWidth>(b, out);
  } else {
    FloorPass<4 * kWidth, 4 * kWidth>(b, out);
  }
}

void BM_LibmFloor(benchmark::State& state) {
  const auto substance = static_cast<std::uint8_t>(state.range(0));
  const Batch b = Points(substance);
  std::vector<double> out(kPoints);
  for (auto _ : state) {
    FloorPass(substance, b, out);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
  state.SetLabel(Formula(substance));
}

// The floor and ComputeMany in turn, pass after pass, each pass timed on
// its own; reports the fastest pass of each, per point. Passes that another
// program interrupted do not count, and both meet the same machine.
void BM_ManyAgainstFloor(benchmark::State& state) {
  const auto substance = static_cast<std::uint8_t>(state.range(0));
  const elprops::model::SubstanceTables tables = elprops::model::MakeSubstanceTables();
  const Batch b = Points(substance);
  std::vector<double> floorOut(kPoints);
  std::vector<elprops::model::PropertySet> out(kPoints);
  std::vector<elprops::model::ComputeStatus> status(kPoints);
  using Clock = std::chrono::steady_clock;
  Clock::duration floorBest = Clock::duration::max();
  Clock::duration manyBest = Clock::duration::max();
  for (auto _ : state) {
    const auto t0 = Clock::now();
    FloorPass(substance, b, floorOut);
    benchmark::DoNotOptimize(floorOut.data());
    benchmark::ClobberMemory();
    const auto t1 = Clock::now();
    const bool done = elprops::model::ComputeMany(tables, b.substances, b.x, b.t, out, status);
    benchmark::DoNotOptimize(done);
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    floorBest = std::min(floorBest, t1 - t0);
    manyBest = std::min(manyBest, t2 - t1);
  }
  const auto nsPerPoint = [](Clock::duration d) {
    return std::chrono::duration<double, std::nano>(d).count() / static_cast<double>(kPoints);
  };
  state.counters["floor_ns"] = nsPerPoint(floorBest);
  state.counters["many_ns"] = nsPerPoint(manyBest);
  state.counters["ratio"] = nsPerPoint(manyBest) / nsPerPoint(floorBest);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * 2 * kPoints));
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

// The console output, and at the end the figures per point of the floor and
// of ComputeMany with their ratio, substance by substance.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& reports) override {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
      if (run.error_occurred) continue;
      std::string statistic;
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name != "median" && run.aggregate_name != "min") continue;
        statistic = run.aggregate_name + " of the repetitions";
      } else if (run.repetitions > 1) {
        continue;
      } else {
        statistic = "one run";
      }
      const std::string& name = run.run_name.function_name;
      Figures& f = figures_[statistic][run.run_name.args];
      if (name == "BM_ManyAgainstFloor") {
        f.alternatingFloor = run.counters.at("floor_ns");
        f.alternatingMany = run.counters.at("many_ns");
        continue;
      }
      const double nsPerPoint = run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit) /
                                static_cast<double>(kPoints);
      if (name == "BM_LibmFloor") f.floor = nsPerPoint;
      if (name == "BM_ComputeMany") f.many = nsPerPoint;
      if (name == "BM_ComputeProperties") f.single = nsPerPoint;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [statistic, bySubstance] : figures_) {
      std::printf("\nNanoseconds per point, %s; ratio = ComputeMany / floor\n", statistic.c_str());
      std::printf("  separate benchmarks (CPU time) | alternating passes (fastest pass)\n");
      std::printf("%-3s %-10s %7s %7s %6s | %7s %7s %6s | %10s\n", "", "substance", "floor", "many", "ratio", "floor",
                  "many", "ratio", "one by one");
      double worst[2] = {0.0, 0.0};
      for (int i = 1; i <= elprops::model::kSubstanceCount; ++i) {
        const auto row = bySubstance.find(std::to_string(i));
        if (row == bySubstance.end()) continue;
        const Figures& f = row->second;
        std::printf("%-3d %-10s", i, Formula(static_cast<std::uint8_t>(i)).c_str());
        PrintPair(f.floor, f.many, worst[0]);
        std::printf(" |");
        PrintPair(f.alternatingFloor, f.alternatingMany, worst[1]);
        std::printf(" |");
        if (f.single > 0.0) std::printf(" %10.1f", f.single);
        std::printf("\n");
      }
      std::printf("largest ratio: %.3f separate, %.3f alternating\n", worst[0], worst[1]);
    }
  }

 private:
  struct Figures {
    double floor = 0, many = 0, alternatingFloor = 0, alternatingMany = 0, single = 0;
  };

  static void PrintPair(double floor, double many, double& worst) {
    if (floor > 0.0 && many > 0.0) {
      worst = std::max(worst, many / floor);
      std::printf(" %7.1f %7.1f %6.3f", floor, many, many / floor);
    } else {
      std::printf(" %7s %7s %6s", "-", "-", "-");
    }
  }

  // statistic -> substance -> figures
  std::map<std::string, std::map<std::string, Figures>> figures_;
};

void Register() {
  for (int i = 1; i <= elprops::model::kSubstanceCount; ++i) {
    benchmark::RegisterBenchmark("BM_LibmFloor", BM_LibmFloor)->Arg(i)->ComputeStatistics("min", Minimum);
    benchmark::RegisterBenchmark("BM_ComputeMany", BM_ComputeMany)->Arg(i)->ComputeStatistics("min", Minimum);
    benchmark::RegisterBenchmark("BM_ManyAgainstFloor", BM_ManyAgainstFloor)->Arg(i)->ComputeStatistics("min", Minimum);
  }
  benchmark::RegisterBenchmark("BM_ComputeProperties", BM_ComputeProperties)
      ->DenseRange(1, elprops::model::kSubstanceCount)
      ->ComputeStatistics("min", Minimum);
}

// The ratio table goes with the console output only; asked for another
// format (--benchmark_format=json or csv), the program writes what Google
// Benchmark writes, for tools to read.
bool ConsoleFormat(int argc, char** argv) {
  constexpr std::string_view kFlag = "--benchmark_format=";
  bool console = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.substr(0, kFlag.size()) == kFlag) console = arg.substr(kFlag.size()) == "console";
  }
  return console;
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  const bool console = ConsoleFormat(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  if (console) {
    benchmark::RunSpecifiedBenchmarks(&reporter);
  } else {
    benchmark::RunSpecifiedBenchmarks();
  }
  benchmark::Shutdown();
  return 0;
}
