// The two exchange sorts against the exchange sequence written out
// literally, bit for bit, keys and companions: every short sequence over a
// few values, random runs of every length up to 300 and some longer ones,
// with ties, signed zeros and NaNs.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "report/format.h"

namespace elprops::report {
namespace {

using Floats = std::vector<float>;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
// A NaN with other bits, so that the keys show which NaN went where.
const float kOtherNaN = std::bit_cast<float>(std::uint32_t{0xFFC01234});

// The exchange sequence as written: for i from the first element, for j
// from i itself to the last, exchange when keys[j] < keys[i] or either of
// them is a NaN.
void LiteralExchange(Floats& keys, Floats* companion) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (std::size_t j = i; j < keys.size(); ++j) {
      if (keys[j] < keys[i] || std::isnan(keys[j]) || std::isnan(keys[i])) {
        std::swap(keys[i], keys[j]);
        if (companion != nullptr) std::swap((*companion)[i], (*companion)[j]);
      }
    }
  }
}

std::string Describe(const Floats& values) {
  std::string text;
  for (const float v : values) {
    if (!text.empty()) text += ' ';
    if (std::isnan(v)) {
      text += std::signbit(v) ? "-nan" : "nan";
    } else if (v == 0.0f && std::signbit(v)) {
      text += "-0";
    } else {
      text += std::to_string(v);
    }
  }
  return text;
}

// Where the two differ in their bits, or "" when they do not.
std::string BitDifference(const Floats& expected, const Floats& actual) {
  if (expected.size() != actual.size()) return "sizes differ";
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (std::bit_cast<std::uint32_t>(expected[i]) != std::bit_cast<std::uint32_t>(actual[i])) {
      return "element " + std::to_string(i);
    }
  }
  return "";
}

// Runs both sorts on the keys and the literal sequence on copies; "" when
// keys and companions agree bit for bit, otherwise what differs. The
// companion holds each key's original place and three elements past the
// count that must stay as they are.
std::string Mismatch(const Floats& keys) {
  const std::size_t n = keys.size();
  Floats companion(n + 3);
  for (std::size_t i = 0; i < companion.size(); ++i) companion[i] = static_cast<float>(i);

  Floats expectedKeys = keys;
  Floats expectedCompanion = companion;
  LiteralExchange(expectedKeys, &expectedCompanion);
  // The literal sequence only ran over the first n; put the tail back.
  std::copy(companion.begin() + static_cast<std::ptrdiff_t>(n), companion.end(),
            expectedCompanion.begin() + static_cast<std::ptrdiff_t>(n));

  Floats sortedKeys = keys;
  Floats sortedCompanion = companion;
  SortWithCompanion(sortedKeys, sortedCompanion);
  std::string difference = BitDifference(expectedKeys, sortedKeys);
  if (!difference.empty()) return "SortWithCompanion keys, " + difference + ", of: " + Describe(keys);
  difference = BitDifference(expectedCompanion, sortedCompanion);
  if (!difference.empty()) return "SortWithCompanion companion, " + difference + ", of: " + Describe(keys);

  Floats alone = keys;
  Floats expectedAlone = keys;
  LiteralExchange(expectedAlone, nullptr);
  SortAscending(alone);
  difference = BitDifference(expectedAlone, alone);
  if (!difference.empty()) return "SortAscending, " + difference + ", of: " + Describe(keys);
  return "";
}

// Every sequence of length 0 to maxLength over the alphabet.
void ExpectEverySequence(const Floats& alphabet, std::size_t maxLength) {
  int failures = 0;
  std::size_t checked = 0;
  for (std::size_t length = 0; length <= maxLength; ++length) {
    std::vector<std::size_t> digits(length, 0);
    for (;;) {
      Floats keys(length);
      for (std::size_t i = 0; i < length; ++i) keys[i] = alphabet[digits[i]];
      const std::string mismatch = Mismatch(keys);
      ++checked;
      if (!mismatch.empty()) {
        ADD_FAILURE() << mismatch;
        if (++failures == 5) return;
      }
      std::size_t k = 0;
      while (k < length && ++digits[k] == alphabet.size()) digits[k++] = 0;
      if (k == length) break;
    }
  }
  EXPECT_GT(checked, std::size_t{1000});
}

TEST(ExchangeSorts, EverySequenceOfUpToSevenKeysOverNaNZerosAndTwoValues) {
  ExpectEverySequence({kNaN, -0.0f, 0.0f, 1.0f, 2.0f}, 7);
}

TEST(ExchangeSorts, EverySequenceOfUpToSixKeysOverTwoNaNsZerosAndTwoValues) {
  ExpectEverySequence({kNaN, kOtherNaN, -0.0f, 0.0f, 1.0f, 2.0f}, 6);
}

TEST(ExchangeSorts, EverySequenceOfUpToEightKeysOverThreeValues) { ExpectEverySequence({1.0f, 2.0f, 3.0f}, 8); }

// How the keys of a random run are drawn.
enum class Shape : std::uint8_t {
  Distinct,
  TwoValues,
  FiveValues,
  ManyTies,        // about four keys for every value
  SignedZeros,     // +0 and -0 among three other values
  SomeNaNs,        // one key in seventeen a NaN, the rest from 1000 values
  ManyNaNs,        // every third key a NaN, two kinds of NaN, four values
  DescendingTies,  // few values, in descending order
  AscendingTies,   // few values, already in order
  Alternating,     // 2, 1, 2, 1, ... with now and then a 3
  Sawtooth,        // 0 to 6 over and over
  NaNsAtTheEnds,   // NaNs first and last, few values between
};

struct RunCase {
  const char* name;
  Shape shape;
};

void PrintTo(const RunCase& c, std::ostream* out) { *out << c.name; }

Floats DrawKeys(Shape shape, std::size_t n, std::mt19937& random) {
  Floats keys(n);
  auto below = [&](std::uint32_t count) { return static_cast<float>(random() % count); };
  for (std::size_t i = 0; i < n; ++i) {
    switch (shape) {
      case Shape::Distinct:
        keys[i] = static_cast<float>(i) * 0.5f;
        break;
      case Shape::TwoValues:
        keys[i] = below(2);
        break;
      case Shape::FiveValues:
      case Shape::DescendingTies:
      case Shape::AscendingTies:
        keys[i] = below(5) * 0.1f;
        break;
      case Shape::ManyTies:
        keys[i] = below(static_cast<std::uint32_t>(n / 4 + 1));
        break;
      case Shape::SignedZeros:
        keys[i] = random() % 2 == 0 ? (random() % 2 == 0 ? 0.0f : -0.0f) : 1.0f + below(3);
        break;
      case Shape::SomeNaNs:
        keys[i] = random() % 17 == 0 ? kNaN : below(1000);
        break;
      case Shape::ManyNaNs:
        keys[i] = random() % 3 == 0 ? (random() % 2 == 0 ? kNaN : kOtherNaN) : below(4);
        break;
      case Shape::Alternating:
        keys[i] = random() % 23 == 0 ? 3.0f : (i % 2 == 0 ? 2.0f : 1.0f);
        break;
      case Shape::Sawtooth:
        keys[i] = static_cast<float>(i % 7);
        break;
      case Shape::NaNsAtTheEnds:
        keys[i] = (i < 3 || i + 3 >= n) ? (i % 2 == 0 ? kNaN : kOtherNaN) : below(3);
        break;
    }
  }
  const bool drawnInPlace = shape == Shape::DescendingTies || shape == Shape::AscendingTies ||
                            shape == Shape::Alternating || shape == Shape::Sawtooth || shape == Shape::NaNsAtTheEnds;
  if (!drawnInPlace) std::shuffle(keys.begin(), keys.end(), random);
  if (shape == Shape::DescendingTies) std::sort(keys.begin(), keys.end(), [](float a, float b) { return a > b; });
  if (shape == Shape::AscendingTies) std::sort(keys.begin(), keys.end());
  return keys;
}

class ExchangeSortRuns : public ::testing::TestWithParam<RunCase> {};

TEST_P(ExchangeSortRuns, EveryLengthUpToThreeHundred) {
  const RunCase& c = GetParam();
  int failures = 0;
  for (std::size_t n = 0; n <= 300; ++n) {
    std::mt19937 random(static_cast<std::uint32_t>(1000 + n));
    for (int round = 0; round < 3; ++round) {
      const std::string mismatch = Mismatch(DrawKeys(c.shape, n, random));
      if (!mismatch.empty()) {
        ADD_FAILURE() << "n = " << n << ": " << mismatch.substr(0, 300);
        if (++failures == 5) return;
      }
    }
  }
}

TEST_P(ExchangeSortRuns, LongerRuns) {
  const RunCase& c = GetParam();
  std::mt19937 random(4242);
  for (const std::size_t n : {1000u, 2000u, 5000u}) {
    const std::string mismatch = Mismatch(DrawKeys(c.shape, n, random));
    EXPECT_EQ(mismatch.substr(0, 300), "") << "n = " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Report, ExchangeSortRuns,
    ::testing::Values(RunCase{"Distinct", Shape::Distinct}, RunCase{"TwoValues", Shape::TwoValues},
                      RunCase{"FiveValues", Shape::FiveValues}, RunCase{"ManyTies", Shape::ManyTies},
                      RunCase{"SignedZeros", Shape::SignedZeros}, RunCase{"SomeNaNs", Shape::SomeNaNs},
                      RunCase{"ManyNaNs", Shape::ManyNaNs}, RunCase{"DescendingTies", Shape::DescendingTies},
                      RunCase{"AscendingTies", Shape::AscendingTies}, RunCase{"Alternating", Shape::Alternating},
                      RunCase{"Sawtooth", Shape::Sawtooth}, RunCase{"NaNsAtTheEnds", Shape::NaNsAtTheEnds}),
    [](const auto& row) { return std::string(row.param.name); });

// Long runs whose result needs no literal sequence: equal keys are never
// exchanged with each other, and distinct keys have one ascending order.
TEST(ExchangeSorts, AMillionEqualKeysKeepTheirCompanionsInOrder) {
  const std::size_t n = 1'000'000;
  Floats keys(n, 0.1f);
  Floats companion(n);
  for (std::size_t i = 0; i < n; ++i) companion[i] = 5.0f + static_cast<float>(i % 9001) * 0.01f;
  const Floats original = companion;
  SortWithCompanion(keys, companion);
  EXPECT_EQ(keys, Floats(n, 0.1f));
  EXPECT_EQ(companion, original);
}

TEST(ExchangeSorts, DescendingDistinctKeysEndAscendingWithTheirCompanions) {
  const std::size_t n = 200'000;
  Floats keys(n);
  Floats companion(n);
  for (std::size_t i = 0; i < n; ++i) {
    keys[i] = static_cast<float>(n - i);
    companion[i] = static_cast<float>(i);
  }
  SortWithCompanion(keys, companion);
  for (std::size_t m = 0; m < n; ++m) {
    ASSERT_EQ(keys[m], static_cast<float>(m + 1)) << m;
    ASSERT_EQ(companion[m], static_cast<float>(n - 1 - m)) << m;
  }
}

// A pass carries each NaN one place on and leaves the last one at the front:
// NaNs alone come out in reverse order.
TEST(ExchangeSorts, NaNsAloneComeOutReversed) {
  Floats keys{kNaN, kOtherNaN, kNaN};
  Floats companion{1, 2, 3};
  SortWithCompanion(keys, companion);
  EXPECT_EQ(companion, (Floats{3, 2, 1}));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(keys[1]), std::bit_cast<std::uint32_t>(kOtherNaN));
}

}  // namespace
}  // namespace elprops::report
