#include "batch.h"

#include <cstring>

#include "stop_signal.h"

namespace elprops::cli {
namespace {

// Hands the rows written so far to the output before every read, so that a
// reader at the other end of a pipe sees results while input still comes.
// Once the output has failed, nothing more is read.
class FlushingSource final : public ByteSource {
 public:
  FlushingSource(ByteSource& source, OutputBuffer& out) : source_(source), out_(out) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    if (!out_.Flush()) return 0;
    return source_.Read(buffer, size);
  }
  [[nodiscard]] bool Failed() const override { return out_.Failed() || source_.Failed(); }
  [[nodiscard]] int ErrorNumber() const override { return source_.ErrorNumber(); }
  [[nodiscard]] std::string Name() const override { return source_.Name(); }

 private:
  ByteSource& source_;
  OutputBuffer& out_;
};

}  // namespace

BatchOutcome RunBatch(const model::SubstanceTables& tables, ByteSource& source, Format format, OutputBuffer& out,
                      const std::atomic<int>* stop, const PointSettings& settings) {
  BatchOutcome outcome;
  FlushingSource input(source, out);
  PointReader reader(input);
  // The header of the input says whether rows give their own units; an
  // unreadable one is reported by the first Next.
  reader.ReadHeader();
  const bool unitColumns =
      settings.allUnits || settings.unit != model::ConcentrationUnit::MassFraction || reader.HasUnitColumn();
  if (format != Format::Json) WriteCsvHeader(out, unitColumns);
  CsvPoint point;
  PointOutcome result;
  bool inputFailed = false;
  int signal = 0;
  for (;;) {
    const PointReader::Result next = reader.Next(point);
    // A failed output or a stop request ends the run before anything more
    // is written; what was read in the meantime is not a row to write.
    if (out.Failed()) break;
    if (stop != nullptr && (signal = stop->load()) != 0) break;
    if (next == PointReader::Result::End) break;
    if (next == PointReader::Result::Error) {
      inputFailed = true;
      outcome.messages.push_back(reader.ErrorMessage());
      break;
    }
    if (next == PointReader::Result::BadRow) {
      UnreadablePoint(point.substance, point.concentration, point.temperature, reader.ErrorMessage(), result);
      result.unitText = TrimBlanks(point.unit).empty() ? model::UnitName(settings.unit) : TrimBlanks(point.unit);
    } else {
      EvaluatePoint(tables, point.substance, point.concentrationValue, point.temperatureValue, result,
                    point.unitValue.value_or(settings.unit), settings.warnings);
      result.concentrationText = TrimBlanks(point.concentration);
      result.temperatureText = TrimBlanks(point.temperature);
    }
    if (format == Format::Json) {
      WriteJsonRow(out, result, unitColumns);
    } else {
      WriteCsvRow(out, result, unitColumns);
    }
    ++outcome.points;
    if (!result.ok()) ++outcome.failed;
  }
  const bool written = out.Flush();
  // Every failure is said, the input's before the output's.
  if (!written) {
    outcome.messages.push_back(std::string("cannot write the results: ") + std::strerror(out.ErrorNumber()));
  }
  if (signal != 0) {
    outcome.exitStatus = 128 + signal;
    outcome.messages.push_back("stopped by " + SignalName(signal) + " after " + std::to_string(outcome.points) +
                               " rows; the output ends with a whole row");
  } else if (inputFailed || !written) {
    outcome.exitStatus = kExitUsage;
  } else if (outcome.failed > 0) {
    outcome.exitStatus = kExitPointFailed;
    outcome.messages.push_back(std::to_string(outcome.failed) + " of " + std::to_string(outcome.points) +
                               " rows were not computed (see the error column)");
  }
  return outcome;
}

}  // namespace elprops::cli
