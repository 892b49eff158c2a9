// The batch run end to end: CSV text in memory, through the point reader,
// the library and the record writer (CSV or JSON), into a sink that only
// counts, with one job and with one per core (the command's default),
// warnings on as by default. Two inputs: a repetitive one (few distinct
// concentrations and temperatures) and one like a measurement log, where
// no concentration or temperature text comes back soon (four significant
// digits, two decimals). The floor beside each, on one thread, reads and
// splits the rows, parses the numbers, computes them with compute_many and
// writes the five properties' shortest texts: what any such program does.
// The machine may be shared: Time is the wall clock, and cpu_ns_per_point
// the processor time of every thread of the process per point.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <elprops/compute.hpp>
#include <elprops/substance.hpp>
#include <elprops/text.hpp>

#include "cli/batch/batch.h"
#include "cli/batch/block_rows.h"
#include "cli/input/point_input.h"

namespace {

constexpr std::size_t kPoints = 1'000'000;

enum class Kind { Repetitive, Unique };

// A million admissible points over every substance, written as users do:
// formulas and indices, points and commas. Repetitive: 49 concentrations
// and 360 temperatures. Unique: concentrations of four significant digits
// (0.01000 to 0.4899) and temperatures of two decimals (0.01 to 180.00)
// that follow no short cycle.
std::string MakeInput(Kind kind) {
  std::string s = "substance,concentration,temperature\n";
  s.reserve(kPoints * 28);
  char cell[32];
  for (std::size_t i = 0; i < kPoints; ++i) {
    const std::size_t substance = i % 19 + 1;
    std::string x, t;
    if (kind == Kind::Repetitive) {
      // 0.01 to 0.49: computable for every substance.
      const std::size_t hundredths = i % 49 + 1;
      x = (hundredths < 10 ? "0.0" : "0.") + std::to_string(hundredths);
      t = std::to_string(i % 180 + 1) + (i % 2 == 0 ? ".5" : "");
    } else {
      const std::size_t digits = 1000 + (i * 7919) % 3900;
      std::snprintf(cell, sizeof cell, i % 2 == 0 ? "0.%04zu" : "0.0%04zu", digits);
      x = cell;
      const std::size_t hundredths = 1 + (i * 104729) % 18000;
      std::snprintf(cell, sizeof cell, "%zu.%02zu", hundredths / 100, hundredths % 100);
      t = cell;
    }
    if (substance == 19) x.clear();  // water has no concentration
    s += i % 3 == 0 ? std::to_string(substance) : std::string(elprops::substances()[substance - 1].formula);
    s += "," + x + "," + t + "\n";
  }
  return s;
}

const std::string& Input(Kind kind) {
  static const std::string inputs[2] = {MakeInput(Kind::Repetitive), MakeInput(Kind::Unique)};
  return inputs[kind == Kind::Unique ? 1 : 0];
}

// Processor time of the whole process, all threads, in nanoseconds.
double ProcessCpuNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

void SetCpuPerPoint(benchmark::State& state, double cpuNanoseconds) {
  state.counters["cpu_ns_per_point"] = cpuNanoseconds / static_cast<double>(state.iterations() * kPoints);
}

void BatchRun(benchmark::State& state, elprops::cli::Format format, Kind kind) {
  const std::string& input = Input(kind);
  const auto jobs = static_cast<unsigned>(state.range(0));
  std::size_t bytes = 0;
  const double cpuStart = ProcessCpuNanoseconds();
  for (auto _ : state) {
    elprops::cli::MemorySource source(input);
    elprops::cli::OutputBuffer out([&bytes](std::string_view data) {
      bytes += data.size();
      benchmark::DoNotOptimize(data.data());
      return true;
    });
    const elprops::cli::BatchOutcome outcome = elprops::cli::RunBatch(source, format, out, nullptr, {}, jobs);
    if (outcome.points != kPoints || outcome.exitStatus != elprops::cli::kExitOk) {
      state.SkipWithError("the batch did not compute every point");
      break;
    }
  }
  SetCpuPerPoint(state, ProcessCpuNanoseconds() - cpuStart);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
  state.counters["jobs"] = static_cast<double>(jobs);
  state.counters["output_bytes_per_point"] =
      static_cast<double>(bytes) / static_cast<double>(state.iterations() * kPoints);
}

// The points of the floor's rows, computed a block at a time.
struct FloorBlock {
  std::vector<elprops::substance_id> substances;
  std::vector<double> concentrations;
  std::vector<float> temperatures;
  std::vector<elprops::properties> rows;
  std::vector<elprops::error_kind> errors;
  std::vector<std::string> messages, warnings;
  std::vector<float> massFractions;

  void Add(std::uint8_t substance, float x, float t) {
    substances.push_back(elprops::substance_id{substance});
    concentrations.push_back(static_cast<double>(x));
    temperatures.push_back(t);
  }
  // Computes the block and writes each point's five properties.
  void Write(elprops::cli::OutputBuffer& out) {
    const std::size_t n = substances.size();
    rows.resize(n);
    errors.resize(n);
    messages.resize(n);
    warnings.resize(n);
    massFractions.resize(n);
    elprops::point_outputs outputs;
    outputs.rows = rows;
    outputs.errors = errors;
    outputs.messages = messages;
    outputs.mass_fractions = massFractions;
    outputs.warnings = warnings;
    const elprops::concentration_unit unit = elprops::concentration_unit::mass_fraction;
    (void)elprops::compute_many(substances, concentrations, temperatures, {&unit, 1}, outputs);
    for (const elprops::properties& p : rows) {
      for (const float v : {p.density, p.viscosity, p.surface_tension, p.heat_capacity, p.thermal_conductivity}) {
        char* at = out.Reserve(elprops::shortest_chars_max + 1);
        at = elprops::shortest_chars(at, v);
        *at++ = ',';
        out.Commit(at);
      }
      out.Append('\n');
      out.EndRow();
    }
    substances.clear();
    concentrations.clear();
    temperatures.clear();
  }
};

// The floor on one thread: lines split at their commas, the substance
// looked up, the numbers parsed, the points computed with compute_many a
// block at a time, the five properties written.
void FloorRun(benchmark::State& state, Kind kind) {
  const std::string& input = Input(kind);
  const double cpuStart = ProcessCpuNanoseconds();
  for (auto _ : state) {
    elprops::cli::MemorySource source(input);
    elprops::cli::LineReader lines(source);
    elprops::cli::OutputBuffer out([](std::string_view data) {
      benchmark::DoNotOptimize(data.data());
      return true;
    });
    elprops::cli::SubstanceNames names;
    FloorBlock block;
    std::string_view line;
    (void)lines.Next(line);  // the header
    while (lines.Next(line) == elprops::cli::LineReader::Result::Line) {
      const std::size_t first = line.find(',');
      const std::size_t second = line.find(',', first + 1);
      const std::string_view x = line.substr(first + 1, second - first - 1);
      block.Add(names.Find(line.substr(0, first)), x.empty() ? 0.0f : elprops::cli::ParseSingle(x).value,
                elprops::cli::ParseSingle(line.substr(second + 1)).value);
      if (block.substances.size() == 2048) block.Write(out);
    }
    block.Write(out);
    out.Flush();
  }
  SetCpuPerPoint(state, ProcessCpuNanoseconds() - cpuStart);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

void JobCounts(benchmark::internal::Benchmark* b) {
  b->Arg(1);
  b->Arg(std::max(1u, std::thread::hardware_concurrency()));
}

constexpr auto kCsv = elprops::cli::Format::Csv;
constexpr auto kJson = elprops::cli::Format::Json;
void BM_Floor(benchmark::State& state) { FloorRun(state, Kind::Repetitive); }
void BM_BatchCsv(benchmark::State& state) { BatchRun(state, kCsv, Kind::Repetitive); }
void BM_BatchJson(benchmark::State& state) { BatchRun(state, kJson, Kind::Repetitive); }
void BM_UniqueFloor(benchmark::State& state) { FloorRun(state, Kind::Unique); }
void BM_UniqueCsv(benchmark::State& state) { BatchRun(state, kCsv, Kind::Unique); }
void BM_UniqueJson(benchmark::State& state) { BatchRun(state, kJson, Kind::Unique); }
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_BatchCsv)->Apply(JobCounts)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_BatchJson)->Apply(JobCounts)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_UniqueFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_UniqueCsv)->Apply(JobCounts)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_UniqueJson)->Apply(JobCounts)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
