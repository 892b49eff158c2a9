// The printed protocol of a run: a solution table for every electrolyte
// with recorded points, then the water table, headed by a date stamp.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/catalogue.h"
#include "model/correlations.h"
#include "platform/platform.h"
#include "report/run_log.h"

namespace elprops::report {

inline constexpr std::string_view kProtocolFontName = "Courier New Cyr";
inline constexpr float kProtocolFontSize = 10.0f;

// 75 em dashes, below titles, head lines and every row of both tables.
std::string RuleLine();

inline constexpr std::string_view kSolutionTitle = "          ФИЗИКО - ХИМИЧЕСКИЕ СВОЙСТВА ";
inline constexpr std::string_view kWaterTitle = "                ФИЗИКО-ХИМИЧЕСКИЕ СВОЙСТВА ВОДЫ";

inline constexpr std::string_view kSolutionHead1 =
    "|КОНЦЕНТ-|ТЕМПЕРАТУРА|ПЛОТНОСТЬ|ВЯЗКОСТЬ|ПОВЕРХНОСТНОЕ| ТЕПЛОЕМ-|ТЕПЛОПРО-|";
inline constexpr std::string_view kSolutionHead2 =
    "| РАЦИЯ  |           |         |        |  НАТЯЖЕНИЕ  |  КОСТЬ  |ВОДНОСТЬ |";
inline constexpr std::string_view kSolutionHead3 =
    "| КГ/КГ  |ГРАД. ЦЕЛЬС|КГ/(М**3)|  ПА*С  |      Н/М    |ДЖ/(КГ*К)| ВТ/(М*К)|";

inline constexpr std::string_view kWaterHead1 =
    "|ТЕМПЕРАТУРА|ПЛОТНОСТЬ|ВЯЗКОСТЬ|ПОВЕРХНОСТНОЕ|ТЕПЛОЕМКОСТЬ|ТЕПЛОПРОВОДНОСТЬ|";
inline constexpr std::string_view kWaterHead2 =
    "|           |         |        |  НАТЯЖЕНИЕ  |            |                |";
inline constexpr std::string_view kWaterHead3 =
    "| ГРАД.ЦЕЛЬС|КГ/(М**3)|  ПА*С  |     Н/М     |  ДЖ/(КГ*К) |    ВТ/(М*К)    |";

// One data row of a solution table (75 characters) and of the water table
// (76 characters), from a computed point.
std::string SolutionRow(float concentration, float temperature, const model::PropertySet& properties,
                        std::string_view decimalSeparator);
std::string WaterRow(float temperature, const model::PropertySet& properties, std::string_view decimalSeparator);

// Where the table printers send their lines, and what they read.
struct ProtocolContext {
  const model::SubstanceTables& tables;
  report::RunLog& log;  // StampPrinted is tested and set here
  platform::PrinterOps& printer;
  const platform::ClockOps& clock;
  const platform::LocaleOps& locale;
};

// Prints the table of solution `substance` (1..18) from the points given in
// their printing order; every point is computed again. A point whose
// computation fails (never one the window accepted) keeps its concentration
// and temperature and shows "ОШИБКА" in the five property cells.
void PrintSolutionTable(const ProtocolContext& context, std::span<const float> concentrations,
                        std::span<const float> temperatures, std::uint8_t substance);

// Prints the water table from the temperatures given in their printing
// order; every point is computed again for water.
void PrintWaterTable(const ProtocolContext& context, std::span<const float> temperatures);

// Prints the protocol of `log` through `printer` and ends the document.
// Every point is computed again from the catalogue tables. Returns where the
// document went. With no recorded point nothing is printed, not even the
// stamp, and the document is still ended.
platform::PrintOutcome PrintProtocol(const model::SubstanceTables& tables, report::RunLog& log,
                                     platform::PrinterOps& printer, const platform::ClockOps& clock,
                                     const platform::LocaleOps& locale);
// The same from the catalogue's own tables, made once.
platform::PrintOutcome PrintProtocol(report::RunLog& log, platform::PrinterOps& printer,
                                     const platform::ClockOps& clock, const platform::LocaleOps& locale);

}  // namespace elprops::report
