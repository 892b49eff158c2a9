// SIGINT and SIGTERM during a long run: the program finishes the row it is
// writing, writes the whole rows it holds and ends with 128 + the signal's
// number, instead of dying in the middle of a row.
#pragma once

#include <atomic>
#include <string>

namespace elprops::cli {

// Catches SIGINT and SIGTERM from now on. The first one only sets the
// request; a second one ends the program at once, as usual.
void CatchStopSignals();

// 0, or the number of the signal that asked the run to stop.
std::atomic<int>& StopRequest();

// "SIGINT", "SIGTERM", or "signal N".
std::string SignalName(int signal);

}  // namespace elprops::cli
