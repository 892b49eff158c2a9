// Evaluating one point and writing its result as CSV, JSON lines or the
// window's text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/compute.hpp>
#include <elprops/derived.hpp>
#include <elprops/validity.hpp>
#include <elprops/vocabulary.hpp>

#include "cli/input/point_input.h"
#include "cli/output/output_buffer.h"
#include "cli/output/quantities.h"
#include "cli/output/record_writer.h"
#include "cli/output/reference_output.h"

namespace elprops::cli {

// How the points of a run are read and written.
struct PointSettings {
  // The unit of the concentrations given (a batch row may give its own).
  concentration_unit unit = concentration_unit::mass_fraction;
  // The columns unit, mass_fraction, molality and molarity even when every
  // concentration is a mass fraction.
  bool allUnits = false;
  // The warnings and notes of each computed point; without them the
  // warning column stays empty.
  bool warnings = true;
  // The reference models' values beside each computed point, and the notes
  // where no measurement stands behind it (the fields of ReferenceFields).
  bool reference = false;
  // The quantities written for each point, and the reference temperature
  // of the heat taken up.
  QuantitySelection quantities;
};

// The outcome of one point. Property cells are empty whenever `error` is
// not: the point was refused or its computation failed.
struct PointOutcome {
  std::uint8_t substance = 0;      // 0 when the name is unknown
  std::string_view substanceText;  // the formula, or the text as given
  // As read: a mass fraction rounded to a single, as the window reads it;
  // a concentration in another unit as the double it was typed as.
  std::optional<double> concentration;
  std::optional<float> temperature;
  // The cells as given, written where the number is missing (a text that
  // is not a number, or one beyond the single range).
  std::string_view concentrationText;
  std::string_view temperatureText;
  // The row came from an input's cells: when it is not computed, its
  // cells are written as they were given (an empty cell stays empty).
  bool echoCells = false;
  // The unit of `concentration`, as given for a row that is not a point.
  concentration_unit unit = concentration_unit::mass_fraction;
  std::string_view unitText;
  // Once the concentration is converted: the mass fraction the model is
  // given; once computed, the molality (mol/kg water) and the molarity
  // (mol/L, on the computed density).
  std::optional<float> massFraction;
  std::optional<double> molality;
  std::optional<double> molarity;
  std::optional<properties> values;
  // The derived quantities, once AddDerived has computed them.
  std::optional<derived_properties> derived;
  std::string error;
  // The warnings and notes of a computed point, and the same joined into
  // one line (empty when there are none or they were not asked for).
  std::vector<elprops::warning> warnings;
  std::string warning;
  // When asked for: the reference models at a computed point.
  PointReference reference;

  [[nodiscard]] bool ok() const { return error.empty(); }
};

// The substance as find_substance names it, then the point computed by the
// library (the concentration converted from `unit`, the point checked as
// the window's input checks it) and, when asked for, its warnings. The
// errors are the library's words, except for a number beyond the single
// range. `substanceText` must stay valid while `outcome` is used.
// A mass fraction is rounded to a single first, as the window reads it;
// a concentration in another unit is given to the library as the double
// it was typed as (a molality 1e-50 stays 1e-50).
// With `reference`, the reference models at the computed point too.
void EvaluatePoint(std::string_view substanceText, const ParsedDecimal& concentration, const ParsedNumber& temperature,
                   PointOutcome& outcome, concentration_unit unit = concentration_unit::mass_fraction,
                   bool warnings = false, bool reference = false);
// The same for a substance already found.
void EvaluatePoint(const substance_info& substance, const ParsedDecimal& concentration, const ParsedNumber& temperature,
                   PointOutcome& outcome, concentration_unit unit = concentration_unit::mass_fraction,
                   bool warnings = false, bool reference = false);

// The derived quantities of a computed point, or its error when the
// library refuses them (a reference temperature the substance does not
// admit).
void AddDerived(PointOutcome& outcome, const derived_options& options);

// A row of the input that is not a point: its cells echoed as they are
// given, `message` (with the line number) as its error.
void UnreadablePoint(std::string_view substance, std::string_view concentration, std::string_view temperature,
                     std::string message, PointOutcome& outcome);
// After EvaluatePoint of an input row: should the point not be computed,
// its cells are echoed as they are given.
void EchoCells(std::string_view concentration, std::string_view temperature, PointOutcome& outcome);

// The concentration as read, for messages: the shortest text of a mass
// fraction, nine significant digits of another unit.
std::string ConcentrationText(const PointOutcome& outcome);

// The fields of a point's record: the input, with `unitColumns` the unit
// and the point in the three units, the quantities (the five properties
// when `quantities` is empty), the error and the warnings; with
// `reference`, the reference fields of the base properties among the
// quantities after them, then notes. Made once for each choice and kept.
std::span<const std::string_view> PointFields(bool unitColumns, bool reference = false,
                                              std::span<const quantity_kind> quantities = {});

// `unitColumns`: the columns unit, mass_fraction, molality and molarity
// (fields in JSON) after the input columns; `reference`: the reference
// fields after the warning; `quantities` as PointFields takes them (a
// derived one needs the point's AddDerived).
void WriteCsvHeader(OutputBuffer& out, bool unitColumns = false, bool reference = false,
                    std::span<const quantity_kind> quantities = {});
void WriteCsvRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns = false, bool reference = false,
                 std::span<const quantity_kind> quantities = {});
void WriteJsonRow(OutputBuffer& out, const PointOutcome& point, bool unitColumns = false, bool reference = false,
                  std::span<const quantity_kind> quantities = {});

// The point as the window shows it: the substance, the input label's lines
// and the fourteen lines of the result label, results with the given
// decimal separator; `unitLine` adds a line with the mass fraction,
// molality and molarity after the input lines. A line for each warning or
// note follows, and with `reference` the lines of AppendReferenceLines.
// Only for computed points. The block is one row of the output buffer.
// A line "warning: ..." or "note: ..." for each.
void AppendWarningLines(OutputBuffer& out, std::span<const warning> warnings);

void WriteTextBlock(OutputBuffer& out, const PointOutcome& point, std::string_view decimalSeparator,
                    bool unitLine = false, bool reference = false);

// The point with the quantities asked for, in English ("density ρ =
// 1070.638 kg/m³", a line each) or in Russian (the window's caption and
// value lines for the five, the Russian caption and unit for a derived
// one), values at DisplayDigits. The lines before and after the
// quantities as WriteTextBlock writes them. Only for computed points
// (with AddDerived when a derived quantity is asked for).
void WriteQuantityBlock(OutputBuffer& out, const PointOutcome& point, std::span<const quantity_kind> quantities,
                        bool russian, std::string_view decimalSeparator, bool unitLine = false, bool reference = false);

}  // namespace elprops::cli
