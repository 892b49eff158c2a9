#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

#include "model/number_text.h"

namespace elprops::model {
namespace {

std::string Printf(const char* format, int digits, double value) {
  char text[400];
  std::snprintf(text, sizeof text, format, digits, value);
  return text;
}

// The C library's printf (this program never leaves the C locale) is the
// measure: singles typed as users type them, singles of every size from
// their bits, and doubles that are no single, at several precisions.
TEST(NumberText, WritesAsPrintfInTheCLocale) {
  std::uint64_t state = 99;
  const auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 32;
  };
  for (int k = 0; k < 100000; ++k) {
    const float typed = static_cast<float>(next() % 10000000) / static_cast<float>(1u << (next() % 24));
    const auto bits = std::bit_cast<float>(static_cast<std::uint32_t>(next()) & 0x7f7fffffu);
    const float hundredths = static_cast<float>(next() % 1000000) / 100.0f;
    const double wide = static_cast<double>(typed) * (1.0 + 1e-12);
    for (const double value : {static_cast<double>(typed), static_cast<double>(hundredths), static_cast<double>(bits),
                               -wide, 1e-4, 999999.5, 0.0}) {
      for (const int digits : {1, 4, 6, 7, 8}) {
        ASSERT_EQ(GeneralText(value, digits), Printf("%.*g", digits, value)) << value << " to " << digits;
      }
      ASSERT_EQ(FixedText(value, 5), Printf("%.*f", 5, value)) << value;
    }
  }
}

}  // namespace
}  // namespace elprops::model
