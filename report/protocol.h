// The printed protocol of a run: a solution table for every electrolyte
// with recorded points, then the water table, headed by a date stamp.
#pragma once

#include "catalogue.h"
#include "platform.h"
#include "run_log.h"

namespace elprops::report {

// Prints the protocol of `log` through `printer` and ends the document.
// Every point is computed again from the catalogue tables. Returns where the
// document went.
platform::PrintOutcome PrintProtocol(const model::SubstanceTables& tables, frontend::RunLog& log,
                                     platform::PrinterOps& printer, const platform::ClockOps& clock,
                                     const platform::LocaleOps& locale);

}  // namespace elprops::report
