// Looking at eight characters of a text at once: the output escapers skip
// the plain runs of a text this way and only look closer where a word holds
// a character that needs work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace elprops::cli::scan {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHigh = 0x8080808080808080ull;

// The eight characters of `text` from `at` on (there must be eight).
inline std::uint64_t Word(std::string_view text, std::size_t at) {
  std::uint64_t w = 0;
  std::memcpy(&w, text.data() + at, 8);
  return w;
}

// Non-zero when a byte of the word is below `limit` (at most 0x80).
constexpr std::uint64_t ByteBelow(std::uint64_t w, unsigned limit) { return (w - kOnes * limit) & ~w & kHigh; }

// Non-zero when a byte of the word is `c`.
constexpr std::uint64_t ByteIs(std::uint64_t w, char c) {
  return ByteBelow(w ^ (kOnes * static_cast<unsigned char>(c)), 1);
}

// Non-zero when a byte of the word is beyond ASCII.
constexpr std::uint64_t ByteBeyondAscii(std::uint64_t w) { return w & kHigh; }

// Sixteen characters at once, as the compiler's vectors (SSE2 or NEON):
// a block's bytes are compared all together and the block is told apart
// by whether any comparison held.
using Block = unsigned char __attribute__((vector_size(16)));

// The sixteen characters of `text` from `at` on (there must be sixteen).
inline Block BlockAt(std::string_view text, std::size_t at) {
  Block b;
  std::memcpy(&b, text.data() + at, sizeof b);
  return b;
}

// Whether any byte of a block of comparisons is set.
template <typename Mask>
inline bool Any(Mask m) {
  std::uint64_t half[2];
  static_assert(sizeof m == sizeof half);
  std::memcpy(half, &m, sizeof half);
  return (half[0] | half[1]) != 0;
}

}  // namespace elprops::cli::scan
