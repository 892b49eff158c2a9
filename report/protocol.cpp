#include "report/protocol.h"

#include <array>
#include <vector>

#include "report/format.h"

namespace elprops::report {

namespace {

constexpr std::string_view kEmDash = "\u2014";
constexpr std::size_t kRuleLength = 75;
constexpr std::string_view kFailedCell = "ОШИБКА";

struct Column {
  int decimals;
  std::size_t fieldWidth;
  std::size_t cellWidth;
};

// Concentration, temperature, density, viscosity, surface tension, heat
// capacity, thermal conductivity.
constexpr std::array<Column, 7> kSolutionColumns{{
    {4, 7, 8},
    {2, 8, 11},
    {1, 8, 9},
    {6, 8, 8},
    {5, 11, 13},
    {0, 7, 9},
    {3, 7, 9},
}};

// Temperature, density, viscosity, surface tension, heat capacity, thermal
// conductivity.
constexpr std::array<Column, 6> kWaterColumns{{
    {2, 8, 11},
    {1, 8, 9},
    {6, 8, 8},
    {5, 11, 13},
    {0, 7, 12},
    {3, 7, 16},
}};

void AppendValue(std::string& row, float value, const Column& column, std::string_view separator) {
  AppendCell(row, value, column.fieldWidth, column.decimals, column.cellWidth, separator);
}

// The five property cells of a row, in the columns given.
void AppendProperties(std::string& row, const model::PropertySet& p, std::span<const Column> columns,
                      std::string_view separator) {
  const std::array<float, 5> values{p.Density, p.Viscosity, p.SurfaceTension, p.HeatCapacity, p.ThermalConductivity};
  for (std::size_t i = 0; i < values.size() && i < columns.size(); ++i) {
    AppendValue(row, values[i], columns[i], separator);
  }
}

void AppendFailedProperties(std::string& row, std::span<const Column> columns) {
  for (const Column& column : columns) AppendCentered(row, kFailedCell, column.cellWidth);
}

// The rows are built in one buffer that every row of a table reuses.
void BuildSolutionRow(std::string& row, float concentration, float temperature, const model::PropertySet* properties,
                      std::string_view separator) {
  row.assign(1, '|');
  AppendValue(row, concentration, kSolutionColumns[0], separator);
  AppendValue(row, temperature, kSolutionColumns[1], separator);
  if (properties != nullptr) {
    AppendProperties(row, *properties, std::span(kSolutionColumns).subspan(2), separator);
  } else {
    AppendFailedProperties(row, std::span(kSolutionColumns).subspan(2));
  }
}

void BuildWaterRow(std::string& row, float temperature, const model::PropertySet* properties,
                   std::string_view separator) {
  row.assign(1, '|');
  AppendValue(row, temperature, kWaterColumns[0], separator);
  if (properties != nullptr) {
    AppendProperties(row, *properties, std::span(kWaterColumns).subspan(1), separator);
  } else {
    AppendFailedProperties(row, std::span(kWaterColumns).subspan(1));
  }
}

void PrintHeaderOnce(const ProtocolContext& context) {
  platform::PrinterOps& printer = context.printer;
  printer.SetFontName(kProtocolFontName);
  printer.SetFontSize(kProtocolFontSize);
  if (!context.log.StampPrinted) {
    printer.PrintLine(FormatPrintStamp(context.clock.Now(), context.locale));
    printer.PrintLine("");
    context.log.StampPrinted = true;
  }
}

}  // namespace

std::string RuleLine() {
  std::string rule;
  rule.reserve(kRuleLength * kEmDash.size());
  for (std::size_t i = 0; i < kRuleLength; ++i) rule += kEmDash;
  return rule;
}

std::string SolutionRow(float concentration, float temperature, const model::PropertySet& properties,
                        std::string_view decimalSeparator) {
  std::string row;
  BuildSolutionRow(row, concentration, temperature, &properties, decimalSeparator);
  return row;
}

std::string WaterRow(float temperature, const model::PropertySet& properties, std::string_view decimalSeparator) {
  std::string row;
  BuildWaterRow(row, temperature, &properties, decimalSeparator);
  return row;
}

void PrintSolutionTable(const ProtocolContext& context, std::span<const float> concentrations,
                        std::span<const float> temperatures, std::uint8_t substance) {
  platform::PrinterOps& printer = context.printer;
  const std::string separator = context.locale.DecimalSeparator();
  const std::string rule = RuleLine();

  PrintHeaderOnce(context);
  printer.PrintLine(std::string(kSolutionTitle) + std::string(context.tables.SubstanceGenitive[substance]));
  printer.PrintLine(rule);
  printer.PrintLine(kSolutionHead1);
  printer.PrintLine(kSolutionHead2);
  printer.PrintLine(kSolutionHead3);
  printer.PrintLine(rule);

  const std::size_t count = std::min(concentrations.size(), temperatures.size());
  std::string row;
  for (std::size_t m = 0; m < count; ++m) {
    float Concentration = concentrations[m];
    const float Temperature = temperatures[m];
    float TemperatureLimit = 0.0f;
    model::PropertySet properties;
    const model::ComputeStatus status =
        model::ComputeProperties(context.tables, substance, Concentration, Temperature, TemperatureLimit, properties);
    BuildSolutionRow(row, Concentration, Temperature, status.ok() ? &properties : nullptr, separator);
    printer.PrintLine(row);
    printer.PrintLine(rule);
  }
  printer.PrintLine("");
  printer.PrintLine("");
}

void PrintWaterTable(const ProtocolContext& context, std::span<const float> temperatures) {
  platform::PrinterOps& printer = context.printer;
  const std::string separator = context.locale.DecimalSeparator();
  const std::string rule = RuleLine();

  PrintHeaderOnce(context);
  // Title and rule as one item: the carriage return starts the rule's line.
  printer.PrintLine(std::string(kWaterTitle) + "\r" + rule);
  printer.PrintLine(kWaterHead1);
  printer.PrintLine(kWaterHead2);
  printer.PrintLine(kWaterHead3);
  printer.PrintLine(rule);

  std::string row;
  for (const float temperature : temperatures) {
    float Concentration = 0.0f;
    float TemperatureLimit = 0.0f;
    model::PropertySet properties;
    const model::ComputeStatus status = model::ComputeProperties(context.tables, model::kWater, Concentration,
                                                                 temperature, TemperatureLimit, properties);
    BuildWaterRow(row, temperature, status.ok() ? &properties : nullptr, separator);
    printer.PrintLine(row);
    printer.PrintLine(rule);
  }
  printer.PrintLine("");
  printer.PrintLine("");
}

platform::PrintOutcome PrintProtocol(const model::SubstanceTables& tables, report::RunLog& log,
                                     platform::PrinterOps& printer, const platform::ClockOps& clock,
                                     const platform::LocaleOps& locale) {
  const ProtocolContext context{tables, log, printer, clock, locale};
  std::vector<float> SortedConcentrations;
  std::vector<float> SortedTemperatures;

  for (std::uint8_t k = 1; k < model::kWater; ++k) {
    const std::vector<float>& concentrations = log.LogConcentration(k);
    const std::vector<float>& temperatures = log.LogTemperature(k);
    SortedConcentrations.clear();
    SortedTemperatures.clear();
    SortedConcentrations.reserve(concentrations.size());
    SortedTemperatures.reserve(concentrations.size());
    for (std::size_t r = 0; r < concentrations.size() && r < temperatures.size(); ++r) {
      if (concentrations[r] != 0.0f) {
        SortedConcentrations.push_back(concentrations[r]);
        SortedTemperatures.push_back(temperatures[r]);
      }
    }
    if (SortedConcentrations.empty()) continue;
    SortWithCompanion(SortedConcentrations, SortedTemperatures);
    PrintSolutionTable(context, SortedConcentrations, SortedTemperatures, k);
  }

  if (log.WaterPointsLogged) {
    SortedTemperatures.clear();
    for (const float temperature : log.LogTemperature(model::kWater)) {
      if (temperature != 0.0f) SortedTemperatures.push_back(temperature);
    }
    SortAscending(SortedTemperatures);
    PrintWaterTable(context, SortedTemperatures);
  }

  return printer.EndDocument();
}

platform::PrintOutcome PrintProtocol(report::RunLog& log, platform::PrinterOps& printer,
                                     const platform::ClockOps& clock, const platform::LocaleOps& locale) {
  static const model::SubstanceTables tables = model::MakeSubstanceTables();
  return PrintProtocol(tables, log, printer, clock, locale);
}

}  // namespace elprops::report
