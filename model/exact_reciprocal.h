// Shared by the one-point and the many-points computation.
#pragma once

#include <bit>
#include <cstdint>

namespace elprops::model {

// True when dividing by d is the same as multiplying by 1/d: d is a power
// of two (1 and 2 are the divisors in use), so 1/d is exact and both give
// the correctly rounded quotient.
inline bool ExactReciprocal(double d) {
  constexpr std::uint64_t kFraction = (std::uint64_t{1} << 52) - 1;
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(d);
  const std::uint64_t exponent = (bits >> 52) & 0x7FF;
  // Positive, no fraction bits, and both d and 1/d normal numbers.
  return (bits >> 63) == 0 && (bits & kFraction) == 0 && exponent >= 1 && exponent <= 2045;
}

}  // namespace elprops::model
