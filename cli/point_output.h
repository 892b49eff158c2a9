// Evaluating one point and writing its result as CSV, JSON lines or the
// window's text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "correlations.h"
#include "point_input.h"

namespace elprops::cli {

enum class Format : std::uint8_t { Text, Csv, Json };

// "text", "csv" or "json".
std::optional<Format> FormatNamed(std::string_view name);

// Collects output in a large buffer and hands it to `sink` in big pieces.
// After the sink has failed once, nothing more is written.
class OutputBuffer {
 public:
  using Sink = std::function<bool(std::string_view)>;

  explicit OutputBuffer(Sink sink, std::size_t capacity = std::size_t{1} << 20);
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;
  ~OutputBuffer();

  void Append(std::string_view text);
  void Append(char c) {
    if (size_ == buffer_.size()) Flush();
    buffer_[size_++] = c;
  }
  // The shortest text that reads back to the same single.
  void AppendShortest(float value);
  // Everything appended so far goes to the sink; false once the sink failed.
  bool Flush();
  [[nodiscard]] bool Failed() const { return failed_; }

 private:
  Sink sink_;
  std::vector<char> buffer_;
  std::size_t size_ = 0;
  bool failed_ = false;
};

// Standard output as a sink.
OutputBuffer::Sink StandardOutput();

// The outcome of one point. Property cells are empty whenever `error` is
// not: the point was refused or its computation failed.
struct PointOutcome {
  std::uint8_t substance = 0;          // 0 when the name is unknown
  std::string_view substanceText;      // the formula, or the text as given
  std::optional<float> concentration;  // as read (0 for water once computed)
  std::optional<float> temperature;
  // The cells as given, written where the number is missing (a text that
  // is not a number, or one beyond the single range).
  std::string_view concentrationText;
  std::string_view temperatureText;
  std::optional<model::PropertySet> properties;
  std::string error;

  [[nodiscard]] bool ok() const { return error.empty(); }
};

// Checks the point as the window's input would and computes it.
// `substanceText` must stay valid while `outcome` is used.
void EvaluatePoint(const model::SubstanceTables& tables, std::string_view substanceText,
                   const ParsedNumber& concentration, const ParsedNumber& temperature, PointOutcome& outcome);

// A row of the input that is not a point: its cells echoed as far as they
// are known, `message` (with the line number) as its error.
void UnreadablePoint(std::string_view substance, std::string_view concentration, std::string_view temperature,
                     std::string message, PointOutcome& outcome);

inline constexpr std::string_view kOutputHeader =
    "substance,concentration,temperature,density,viscosity,surface_tension,heat_capacity,thermal_conductivity,error";

void WriteCsvHeader(OutputBuffer& out);
void WriteCsvRow(OutputBuffer& out, const PointOutcome& point);
void WriteJsonRow(OutputBuffer& out, const PointOutcome& point);

// The point as the window shows it: the substance, the input label's lines
// and the fourteen lines of the result label, results with the given
// decimal separator. Only for computed points.
void WriteTextBlock(OutputBuffer& out, const PointOutcome& point, std::string_view decimalSeparator);

}  // namespace elprops::cli
