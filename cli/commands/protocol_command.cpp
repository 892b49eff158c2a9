// elprops-cli protocol [FILE|-] [--pdf OUT.pdf | --print]: the printed
// protocol of a run of points, read in recording order from the CSV of the
// batch command. Each point is checked and computed as the window does; a
// refused or failing point is reported with its line number and left out.
// The protocol goes to standard output as the printer receives it (UTF-8,
// one line per printed line), into a PDF, or to the default printer.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/batch/batch.h"
#include "cli/commands/command_support.h"
#include "cli/commands/commands.h"
#include "cli/input/csv_reader.h"
#include "cli/input/point_input.h"
#include "cli/output/point_output.h"
#include "report/line_printer.h"
#include "report/protocol.h"
#include "report/run_log.h"

#ifdef ELPROPS_WITH_PDF
#include <unistd.h>

#include <QByteArray>
#include <QGuiApplication>

#include "qt/qt_locale.h"
#include "qt/qt_messages.h"
#include "qt/qt_printer.h"
#endif

namespace elprops::cli {
namespace {

struct ProtocolOptions {
  std::string input = "-";
  std::string pdf;  // "-": standard output
  bool pdfGiven = false;
  bool print = false;
  char delimiter = 0;  // 0: the header tells
};

// The clock of the stamp: SOURCE_DATE_EPOCH (seconds, read as UTC) when
// set, otherwise the local time now.
class StampClock final : public platform::ClockOps {
 public:
  explicit StampClock(std::optional<std::int64_t> epoch) : epoch_(epoch) {}

  [[nodiscard]] platform::LocalDateTime Now() const override {
    if (epoch_) return FromUtcSeconds(*epoch_);
#ifdef ELPROPS_WITH_PDF
    return platform::SystemClock().Now();
#else
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
#endif
  }

 private:
  static platform::LocalDateTime FromUtcSeconds(std::int64_t seconds) {
    using namespace std::chrono;
    const sys_seconds moment{std::chrono::seconds{seconds}};
    const sys_days day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss time{moment - day};
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count())};
  }

  std::optional<std::int64_t> epoch_;
};

#ifndef ELPROPS_WITH_PDF
// Without the Qt binding: a decimal point and a 24-hour clock.
class PlainLocale final : public platform::LocaleOps {
 public:
  [[nodiscard]] std::string DecimalSeparator() const override { return "."; }
  [[nodiscard]] std::string ShortDateDay(int day) const override {
    std::string text = std::to_string(day);
    if (day < 10) text.insert(0, 1, '0');
    return text;
  }
  [[nodiscard]] std::string TimeText(const platform::LocalDateTime& when) const override {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", when.hour, when.minute, when.second);
    return text;
  }
};
#endif

// SOURCE_DATE_EPOCH as seconds; nothing when unset or empty, an error
// message when it is not a whole number.
bool ReadSourceDateEpoch(std::optional<std::int64_t>& epoch, std::string& error) {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (text == nullptr || *text == '\0') return true;
  const std::string_view value(text);
  std::int64_t seconds = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  // Years beyond 9999 are refused, so that the stamp keeps four digits.
  if (ec != std::errc() || end != value.data() + value.size() || seconds < 0 || seconds > 253402300799) {
    error = "SOURCE_DATE_EPOCH \"" + std::string(value) + "\" is not a number of seconds from 1970 to 9999";
    return false;
  }
  epoch = seconds;
  return true;
}

// Reads the points into `log`. Returns kExitOk, kExitPointFailed when some
// point was left out, or kExitUsage when the input cannot be read (then the
// log is of no use).
int RecordPoints(ByteSource& source, report::RunLog& log, char delimiter) {
  PointReader reader(source, delimiter);
  CsvPoint point;
  PointOutcome outcome;
  int status = kExitOk;
  for (;;) {
    const PointReader::Result next = reader.Next(point);
    if (next == PointReader::Result::End) break;
    if (next == PointReader::Result::Error) {
      ReportError(reader.ErrorMessage());
      return kExitUsage;
    }
    const std::string where = "line " + std::to_string(point.line) + ": ";
    if (next == PointReader::Result::BadRow) {
      ReportError(reader.ErrorMessage() + "; the point is left out");
      status = kExitPointFailed;
      continue;
    }
    // A batch run's results read back: a row's unit column gives the unit
    // of its concentration.
    EvaluatePoint(point.substance, point.concentrationDecimal, point.temperatureValue, outcome,
                  point.unitValue.value_or(concentration_unit::mass_fraction));
    if (!outcome.ok()) {
      ReportError(where + outcome.error + "; the point is left out");
      status = kExitPointFailed;
      continue;
    }
    log.RecordPoint(outcome.substance, outcome.massFraction.value_or(0.0f), *outcome.temperature);
  }
  if (source.Failed()) {
    ReportError("cannot read the input");
    return kExitUsage;
  }
  return status;
}

#ifdef ELPROPS_WITH_PDF
bool WriteStandardOutput(std::string_view text) {
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) return false;
  return std::fflush(stdout) == 0;
}
#endif

// Whether the options can be followed in this build; says why not.
bool OptionsUsable(const ProtocolOptions& options) {
#ifndef ELPROPS_WITH_PDF
  if (options.pdfGiven || options.print) {
    ReportError("this build has no printer and no PDF writer");
    return false;
  }
#else
  if (options.pdfGiven && options.pdf.empty()) {
    ReportError("--pdf needs a file name, or - for standard output");
    return false;
  }
  if (options.pdfGiven && options.pdf == "-" && isatty(STDOUT_FILENO) == 1) {
    ReportError("--pdf -: standard output is a terminal; redirect it to a file or a program");
    return false;
  }
#endif
  return true;
}

// What the protocol is printed from: the points, the clock of the stamp and
// the locale.
struct ProtocolRun {
  report::RunLog& log;
  const platform::ClockOps& clock;
  const platform::LocaleOps& locale;
};

#ifdef ELPROPS_WITH_PDF
int PrintOnPrinter(const ProtocolRun& run, int status) {
  const auto application = MakeGuiApplication();
  platform::QtPrinter printer;
  const platform::PrintOutcome outcome = report::PrintProtocol(run.log, printer, run.clock, run.locale);
  switch (outcome.kind) {
    case platform::PrintOutcome::Kind::Printed:
      ReportError("protocol: " + outcome.detail);
      return status;
    case platform::PrintOutcome::Kind::SavedAsPdf:
      // The path on standard output, for scripts; the reason on standard error.
      ReportError("protocol: " + outcome.detail + "; saved as " + outcome.path);
      return WriteStandardOutput(outcome.path + "\n") ? status : kExitUsage;
    case platform::PrintOutcome::Kind::Failed:
      ReportError("protocol not printed: " + outcome.detail);
      return kExitUsage;
  }
  return kExitUsage;
}

int WritePdf(const ProtocolRun& run, const std::string& path, int status) {
  const bool toStandardOutput = path == "-";
  const auto application = MakeGuiApplication();
  // Each line is painted as it is printed and each full page written out:
  // no line is kept. The output is opened at the first line only.
  platform::PdfStreamPrinter printer(path);
  const platform::PrintOutcome outcome = report::PrintProtocol(run.log, printer, run.clock, run.locale);
  if (printer.Lines() == 0) {
    // An older file of that name must not pass for this run's protocol.
    ReportError(toStandardOutput ? "protocol: no point to print; no PDF was written to standard output"
                                 : "protocol: no point to print; \"" + path + "\" was not written");
    return kExitPointFailed;
  }
  if (outcome.kind != platform::PrintOutcome::Kind::SavedAsPdf) {
    ReportError(outcome.detail);
    return kExitUsage;
  }
  return status;
}
#endif

int WriteText(const ProtocolRun& run, int status) {
  // Text goes out line by line as the protocol is printed; nothing is kept.
  // Nothing has been written to standard output yet, so its buffer can still
  // be made larger: a long protocol then takes far fewer writes.
  std::setvbuf(stdout, nullptr, _IOFBF, std::size_t{1} << 16);
  report::FilePrinter printer(stdout);
  const platform::PrintOutcome outcome = report::PrintProtocol(run.log, printer, run.clock, run.locale);
  if (outcome.kind == platform::PrintOutcome::Kind::Failed) {
    ReportError("cannot write the protocol: " + outcome.detail);
    return kExitUsage;
  }
  return status;
}

int RunProtocol(const ProtocolOptions& options) {
  std::optional<std::int64_t> epoch;
  std::string error;
  if (!ReadSourceDateEpoch(epoch, error)) {
    ReportError(error);
    return kExitUsage;
  }
  if (!OptionsUsable(options)) return kExitUsage;
  std::FILE* file = OpenInput(options.input, error);
  if (file == nullptr) {
    ReportError(error);
    return kExitUsage;
  }
  report::RunLog log;
  log.Clear();
  FileSource source(file, InputName(options.input));
  const int status = RecordPoints(source, log, options.delimiter);
  if (file != stdin) std::fclose(file);
  if (status == kExitUsage) return status;

  const StampClock clock(epoch);
#ifdef ELPROPS_WITH_PDF
  const platform::SystemLocale locale;
#else
  const PlainLocale locale;
#endif
  const ProtocolRun run{log, clock, locale};
#ifdef ELPROPS_WITH_PDF
  if (options.print) return PrintOnPrinter(run, status);
  if (options.pdfGiven) return WritePdf(run, options.pdf, status);
#endif
  return WriteText(run, status);
}

}  // namespace

void AddProtocolCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<ProtocolOptions>();
  CLI::App* command =
      app.add_subcommand("protocol",
                         "The printed protocol of a run: points in recording order from a CSV file (its header names "
                         "the columns substance, concentration and temperature, in any order, separated by commas or "
                         "semicolons), sorted into one table per substance. Written as text "
                         "to standard output, as a PDF (--pdf) or to the default printer (--print). SOURCE_DATE_EPOCH "
                         "replaces the clock of the date stamp.");
  command->add_option("FILE", options->input, "the points; - or nothing for standard input");
  AddDelimiterOption(*command, options->delimiter);
  CLI::Option* pdf =
      command->add_option("--pdf", options->pdf, "write the protocol as a PDF file; - writes it to standard output");
  CLI::Option* print = command->add_flag(
      "--print", options->print,
      "print on the default printer; where there is none, or it cannot take the job, save a PDF in the documents "
      "folder and write its path");
  pdf->excludes(print);
  command->callback([options, pdf, &status] {
    // "--pdf ''" is told apart from no --pdf at all.
    options->pdfGiven = pdf->count() > 0;
    status = RunProtocol(*options);
  });
}

}  // namespace elprops::cli
