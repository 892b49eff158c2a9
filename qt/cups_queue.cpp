#include "qt/cups_queue.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <thread>

namespace elprops::platform::cups {
namespace {

std::string_view Option(const cups_dest_t& dest, const char* name) {
  const char* value = cupsGetOption(name, dest.num_options, dest.options);
  return value != nullptr ? std::string_view(value) : std::string_view();
}

// The scheduler's message about `queue` ("Unable to open the output file"),
// or empty.
std::string StateMessage(const std::string& queue) {
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr);
  if (dest == nullptr) return {};
  std::string message(Option(*dest, "printer-state-message"));
  cupsFreeDests(1, dest);
  return message;
}

struct Jobs {
  cups_job_t* list = nullptr;
  int count = -1;  // -1: the scheduler could not be asked
  Jobs() = default;
  Jobs(const Jobs&) = delete;
  Jobs& operator=(const Jobs&) = delete;
  ~Jobs() {
    if (count > 0) cupsFreeJobs(count, list);
  }
};

void ReadJobs(const std::string& queue, Jobs& jobs) {
  jobs.count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs.list, queue.c_str(), 1, CUPS_WHICHJOBS_ALL);
  if (jobs.count < 0 || (jobs.count == 0 && cupsLastError() >= IPP_STATUS_REDIRECTION_OTHER_SITE)) jobs.count = -1;
}

}  // namespace

std::optional<Destination> DefaultDestination() {
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
  if (dest == nullptr) return std::nullopt;
  Destination found;
  found.queue = dest->name;
  found.name = found.queue;
  if (dest->instance != nullptr && *dest->instance != '\0') found.name += std::string("/") + dest->instance;
  // Where the scheduler leaves an attribute out, nothing speaks against it.
  found.accepting = Option(*dest, "printer-is-accepting-jobs") != "false";
  found.stopped = Option(*dest, "printer-state") == "5";
  found.message = std::string(Option(*dest, "printer-state-message"));
  cupsFreeDests(1, dest);
  return found;
}

std::optional<int> LastJobId(const std::string& queue) {
  Jobs jobs;
  ReadJobs(queue, jobs);
  if (jobs.count < 0) return std::nullopt;
  int last = 0;
  for (int i = 0; i < jobs.count; ++i) last = std::max(last, jobs.list[i].id);
  return last;
}

std::string LastFailure() {
  if (cupsLastError() < IPP_STATUS_REDIRECTION_OTHER_SITE) return {};
  const char* text = cupsLastErrorString();
  return text != nullptr ? std::string(text) : std::string(ippErrorString(cupsLastError()));
}

JobReport FollowJob(const std::string& queue, int afterId, const std::string& title,
                    std::chrono::milliseconds patience) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + patience;
  JobReport report;
  for (;;) {
    Jobs jobs;
    ReadJobs(queue, jobs);
    if (jobs.count < 0) {
      report.fate = JobReport::Fate::Missing;
      report.detail = "the print system could not be asked about the job: " + LastFailure();
      return report;
    }
    const cups_job_t* job = nullptr;
    for (int i = 0; i < jobs.count; ++i) {
      const cups_job_t& candidate = jobs.list[i];
      if (candidate.id <= afterId || candidate.title == nullptr || title != candidate.title) continue;
      if (job == nullptr || candidate.id < job->id) job = &candidate;
    }
    if (job == nullptr) {
      report.fate = JobReport::Fate::Missing;
      report.detail = "the print system created no job";
      return report;
    }
    report.id = job->id;
    const std::string name = queue + "-" + std::to_string(job->id);
    switch (job->state) {
      case IPP_JSTATE_COMPLETED:
        report.fate = JobReport::Fate::Done;
        return report;
      case IPP_JSTATE_ABORTED:
      case IPP_JSTATE_CANCELED:
      case IPP_JSTATE_STOPPED: {
        report.fate = JobReport::Fate::Failed;
        if (job->state == IPP_JSTATE_STOPPED) {
          cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), job->id, 0);
          report.detail = "the print system stopped job " + name + " (now cancelled, so that it does not print later)";
        } else if (job->state == IPP_JSTATE_ABORTED) {
          report.detail = "the print system aborted job " + name;
        } else {
          report.detail = "job " + name + " was cancelled";
        }
        const std::string message = StateMessage(queue);
        if (!message.empty()) report.detail += " (" + message + ")";
        return report;
      }
      default:
        break;
    }
    if (Clock::now() >= deadline) {
      report.fate = JobReport::Fate::Waiting;
      return report;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

}  // namespace elprops::platform::cups
