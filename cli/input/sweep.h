// A value or a range FROM:TO:STEP of the compute command.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/input/point_input.h"

namespace elprops::cli {

class Sweep {
 public:
  // "0.1", "0,1" or "0.1:0.3:0.05"; nothing, with `error` set, when the
  // text is neither.
  static std::optional<Sweep> Parse(std::string_view text, std::string& error);
  // One value: empty text reads as 0.
  static Sweep Single(ParsedDecimal value);

  [[nodiscard]] std::size_t Count() const { return count_; }
  // The k-th value as if it had been typed: FROM + k*STEP written with 15
  // significant digits, read back as a double and rounded to a single.
  [[nodiscard]] ParsedNumber At(std::size_t k) const { return RoundToSingle(AtDecimal(k)); }
  // The same as a double, not rounded to a single: a concentration in a
  // unit other than the mass fraction.
  [[nodiscard]] ParsedDecimal AtDecimal(std::size_t k) const;

 private:
  Sweep() = default;
  ParsedDecimal single_;
  double from_ = 0.0;
  double step_ = 0.0;
  std::size_t count_ = 1;
  bool range_ = false;
};

// The values of an option given more than once, each a value or a range,
// one after the other in the order given.
class SweepList {
 public:
  // Nothing, with `error` set, when a text is neither a value nor a range
  // or the values together are more than kMaxSweepValues.
  static std::optional<SweepList> Parse(const std::vector<std::string>& texts, std::string& error);
  static SweepList Of(const Sweep& sweep) { return SweepList({sweep}); }

  [[nodiscard]] std::size_t Count() const { return count_; }
  [[nodiscard]] ParsedNumber At(std::size_t k) const { return RoundToSingle(AtDecimal(k)); }
  [[nodiscard]] ParsedDecimal AtDecimal(std::size_t k) const;

 private:
  explicit SweepList(std::vector<Sweep> parts);
  std::vector<Sweep> parts_;
  std::size_t count_ = 0;
};

// A sweep may not produce more values than this, nor the two sweeps of a
// compute command together more points.
inline constexpr std::size_t kMaxSweepValues = 10'000'000;

// The number of points of the two sweeps together (concentration outer),
// or nothing, with `error` saying how to split the job, beyond
// kMaxSweepValues.
std::optional<std::size_t> CombinedCount(const Sweep& concentrations, const Sweep& temperatures, std::string& error);
std::optional<std::size_t> CombinedCount(std::size_t concentrations, std::size_t temperatures, std::string& error);

}  // namespace elprops::cli
