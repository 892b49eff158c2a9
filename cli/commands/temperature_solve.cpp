#include "cli/commands/temperature_solve.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <elprops/text.hpp>
#include <elprops/units.hpp>
#include <elprops/validity.hpp>
#include <string>
#include <vector>

#include "cli/batch/batch.h"
#include "cli/commands/commands.h"
#include "cli/output/point_output.h"
#include "cli/output/record_writer.h"
#include "cli/output/stop_signal.h"

namespace elprops::cli {
namespace {

// One concentration of the request: as given, and as a mass fraction.
struct SolvePoint {
  ParsedDecimal given;
  float massFraction = 0.0f;
  std::string error;  // why it has no mass fraction
};

SolvePoint PointAt(const TemperatureSolveRequest& request, std::size_t k) {
  SolvePoint point;
  if (!request.concentrations) return point;  // water
  point.given = request.concentrations->AtDecimal(k);
  if (request.unit == concentration_unit::mass_fraction) {
    const ParsedNumber w = request.concentrations->At(k);
    point.given.value = w.value;
    point.massFraction = w.value;
    if (!w.ok()) point.error = "concentration is beyond the single range";
    return point;
  }
  if (!point.given.ok()) {
    point.error = "concentration is beyond the double range";
    return point;
  }
  // Percent and molality do not depend on the temperature.
  const expected<conversion> converted =
      to_mass_fraction(request.substance.id(), request.unit, point.given.value, 20.0f);
  if (converted) {
    point.massFraction = converted->mass_fraction;
  } else {
    point.error = converted.error().message;
  }
  return point;
}

// Whether a double holds a single's value exactly (a property the model
// computed): then its shortest text is the single's.
bool IsSingle(double value) { return static_cast<double>(static_cast<float>(value)) == value; }

std::string NumberText(double value) {
  return IsSingle(value) ? shortest_text(static_cast<float>(value)) : nine_digit_text(value);
}

constexpr std::string_view kCsvFields[] = {"substance", "concentration", "unit",        "mass_fraction", "property",
                                           "value",     "root",          "temperature", "achieved",      "below",
                                           "above",     "chosen",        "error",       "run_first",     "run_last",
                                           "plateau",   "warning"};
constexpr std::string_view kJsonFields[] = {"substance", "concentration", "unit",  "mass_fraction",
                                            "property",  "value",         "roots", "error"};
constexpr std::string_view kRootFields[] = {"temperature", "achieved", "below",   "above",  "chosen",
                                            "run_first",   "run_last", "plateau", "warning"};

// Writes the answers at each concentration: a CSV row per root, a JSON line
// per concentration with its roots, or a text line per root (and the
// errors on standard error).
class TemperatureWriter {
 public:
  TemperatureWriter(const TemperatureSolveRequest& request, OutputBuffer& out)
      : request_(request),
        out_(out),
        json_(request.format == Format::Json),
        record_(
            out, request.format,
            json_ ? std::span<const std::string_view>(kJsonFields) : std::span<const std::string_view>(kCsvFields)) {
    if (request.format == Format::Csv) record_.WriteHeader();
  }

  [[nodiscard]] std::size_t Rows() const { return rows_; }

  void Failure(const SolvePoint& point, const std::string& error) {
    if (request_.format == Format::Text) {
      out_.Flush();
      ReportError(error);
      return;
    }
    Lead(point);
    if (json_) {
      record_.BeginList().EndList().Text(error);
    } else {
      for (int k = 0; k < 6; ++k) record_.Null();
      record_.Text(error).Null().Null().Null().Null();
    }
    record_.EndRecord();
    ++rows_;
  }

  void Roots(const SolvePoint& point, const temperature_solution& solution) {
    if (json_) Lead(point).BeginList();
    for (std::size_t r = 0; r < solution.roots.size(); ++r) {
      const temperature_root& root = solution.roots[r];
      if (request_.format == Format::Text) {
        TextLine(point, root);
      } else if (json_) {
        RecordWriter item = record_.Item(kRootFields);
        RootFields(item, root);
      } else {
        Lead(point).Raw(std::to_string(r + 1));
        RootFields(record_, root);
      }
    }
    if (json_) {
      record_.EndList().Null();
      record_.EndRecord();
      ++rows_;
    } else {
      rows_ += solution.roots.size();
    }
  }

 private:
  // The fields before the answer: substance, concentration and unit, mass
  // fraction, quantity, value.
  RecordWriter& Lead(const SolvePoint& point) {
    record_.Text(request_.substance.formula);
    if (request_.unit == concentration_unit::mass_fraction || !request_.concentrations) {
      record_.Float(static_cast<float>(point.given.value));
    } else {
      record_.DoubleOrNull(point.given.ok() ? std::optional(point.given.value) : std::nullopt);
    }
    record_.Text(describe(request_.unit).name);
    record_.FloatOrNull(point.error.empty() ? std::optional(point.massFraction) : std::nullopt);
    return record_.Text(describe(request_.quantity).name).Double(request_.value);
  }

  // The temperature, what it gives and how it was chosen, then (in CSV an
  // empty error and) the run and the warnings.
  void RootFields(RecordWriter& record, const temperature_root& root) const {
    record.Float(root.temperature);
    if (IsSingle(root.achieved)) {
      record.Float(static_cast<float>(root.achieved));
    } else {
      record.Double(root.achieved);
    }
    record.Float(root.below).Float(root.above).Text(side_name(root.chosen));
    if (!json_) record.Null();
    record.Float(root.run_first).Float(root.run_last).Raw(root.plateau ? "true" : "false");
    record.TextOrNull(join_warnings(root.warnings));
    record.EndRecord();
  }

  // "CaCl2 at mass fraction 0.25: viscosity 0.003 at 8.08 °C, which gives
  // 0.003".
  void TextLine(const SolvePoint& point, const temperature_root& root) {
    std::string line(request_.substance.formula);
    if (request_.concentrations) {
      const std::string w = shortest_text(point.massFraction);
      line += request_.unit == concentration_unit::mass_fraction
                  ? " at mass fraction " + w
                  : " at " + std::string(describe(request_.unit).name) + " " + nine_digit_text(point.given.value) +
                        " (mass fraction " + w + ")";
    }
    line += ": " + std::string(describe(request_.quantity).words) + " " + nine_digit_text(request_.value) + " at " +
            shortest_text(root.temperature) + " °C, which gives " + NumberText(root.achieved);
    if (root.chosen != concentration_root::side::exact) {
      line += " (the nearest value the model gives; the value lies between the neighbours " +
              shortest_text(root.below) + " and " + shortest_text(root.above) + " °C)";
    }
    if (root.plateau) {
      line += "; every temperature from " + shortest_text(root.run_first) + " to " + shortest_text(root.run_last) +
              " °C gives this value";
    }
    out_.Append(line + "\n");
    AppendWarningLines(out_, root.warnings);
    out_.EndRow();
  }

  const TemperatureSolveRequest& request_;
  OutputBuffer& out_;
  bool json_;
  RecordWriter record_;
  std::size_t rows_ = 0;
};

}  // namespace

int RunTemperatureSolve(const TemperatureSolveRequest& request) {
  CatchStopSignals();
  const std::atomic<int>& stop = StopRequest();
  OutputBuffer out(StandardOutput());
  TemperatureWriter writer(request, out);
  int status = kExitOk;
  int signal = 0;
  const std::size_t count = request.concentrations ? request.concentrations->Count() : 1;
  for (std::size_t k = 0; k < count && !out.Failed(); ++k) {
    // The rows of the concentration before are whole.
    if ((signal = stop.load()) != 0) break;
    const SolvePoint point = PointAt(request, k);
    const expected<temperature_solution> solution =
        point.error.empty() ? solve_temperature(request.substance.id(), point.massFraction, request.quantity,
                                                request.value, request.options)
                            : expected<temperature_solution>(failure{error_kind::inadmissible_input, point.error});
    if (!solution) {
      status = kExitPointFailed;
      writer.Failure(point, solution.error().message);
    } else {
      writer.Roots(point, *solution);
    }
  }
  if (!out.Flush()) {
    ReportError(std::string("cannot write the results: ") + std::strerror(out.ErrorNumber()));
    return kExitUsage;
  }
  if (signal != 0) {
    ReportError("stopped by " + SignalName(signal) + " after " + std::to_string(writer.Rows()) +
                " rows; the output ends with a whole row");
    return 128 + signal;
  }
  return status;
}

}  // namespace elprops::cli
