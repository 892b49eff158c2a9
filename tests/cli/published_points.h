// The published results of the property correlations' worked examples, to
// the six significant digits given (sodium chloride at 0.1 and 20 also to
// seven). Tests that check output numbers against the model's own singles
// also check these digits, so that they do not take the model on trust.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace elprops::cli::testing {

struct PublishedPoint {
  std::uint8_t substance;
  float concentration;
  float temperature;
  // Density, viscosity, surface tension, heat capacity, thermal
  // conductivity.
  std::array<const char*, 5> digits;
};

inline constexpr PublishedPoint kPublishedPoints[] = {
    {17, 0.1f, 20.0f, {"1070.64", "0.00120806", "0.0796479", "3747.39", "0.586735"}},
    {19, 0.0f, 20.0f, {"998.365", "0.000998348", "0.0727071", "4182.62", "0.599014"}},
    {19, 0.0f, 100.0f, {"958.096", "0.000282995", "0.0588512", "4215.45", "0.682150"}},
    {1, 0.1f, 20.0f, {"1046.91", "0.00129419", "0.0762351", "3889.78", "0.591527"}},
    {2, 0.2f, 50.0f, {"1096.68", "0.000843097", "0.0763824", "3449.91", "0.573960"}},
    {3, 0.1f, 20.0f, {"1028.33", "0.00109860", "0.0760089", "3729.60", "0.578829"}},
    {6, 0.15f, 25.0f, {"1152.51", "0.00108770", "0.0739827", "3450.67", "0.588110"}},
    {11, 0.3f, 60.0f, {"1261.73", "0.00180166", "0.0720157", "2838.36", "0.614814"}},
    {14, 0.2f, 80.0f, {"1171.38", "0.00107906", "0.0752341", "3700.88", "0.706108"}},
    {16, 0.1f, 20.0f, {"1091.63", "0.00141168", "0.0739927", "3761.04", "0.575475"}},
};

// Sodium chloride at 0.1 and 20 to seven significant digits.
inline constexpr std::array<const char*, 5> kSodiumChlorideSeven = {"1070.638", "0.001208059", "0.07964794", "3747.392",
                                                                    "0.5867352"};

inline std::optional<PublishedPoint> FindPublished(std::uint8_t substance, float x, float t) {
  for (const PublishedPoint& p : kPublishedPoints) {
    if (p.substance == substance && p.concentration == x && p.temperature == t) return p;
  }
  return std::nullopt;
}

// A number written by the program, to `digits` significant digits with
// trailing zeros kept, as the published tables write them ("0.682150").
inline std::string Significant(const std::string& text, int digits) {
  float v = 0.0f;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), v);
  if (read.ec != std::errc() || read.ptr != text.data() + text.size() || !(v > 0.0f)) return "not a positive number";
  // The decimal exponent of the value once rounded to `digits` digits.
  char scientific[64];
  const auto s = std::to_chars(scientific, scientific + sizeof scientific, static_cast<double>(v),
                               std::chars_format::scientific, digits - 1);
  const std::string_view exponentText(std::find(scientific, s.ptr, 'e') + 1, s.ptr);
  int exponent = 0;
  std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                  exponentText.data() + exponentText.size(), exponent);
  char fixed[64];
  const auto f = std::to_chars(fixed, fixed + sizeof fixed, static_cast<double>(v), std::chars_format::fixed,
                               std::max(0, digits - 1 - exponent));
  return std::string(fixed, f.ptr);
}

// The five property texts (in output order) against the published digits
// of the point, when it is one of the published points; returns whether it
// was.
inline bool ExpectPublishedDigits(const std::array<std::string, 5>& properties, std::uint8_t substance, float x,
                                  float t) {
  const std::optional<PublishedPoint> p = FindPublished(substance, x, t);
  if (!p) return false;
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(Significant(properties[k], 6), p->digits[k]) << "property " << k << " of substance " << int{substance};
    if (substance == 17) {
      EXPECT_EQ(Significant(properties[k], 7), kSodiumChlorideSeven[k]) << "property " << k;
    }
  }
  return true;
}

}  // namespace elprops::cli::testing
