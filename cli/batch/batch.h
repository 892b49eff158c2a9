// The batch run: points from a CSV stream, one result row per point, in
// input order, with memory that does not grow with the input.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "cli/input/csv_reader.h"
#include "cli/output/point_output.h"

namespace elprops::cli {

// Exit statuses of the command-line tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitPointFailed = 1;
inline constexpr int kExitUsage = 2;

struct BatchOutcome {
  int exitStatus = kExitOk;
  std::size_t points = 0;  // rows written
  std::size_t failed = 0;  // rows with an error
  // For standard error, in the order they happened; none when all went
  // well.
  std::vector<std::string> messages;
};

// Reads `source` (CSV with the header substance,concentration,temperature)
// and writes CSV or JSON lines to `out`, one row for every row of the
// input. A refused or failing point, and a row that is not a point (a
// value that is not a number, the wrong number of cells, ...), gets an
// error cell and the run goes on (exit status 1). Only an input that
// cannot be read at all (no header, a wrong header, a read error) stops
// it (exit status 2) after the rows before it; so does a failed write,
// without reading the rest of the input. When `stop` turns non-zero (see
// CatchStopSignals), the run ends after the row being written, with exit
// status 128 + the signal. `settings` give the unit of the concentrations
// (a `unit` column overrides it row by row), the unit columns and the
// warnings.
//
// The calling thread reads; `jobs` threads compute blocks of rows and one
// more writes them in input order, so the output is the same whatever the
// number of jobs. Only a bounded number of blocks is held at a time. The
// signals of `stop` must reach the calling thread: the threads started here
// block SIGINT and SIGTERM. `delimiter` is the input's character between
// cells, ',' or ';', or 0 to tell it from the header.
BatchOutcome RunBatch(ByteSource& source, Format format, OutputBuffer& out, const std::atomic<int>* stop = nullptr,
                      const PointSettings& settings = {}, unsigned jobs = 1, char delimiter = 0);

// The most computing threads a run takes.
inline constexpr unsigned kMaxJobs = 256;

}  // namespace elprops::cli
