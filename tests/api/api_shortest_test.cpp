// The shortest text of a float, against the C++ library's own std::to_chars
// (an independent implementation of the same rule) over a stride through
// every bit pattern and the awkward values.
#include <gtest/gtest.h>
#include <elprops/text.hpp>

#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace {

std::string Library(float value) {
  char text[64];
  return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

std::string Ours(float value) {
  char text[elprops::shortest_chars_max];
  return {text, elprops::shortest_chars(text, value)};
}

TEST(ShortestText, AgreesWithToCharsOverEveryStrideOfBitPatterns) {
  int compared = 0;
  // A prime stride visits every exponent and sign with varied significands.
  for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 4093) {
    const auto value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    ASSERT_EQ(Ours(value), Library(value)) << "bits 0x" << std::hex << bits;
    ++compared;
  }
  EXPECT_GT(compared, 1000000);
}

TEST(ShortestText, AgreesOnTheAwkwardValues) {
  using limits = std::numeric_limits<float>;
  for (const float value : {0.0f,
                            -0.0f,
                            1.0f,
                            0.1f,
                            1070.6378f,
                            1e-20f,
                            1e20f,
                            123456.0f,
                            1234567.0f,
                            12345678.0f,
                            1e7f,
                            1e8f,
                            1e-4f,
                            1e-5f,
                            0.001f,
                            limits::min(),
                            limits::denorm_min(),
                            limits::max(),
                            limits::lowest(),
                            limits::infinity(),
                            -limits::infinity(),
                            limits::quiet_NaN()}) {
    EXPECT_EQ(Ours(value), Library(value)) << Library(value);
  }
}

}  // namespace
