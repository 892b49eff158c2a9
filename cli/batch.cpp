#include "batch.h"

namespace elprops::cli {
namespace {

// Hands the rows written so far to the output before every read, so that a
// reader at the other end of a pipe sees results while input still comes.
class FlushingSource final : public ByteSource {
 public:
  FlushingSource(ByteSource& source, OutputBuffer& out) : source_(source), out_(out) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    out_.Flush();
    return source_.Read(buffer, size);
  }
  [[nodiscard]] bool Failed() const override { return source_.Failed(); }

 private:
  ByteSource& source_;
  OutputBuffer& out_;
};

}  // namespace

BatchOutcome RunBatch(const model::SubstanceTables& tables, ByteSource& source, Format format, OutputBuffer& out) {
  BatchOutcome outcome;
  FlushingSource input(source, out);
  PointReader reader(input);
  if (format != Format::Json) WriteCsvHeader(out);
  CsvPoint point;
  PointOutcome result;
  for (;;) {
    const PointReader::Result next = reader.Next(point);
    if (next == PointReader::Result::End) break;
    if (next == PointReader::Result::Error) {
      outcome.exitStatus = kExitUsage;
      outcome.message = reader.ErrorMessage();
      break;
    }
    if (next == PointReader::Result::BadRow) {
      UnreadablePoint(point.substance, point.concentration, point.temperature, reader.ErrorMessage(), result);
    } else {
      EvaluatePoint(tables, point.substance, point.concentrationValue, point.temperatureValue, result);
      result.concentrationText = TrimBlanks(point.concentration);
      result.temperatureText = TrimBlanks(point.temperature);
    }
    if (format == Format::Json) {
      WriteJsonRow(out, result);
    } else {
      WriteCsvRow(out, result);
    }
    ++outcome.points;
    if (!result.ok()) ++outcome.failed;
  }
  if (!out.Flush()) {
    outcome.exitStatus = kExitUsage;
    outcome.message = "cannot write the results";
    return outcome;
  }
  if (outcome.exitStatus == kExitOk && outcome.failed > 0) {
    outcome.exitStatus = kExitPointFailed;
    outcome.message = std::to_string(outcome.failed) + " of " + std::to_string(outcome.points) +
                      " rows were not computed (see the error column)";
  }
  return outcome;
}

}  // namespace elprops::cli
