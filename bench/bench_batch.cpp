// The batch run end to end: CSV text in memory, through the point reader,
// the model and the CSV (or JSON) writer, into a sink that only counts.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "batch.h"

namespace {

constexpr std::size_t kPoints = 1'000'000;

// A million admissible points over every substance, written as users do:
// formulas and indices, points and commas.
const std::string& Input() {
  static const std::string input = [] {
    std::string s = "substance,concentration,temperature\n";
    s.reserve(kPoints * 24);
    for (std::size_t i = 0; i < kPoints; ++i) {
      const std::size_t substance = i % 19 + 1;
      // 0.01 to 0.49: computable for every substance.
      const std::size_t hundredths = i % 49 + 1;
      const std::string x = substance == 19 ? "" : (hundredths < 10 ? "0.0" : "0.") + std::to_string(hundredths);
      const std::string t = std::to_string(i % 180 + 1) + (i % 2 == 0 ? ".5" : "");
      if (i % 3 == 0) {  // by index
        s += std::to_string(substance);
      } else {
        s += elprops::model::kCatalogue[substance - 1].Formula;
      }
      s += "," + x + "," + t + "\n";
    }
    return s;
  }();
  return input;
}

void BatchRun(benchmark::State& state, elprops::cli::Format format) {
  const std::string& input = Input();
  const elprops::model::SubstanceTables tables = elprops::model::MakeSubstanceTables();
  std::size_t bytes = 0;
  for (auto _ : state) {
    elprops::cli::MemorySource source(input);
    elprops::cli::OutputBuffer out([&bytes](std::string_view data) {
      bytes += data.size();
      return true;
    });
    const elprops::cli::BatchOutcome outcome = elprops::cli::RunBatch(tables, source, format, out);
    if (outcome.points != kPoints || outcome.exitStatus != elprops::cli::kExitOk) {
      state.SkipWithError("the batch did not compute every point");
      break;
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
  state.counters["output_bytes_per_point"] =
      static_cast<double>(bytes) / static_cast<double>(state.iterations() * kPoints);
}

void BM_BatchCsv(benchmark::State& state) { BatchRun(state, elprops::cli::Format::Csv); }
void BM_BatchJson(benchmark::State& state) { BatchRun(state, elprops::cli::Format::Json); }
BENCHMARK(BM_BatchCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchJson)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
