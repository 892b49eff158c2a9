#include "cli/input/sweep.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace elprops::cli {
namespace {

// The text in quotes, then `tail`. (Built by appending: GCC 12 warns
// wrongly about a literal + std::string chain here.)
std::string Quoted(std::string_view text, std::string_view tail) {
  std::string s;
  s += '"';
  s += text;
  s += '"';
  s += tail;
  return s;
}

// Whether a range that gives one value had its step where it does not
// belong: a step beyond a span that is not empty (20:30:20 drops the 30),
// or FROM equal to TO where the text reads sensibly as FROM:STEP:TO
// (0.05:0.05:0.25). A range written as FROM:FROM:STEP, whose third number
// cannot be the end (5:5:1), stays one value.
bool StepMisplaced(double from, double to, double step) { return to > from || (step > from && to > 0.0); }

// Why a range whose step is misplaced is refused; with `reordered`, the
// text in the order FROM:TO:STEP, as its numbers read as FROM:STEP:TO.
std::string MisplacedStep(std::string_view text, std::size_t colon, std::size_t colon2, bool reordered) {
  const std::string first(TrimBlanks(text.substr(0, colon)));
  const std::string second(TrimBlanks(text.substr(colon + 1, colon2 - colon - 1)));
  const std::string third(TrimBlanks(text.substr(colon2 + 1)));
  std::string why = ": the step " + third + " is larger than the span from " + first + " to " + second +
                    ", so the range gives one value; a range is FROM:TO:STEP";
  if (reordered) {
    why += " (for the values from " + first + " to " + third + " in steps of " + second + ", write " + first + ":" +
           third + ":" + second + ")";
  }
  return why;
}

}  // namespace

Sweep Sweep::Single(ParsedDecimal value) {
  Sweep s;
  s.single_ = value;
  return s;
}

std::optional<Sweep> Sweep::Parse(std::string_view text, std::string& error) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    const ParsedDecimal value = ParseDecimal(text);
    if (value.error == NumberError::NotANumber) {
      error = Quoted(text, " is not a number");
      return std::nullopt;
    }
    return Single(value);
  }
  const std::size_t colon2 = text.find(':', colon + 1);
  if (colon2 == std::string_view::npos || text.find(':', colon2 + 1) != std::string_view::npos) {
    error = Quoted(text, " is not a range FROM:TO:STEP");
    return std::nullopt;
  }
  const ParsedDecimal from = ParseDecimal(text.substr(0, colon));
  const ParsedDecimal to = ParseDecimal(text.substr(colon + 1, colon2 - colon - 1));
  const ParsedDecimal step = ParseDecimal(text.substr(colon2 + 1));
  if (!from.ok() || !to.ok() || !step.ok() || TrimBlanks(text.substr(0, colon)).empty() ||
      TrimBlanks(text.substr(colon + 1, colon2 - colon - 1)).empty() || TrimBlanks(text.substr(colon2 + 1)).empty()) {
    error = Quoted(text, ": FROM, TO and STEP must be numbers");
    return std::nullopt;
  }
  if (!(step.value > 0.0)) {
    error = Quoted(text, ": STEP must be greater than 0");
    return std::nullopt;
  }
  if (to.value < from.value) {
    error = Quoted(text, ": TO must not be less than FROM");
    return std::nullopt;
  }
  // A little slack so that 0.1:0.3:0.1 ends at 0.3 despite binary steps.
  const double intervals = std::floor((to.value - from.value) / step.value + 1e-9);
  if (intervals == 0.0 && StepMisplaced(from.value, to.value, step.value)) {
    error = Quoted(text, MisplacedStep(text, colon, colon2, step.value > from.value && to.value > 0.0));
    return std::nullopt;
  }
  if (!(intervals < static_cast<double>(kMaxSweepValues))) {
    error = Quoted(text, " gives more than " + std::to_string(kMaxSweepValues) + " values");
    return std::nullopt;
  }
  Sweep s;
  s.range_ = true;
  s.from_ = from.value;
  s.step_ = step.value;
  s.count_ = static_cast<std::size_t>(intervals) + 1;
  return s;
}

ParsedDecimal Sweep::AtDecimal(std::size_t k) const {
  if (!range_) return single_;
  const double value = from_ + static_cast<double>(k) * step_;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  return ParseDecimal(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

SweepList::SweepList(std::vector<Sweep> parts) : parts_(std::move(parts)) {
  for (const Sweep& part : parts_) count_ += part.Count();
}

std::optional<SweepList> SweepList::Parse(const std::vector<std::string>& texts, std::string& error) {
  std::vector<Sweep> parts;
  std::size_t count = 0;
  for (const std::string& text : texts) {
    std::optional<Sweep> part = Sweep::Parse(text, error);
    if (!part) return std::nullopt;
    count += part->Count();
    if (count > kMaxSweepValues) {
      error = "the values given together are more than " + std::to_string(kMaxSweepValues);
      return std::nullopt;
    }
    parts.push_back(*part);
  }
  return SweepList(std::move(parts));
}

ParsedDecimal SweepList::AtDecimal(std::size_t k) const {
  for (const Sweep& part : parts_) {
    if (k < part.Count()) return part.AtDecimal(k);
    k -= part.Count();
  }
  return {};
}

std::optional<std::size_t> CombinedCount(const Sweep& concentrations, const Sweep& temperatures, std::string& error) {
  return CombinedCount(concentrations.Count(), temperatures.Count(), error);
}

std::optional<std::size_t> CombinedCount(std::size_t c, std::size_t t, std::string& error) {
  // Each count is at most kMaxSweepValues, so the product cannot overflow.
  if (c * t <= kMaxSweepValues) return c * t;
  const std::size_t perRun = std::max<std::size_t>(1, kMaxSweepValues / t);
  error = "the sweep gives " + std::to_string(c) + " concentrations x " + std::to_string(t) +
          " temperatures = " + std::to_string(c * t) + " points, more than " + std::to_string(kMaxSweepValues) +
          "; split the job into runs of at most " + std::to_string(perRun) +
          " concentrations each (or fewer temperatures) and join their outputs";
  return std::nullopt;
}

}  // namespace elprops::cli
