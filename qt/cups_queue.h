// What the print system (CUPS) says about the default printer and about the
// jobs sent to it. Qt submits a job without passing on the scheduler's
// answer: a queue that refuses jobs, or a job that fails on the device,
// looks printed to Qt. These questions go to the scheduler itself.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace elprops::platform::cups {

struct Destination {
  std::string queue;      // the queue on the scheduler
  std::string name;       // as Qt names it: "queue" or "queue/instance"
  bool accepting = true;  // printer-is-accepting-jobs
  bool stopped = false;   // printer-state "stopped": jobs wait until it is started
  std::string message;    // printer-state-message, where the scheduler gives one
};

// The default destination as the print system chooses it (PRINTER or LPDEST,
// the user's lpoptions, then the scheduler's default), or nothing when there
// is none or no scheduler answers.
std::optional<Destination> DefaultDestination();

// The highest id among the user's jobs on `queue`, of any state (0 when
// there are none); a job submitted afterwards has a higher id. Nothing when
// the scheduler cannot be asked.
std::optional<int> LastJobId(const std::string& queue);

// The scheduler's answer to the last request of this thread, when it was a
// failure ("server-error-not-accepting-jobs"), else empty.
std::string LastFailure();

struct JobReport {
  enum class Fate : unsigned char {
    Done,     // printed
    Waiting,  // taken and still queued or printing when we stopped looking
    Failed,   // aborted, cancelled or stopped by the print system
    Missing,  // no job was created
  };
  Fate fate = Fate::Missing;
  int id = 0;
  std::string detail;  // for Failed and Missing: what happened
};

// Follows the user's first job on `queue` with an id above `afterId` and the
// title `title` until it is done or has failed, or `patience` has passed. A
// job that the print system stopped is cancelled, so that it does not print
// later besides the PDF that replaces it.
JobReport FollowJob(const std::string& queue, int afterId, const std::string& title,
                    std::chrono::milliseconds patience);

}  // namespace elprops::platform::cups
