// The protocol of a long run: 1,900 points, 100 for each substance, as the
// text lines the printer receives and as a PDF; a run of a million points
// of one concentration written out as text line by line, next to the floor
// of computing the points and writing as many bytes; and the exchange sort
// of a million keys of various shapes next to an ordinary sort of the same
// keys.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/catalogue.h"
#include "model/correlations.h"
#include "report/format.h"
#include "report/line_printer.h"
#include "report/protocol.h"
#include "report/run_log.h"

#ifdef ELPROPS_WITH_PDF
#include <QByteArray>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "qt/qt_printer.h"
#endif

namespace {

using namespace elprops;

class FixedClock final : public platform::ClockOps {
 public:
  [[nodiscard]] platform::LocalDateTime Now() const override { return {2026, 12, 8, 14, 5, 9}; }
};

class RussianLocale final : public platform::LocaleOps {
 public:
  [[nodiscard]] std::string DecimalSeparator() const override { return ","; }
  [[nodiscard]] std::string ShortDateDay(int day) const override {
    std::string text = std::to_string(day);
    if (day < 10) text.insert(0, 1, '0');
    return text;
  }
  [[nodiscard]] std::string TimeText(const platform::LocalDateTime&) const override { return "14:05:09"; }
};

// 100 points for each of the 19 substances, interleaved as a user would
// record them, concentrations and temperatures in no particular order.
report::RunLog LongRun() {
  report::RunLog log;
  log.Clear();
  for (int i = 0; i < 100; ++i) {
    for (std::uint8_t s = 1; s <= model::kSubstanceCount; ++s) {
      const float concentration = 0.01f + 0.0029f * static_cast<float>((i * 37) % 100);
      const float temperature = 5.0f + 1.5f * static_cast<float>((i * 53) % 100);
      log.RecordPoint(s, concentration, temperature);
    }
  }
  return log;
}

void BM_ProtocolText(benchmark::State& state) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  const report::RunLog run = LongRun();
  const FixedClock clock;
  const RussianLocale locale;
  std::size_t bytes = 0;
  for (auto _ : state) {
    report::RunLog log = run;
    report::LinePrinter printer;
    report::PrintProtocol(tables, log, printer, clock, locale);
    const std::string text = printer.Text();
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ProtocolText)->Unit(benchmark::kMillisecond);

// The null device, open for writing while the object lives.
struct NullDevice {
  NullDevice() = default;
  NullDevice(const NullDevice&) = delete;
  NullDevice& operator=(const NullDevice&) = delete;
  ~NullDevice() {
    if (file != nullptr) std::fclose(file);
  }
  std::FILE* file = std::fopen("/dev/null", "w");
};

// The 1,900 points again, each line written to the null device as it is
// printed.
void BM_ProtocolStream(benchmark::State& state) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  const report::RunLog run = LongRun();
  const FixedClock clock;
  const RussianLocale locale;
  const NullDevice null;
  if (null.file == nullptr) {
    state.SkipWithError("cannot open /dev/null");
    return;
  }
  std::FILE* sink = null.file;
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    report::RunLog log = run;
    report::FilePrinter printer(sink);
    report::PrintProtocol(tables, log, printer, clock, locale);
    bytes = printer.BytesWritten();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ProtocolStream)->Unit(benchmark::kMillisecond);

constexpr std::size_t kMillion = 1'000'000;
constexpr std::uint8_t kSodiumChloride = 17;

// A million points of sodium chloride at 0.1, the temperature swept from 5
// to 95 degrees in steps of 0.01 over and over: one concentration, so the
// sort meets a million equal keys.
report::RunLog SweepRun() {
  report::RunLog log;
  log.Clear();
  for (std::size_t i = 0; i < kMillion; ++i) {
    log.RecordPoint(kSodiumChloride, 0.1f, 5.0f + static_cast<float>(i % 9001) * 0.01f);
  }
  return log;
}

// The peak of the resident memory since the last reset, in megabytes; the
// reset works on Linux 4.0 and later, elsewhere the peak of the process.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
double PeakMemoryMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmHWM:") {
      double kilobytes = 0.0;
      status >> kilobytes;
      return kilobytes / 1024.0;
    }
  }
  return 0.0;
}

void BM_ProtocolMillionPoints(benchmark::State& state) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  const report::RunLog run = SweepRun();
  const FixedClock clock;
  const RussianLocale locale;
  const NullDevice null;
  if (null.file == nullptr) {
    state.SkipWithError("cannot open /dev/null");
    return;
  }
  std::FILE* sink = null.file;
  std::uint64_t bytes = 0;
  double peak = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    report::RunLog log = run;
    ResetPeakMemory();
    state.ResumeTiming();
    report::FilePrinter printer(sink);
    const platform::PrintOutcome outcome = report::PrintProtocol(tables, log, printer, clock, locale);
    if (outcome.kind != platform::PrintOutcome::Kind::Printed) {
      state.SkipWithError(outcome.detail.c_str());
      break;
    }
    bytes = printer.BytesWritten();
    peak = std::max(peak, PeakMemoryMegabytes());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_ProtocolMillionPoints)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor of the million points: each point computed and as many bytes
// written (a row and a rule line of fixed text), with no sorting and no
// formatting.
void BM_ProtocolMillionPointsFloor(benchmark::State& state) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  const report::RunLog run = SweepRun();
  const NullDevice null;
  if (null.file == nullptr) {
    state.SkipWithError("cannot open /dev/null");
    return;
  }
  std::FILE* sink = null.file;
  const std::string row = "| 0,1000 |   20,00   | 1070,6  |0,001208|   0,07965   |  3747,  |  0,587  |\n";
  const std::string rule = report::RuleLine() + "\n";
  for (auto _ : state) {
    const std::vector<float>& concentrations = run.LogConcentration(kSodiumChloride);
    const std::vector<float>& temperatures = run.LogTemperature(kSodiumChloride);
    for (std::size_t m = 0; m < concentrations.size(); ++m) {
      float concentration = concentrations[m];
      float limit = 0.0f;
      model::PropertySet properties;
      const auto status =
          model::ComputeProperties(tables, kSodiumChloride, concentration, temperatures[m], limit, properties);
      benchmark::DoNotOptimize(status);
      benchmark::DoNotOptimize(properties);
      std::fwrite(row.data(), 1, row.size(), sink);
      std::fwrite(rule.data(), 1, rule.size(), sink);
    }
    std::fflush(sink);
  }
}
BENCHMARK(BM_ProtocolMillionPointsFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

// Shapes of a million sort keys.
enum class KeyShape : std::uint8_t {
  OneValue,           // the sweep: every key equal
  RandomDistinct,     // no two keys equal
  Descending,         // every pass carries a key through all the rest
  DescendingPairs,    // the same with every key twice
  TwoValuesRandom,    // half a million ties each
  TenValuesRandom,    //
  ThousandValues,     //
  Alternating,        // 2, 1, 2, 1, ...: every smaller key moves the twos
  HalvesDescending,   // half a million twos, then half a million ones
  NaNEveryThirdKey,   // segments of two keys between NaNs
  NaNEveryThousandth  // a thousand segments with ties
};

std::vector<float> ShapedKeys(KeyShape shape) {
  std::mt19937 random(99);
  std::vector<float> keys(kMillion);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (std::size_t i = 0; i < kMillion; ++i) {
    const auto draw = static_cast<std::uint32_t>(random());
    switch (shape) {
      case KeyShape::OneValue:
        keys[i] = 0.1f;
        break;
      case KeyShape::RandomDistinct:
        keys[i] = static_cast<float>(i);
        break;
      case KeyShape::Descending:
        keys[i] = static_cast<float>(kMillion - i);
        break;
      case KeyShape::DescendingPairs:
        keys[i] = static_cast<float>((kMillion - i) / 2);
        break;
      case KeyShape::TwoValuesRandom:
        keys[i] = static_cast<float>(draw % 2);
        break;
      case KeyShape::TenValuesRandom:
        keys[i] = static_cast<float>(draw % 10);
        break;
      case KeyShape::ThousandValues:
        keys[i] = static_cast<float>(draw % 1000);
        break;
      case KeyShape::Alternating:
        keys[i] = i % 2 == 0 ? 2.0f : 1.0f;
        break;
      case KeyShape::HalvesDescending:
        keys[i] = i < kMillion / 2 ? 2.0f : 1.0f;
        break;
      case KeyShape::NaNEveryThirdKey:
        keys[i] = i % 3 == 0 ? nan : static_cast<float>(draw % 5);
        break;
      case KeyShape::NaNEveryThousandth:
        keys[i] = i % 1000 == 999 ? nan : static_cast<float>(draw % 5);
        break;
    }
  }
  if (shape == KeyShape::RandomDistinct) std::shuffle(keys.begin(), keys.end(), random);
  return keys;
}

const char* ShapeName(KeyShape shape) {
  switch (shape) {
    case KeyShape::OneValue:
      return "one_value";
    case KeyShape::RandomDistinct:
      return "random_distinct";
    case KeyShape::Descending:
      return "descending";
    case KeyShape::DescendingPairs:
      return "descending_pairs";
    case KeyShape::TwoValuesRandom:
      return "two_values";
    case KeyShape::TenValuesRandom:
      return "ten_values";
    case KeyShape::ThousandValues:
      return "thousand_values";
    case KeyShape::Alternating:
      return "alternating";
    case KeyShape::HalvesDescending:
      return "halves_descending";
    case KeyShape::NaNEveryThirdKey:
      return "nan_every_third";
    case KeyShape::NaNEveryThousandth:
      return "nan_every_thousandth";
  }
  return "";
}

// The exchange sort of a million keys with a companion.
void BM_ExchangeSortMillion(benchmark::State& state) {
  const auto shape = static_cast<KeyShape>(state.range(0));
  const std::vector<float> keys = ShapedKeys(shape);
  std::vector<float> companion(kMillion);
  for (std::size_t i = 0; i < kMillion; ++i) companion[i] = static_cast<float>(i);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<float> sortedKeys = keys;
    std::vector<float> sortedCompanion = companion;
    state.ResumeTiming();
    report::SortWithCompanion(sortedKeys, sortedCompanion);
    benchmark::DoNotOptimize(sortedKeys.data());
    benchmark::DoNotOptimize(sortedCompanion.data());
  }
  state.SetLabel(ShapeName(shape));
}
BENCHMARK(BM_ExchangeSortMillion)->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

// The floor: an ordinary sort of the same keys with their places, NaNs
// treated as the largest, then the companion gathered.
void BM_ExchangeSortMillionFloor(benchmark::State& state) {
  const auto shape = static_cast<KeyShape>(state.range(0));
  const std::vector<float> keys = ShapedKeys(shape);
  std::vector<float> companion(kMillion);
  for (std::size_t i = 0; i < kMillion; ++i) companion[i] = static_cast<float>(i);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::pair<float, std::uint32_t>> order(kMillion);
    for (std::size_t i = 0; i < kMillion; ++i) order[i] = {keys[i], static_cast<std::uint32_t>(i)};
    std::vector<float> sortedKeys(kMillion);
    std::vector<float> sortedCompanion(kMillion);
    state.ResumeTiming();
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
      const bool nanA = std::isnan(a.first);
      const bool nanB = std::isnan(b.first);
      if (nanA || nanB) return nanA == nanB ? a.second < b.second : nanB;
      return a.first < b.first || (!(b.first < a.first) && a.second < b.second);
    });
    for (std::size_t m = 0; m < kMillion; ++m) {
      sortedKeys[m] = order[m].first;
      sortedCompanion[m] = companion[order[m].second];
    }
    benchmark::DoNotOptimize(sortedKeys.data());
    benchmark::DoNotOptimize(sortedCompanion.data());
  }
  state.SetLabel(ShapeName(shape));
}
BENCHMARK(BM_ExchangeSortMillionFloor)->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

#ifdef ELPROPS_WITH_PDF
void BM_ProtocolPdf(benchmark::State& state) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  const report::RunLog run = LongRun();
  const FixedClock clock;
  const RussianLocale locale;
  QTemporaryDir folder;
  const std::string path = QDir(folder.path()).filePath("protocol.pdf").toStdString();
  for (auto _ : state) {
    report::RunLog log = run;
    report::LinePrinter printer;
    report::PrintProtocol(tables, log, printer, clock, locale);
    const platform::PrintDocument document{printer.Items(), printer.FontName(), printer.FontSize()};
    const platform::PrintOutcome outcome = platform::RenderPdf(document, path);
    if (outcome.kind != platform::PrintOutcome::Kind::SavedAsPdf) {
      state.SkipWithError(outcome.detail.c_str());
      break;
    }
  }
}
BENCHMARK(BM_ProtocolPdf)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef ELPROPS_WITH_PDF
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
