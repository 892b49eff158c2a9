// The data of the plot command: which curves its options ask for, and the
// figure with the model's values, before anything is drawn.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/derived.hpp>
#include <elprops/substance.hpp>
#include <elprops/vocabulary.hpp>

#include "cli/input/point_input.h"
#include "report/plot_model.h"

namespace elprops::cli {

// A panel shows one of the five properties or a derived quantity.
using PlotProperty = quantity_kind;
enum class PlotAxis : std::uint8_t { Temperature, Concentration };
enum class PlotLanguage : std::uint8_t { Russian, English };

// More curves than this are not told apart in a picture, more points than
// this per curve are finer than any output resolution.
inline constexpr std::size_t kMaxPlotCurves = 12;
inline constexpr std::size_t kMaxPlotPoints = 20'000;

// The options of the plot command as given.
struct PlotOptions {
  std::vector<std::string> substances;
  std::string property;
  std::vector<std::string> temperatures;    // each a value or a range
  std::vector<std::string> concentrations;  // each a value or a range
  std::string axis;                         // "", "temperature" or "concentration"
  std::string unit;                         // of the concentrations; "" for the mass fraction
  bool reference = false;                   // the reference models' curves beside ours
  std::string referenceTemperature;         // of the heat taken up; "" for 20 °C
  // The units the panels show; "" for the SI unit.
  std::string viscosityUnit;
  std::string surfaceTensionUnit;
  std::string heatCapacityUnit;
};

// A unit a panel shows a property in: the value shown is the SI value times
// `factor`.
struct PlotValueUnit {
  std::string_view symbol;  // "mPa·s"
  std::string_view russianSymbol;
  double factor = 1.0;
};

// The unit named (as the option takes it: "mPa·s", "mPa*s", "cP", "mN/m",
// "kJ/(kg·K)", ...) for a property; nothing when the property has no unit
// of that name. An empty name is the SI unit.
std::optional<PlotValueUnit> PlotValueUnitNamed(PlotProperty property, std::string_view name);

// The names the option for the property takes, for its help and errors.
std::string PlotValueUnitNames(PlotProperty property);

// One curve: a substance at one value of the quantity that is not on the
// horizontal axis (a concentration of 0 for water).
struct PlotCurveRequest {
  substance_id substance{};
  ParsedNumber fixed;
};

struct PlotRequest {
  std::vector<PlotProperty> properties;  // one panel each
  PlotAxis axis = PlotAxis::Temperature;
  std::vector<ParsedNumber> xs;  // the horizontal values, as compute reads them
  bool bySubstance = false;      // one curve per substance rather than per value
  // The unit of the concentrations, on the axis and in the legend alike.
  concentration_unit unit = concentration_unit::mass_fraction;
  std::vector<PlotCurveRequest> curves;
  bool reference = false;
  // Per quantity, the unit its panel shows.
  std::array<PlotValueUnit, quantity_count> valueUnits{};
  // The reference temperature of the heat taken up.
  derived_options derived;

  // Whether a panel shows a derived quantity.
  [[nodiscard]] bool NeedsDerived() const;
};

// A quantity's name as parse_quantity takes it ("density",
// "surface_tension", "prandtl_number", "prandtl") or "all" (the five
// properties in their order).
std::optional<std::vector<PlotProperty>> PlotPropertiesNamed(std::string_view name);

// Works out the horizontal axis and the curves: the quantity given as a
// range of more than one value is the axis (--x chooses when both are),
// each value of the other is a curve; several substances make one curve
// each at a single value. Nothing, with `error` set, when the options do
// not describe a plot.
std::optional<PlotRequest> MakePlotRequest(const PlotOptions& options, std::string& error);

struct PlotData {
  report::PlotFigure figure;
  std::size_t points = 0;  // curves times horizontal values
  std::size_t inadmissible = 0;
  std::size_t aboveSaturation = 0;
  std::size_t failed = 0;         // arithmetic faults
  std::size_t unconvertible = 0;  // no mass fraction for the concentration in its unit
  // Computed, but with more salt than dissolves: dashed, not left out.
  std::size_t beyondSolubility = 0;
  // Values of a panel that cannot be true (at or below zero): computed and
  // kept in the data, but gaps in the curves. Counted per panel point.
  std::size_t cannotBeTrue = 0;
  std::string firstFault;  // the first fault's reason, for standard error

  [[nodiscard]] std::size_t LeftOut() const { return inadmissible + aboveSaturation + failed + unconvertible; }
};

// Every point of every curve computed as compute computes it; a point is
// a gap when its concentration has no mass fraction in the unit asked,
// when the window's input would refuse it, when calcium chloride is above
// its saturation, or when the computation fails. A point with more salt
// than dissolves at its temperature is marked beyond the solubility, and
// on a concentration axis the solubility is a boundary where it lies
// inside the plot. A value that cannot be true (at or below zero) is a gap
// in its panel's curve, counted in the notes. With the request's
// `reference`, each curve has the reference model's values beside it, and
// the notes name the models, the points outside their measurements and the
// curves no model covers. Texts in `language`, numbers in labels with
// `decimalSeparator`.
PlotData MakePlotData(const PlotRequest& request, PlotLanguage language, std::string_view decimalSeparator);

// The plotted points as CSV, one row per panel, curve and horizontal value:
// the substance, the temperature and concentration as given, the property,
// the value in the panel's unit (empty for a gap) and what became of the
// point; with the reference, the reference model's value, its source and
// whether the point lies inside its measurements. Numbers with a decimal
// point in any locale.
std::string PlotDataCsv(const PlotRequest& request, const PlotData& data);

// "ru" or "en".
std::optional<PlotLanguage> PlotLanguageNamed(std::string_view name);

// Russian when the first set of LC_ALL, LC_MESSAGES and LANG starts with
// "ru", English otherwise. Null pointers stand for unset variables.
PlotLanguage DefaultPlotLanguage(const char* lcAll, const char* lcMessages, const char* lang);

// The size of the picture: pixels for PNG and SVG, millimetres for PDF.
struct PlotSize {
  int width = 0;
  int height = 0;
};

// 1200x800 pixels; A5 landscape (210x148 mm) for PDF.
PlotSize DefaultPlotSize(report::PlotFileFormat format);

// "WIDTHxHEIGHT" in whole pixels or millimetres, within sensible limits;
// nothing, with `error` set, otherwise.
std::optional<PlotSize> ParsePlotSize(std::string_view text, report::PlotFileFormat format, std::string& error);

// The substance's name in the language with its formula, digits as
// subscripts: "Хлорид кальция CaCl₂", "Calcium chloride CaCl₂".
std::string SubstanceTitle(substance_id substance, PlotLanguage language);

}  // namespace elprops::cli
