// The batch run end to end: CSV text in memory, through the point reader,
// the library and the record writer (CSV or JSON), into a sink that only counts,
// with one job and with one per core (the command's default), warnings on
// as by default. The floor beside it reads the same input into lines and
// writes the same output bytes a row at a time, computing nothing. The
// machine may be shared: Time is the wall clock, and cpu_ns_per_point the
// processor time of every thread of the process per point.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>

#include <elprops/substance.hpp>

#include "cli/batch/batch.h"

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
        s += elprops::substances()[substance - 1].formula;
      }
      s += "," + x + "," + t + "\n";
    }
    return s;
  }();
  return input;
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

void BatchRun(benchmark::State& state, elprops::cli::Format format) {
  const std::string& input = Input();
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

// The output of the whole input, for the floor.
const std::string& Output(elprops::cli::Format format) {
  static std::string outputs[2];
  std::string& output = outputs[format == elprops::cli::Format::Json ? 1 : 0];
  if (output.empty()) {
    elprops::cli::MemorySource source(Input());
    elprops::cli::OutputBuffer out([&output](std::string_view data) {
      output += data;
      return true;
    });
    (void)elprops::cli::RunBatch(source, format, out);
    out.Flush();
  }
  return output;
}

// Reading the input into lines and writing the same output a row at a
// time, on one thread: what is left when nothing is computed or formatted.
void FloorRun(benchmark::State& state, elprops::cli::Format format) {
  const std::string& input = Input();
  const std::string& output = Output(format);
  const double cpuStart = ProcessCpuNanoseconds();
  for (auto _ : state) {
    elprops::cli::MemorySource source(input);
    elprops::cli::LineReader lines(source);
    elprops::cli::OutputBuffer out([](std::string_view data) {
      benchmark::DoNotOptimize(data.data());
      return true;
    });
    std::string_view line;
    std::size_t rows = 0;
    std::size_t at = 0;
    while (lines.Next(line) == elprops::cli::LineReader::Result::Line) {
      benchmark::DoNotOptimize(line.data());
      const std::size_t end = output.find('\n', at) + 1;
      out.Append(std::string_view(output).substr(at, end - at));
      out.EndRow();
      at = end;
      ++rows;
    }
    out.Flush();
    benchmark::DoNotOptimize(rows);
  }
  SetCpuPerPoint(state, ProcessCpuNanoseconds() - cpuStart);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

void JobCounts(benchmark::internal::Benchmark* b) {
  b->Arg(1);
  b->Arg(std::max(1u, std::thread::hardware_concurrency()));
}

void BM_BatchCsvFloor(benchmark::State& state) { FloorRun(state, elprops::cli::Format::Csv); }
void BM_BatchCsv(benchmark::State& state) { BatchRun(state, elprops::cli::Format::Csv); }
void BM_BatchJsonFloor(benchmark::State& state) { FloorRun(state, elprops::cli::Format::Json); }
void BM_BatchJson(benchmark::State& state) { BatchRun(state, elprops::cli::Format::Json); }
BENCHMARK(BM_BatchCsvFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_BatchCsv)->Apply(JobCounts)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_BatchJsonFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_BatchJson)->Apply(JobCounts)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
