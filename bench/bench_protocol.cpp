// The protocol of a long run: 1,900 points, 100 for each substance, as the
// text lines the printer receives and as a PDF.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "catalogue.h"
#include "line_printer.h"
#include "protocol.h"
#include "run_log.h"

#ifdef ELPROPS_WITH_PDF
#include <QByteArray>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "qt_printer.h"
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
