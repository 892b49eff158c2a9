// The shortest decimal text of a float, written as std::to_chars writes it
// (fixed or scientific, whichever is shorter, fixed on a tie), from the
// shortest round-tripping digits that the Dragonbox algorithm of {fmt}
// finds: the same text at a fraction of the cost, and batches write five
// of them for every row.
#include <fmt/format.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "model/shortest.h"

namespace elprops::model {
namespace {

constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839404142434445464748495051525354"
    "555657585960616263646566676869707172737475767778798081828384858687888990919293949596979899";

template <typename Unsigned>
int CountDigits(Unsigned n) {
  int count = 1;
  while (n >= 10000) {
    n /= 10000;
    count += 4;
  }
  return count + (n >= 10) + (n >= 100) + (n >= 1000);
}

constexpr std::uint32_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// The same for 32 bits without a loop: the bit width gives the count to
// within one (1233 / 4096 is just above log10(2)).
int CountDigits(std::uint32_t n) {
  const int estimate = (std::bit_width(n | 1u) * 1233) >> 12;
  return estimate + (n >= kPowersOfTen[estimate] ? 1 : 0);
}

// Writes the digits of n so that they end just before `end`, two at a time.
template <typename Unsigned>
void DigitsBefore(char* end, Unsigned n) {
  while (n >= 100) {
    const auto pair = static_cast<std::size_t>(n % 100) * 2;
    n /= 100;
    end -= 2;
    end[0] = kPairs[pair];
    end[1] = kPairs[pair + 1];
  }
  if (n >= 10) {
    const auto pair = static_cast<std::size_t>(n) * 2;
    end[-2] = kPairs[pair];
    end[-1] = kPairs[pair + 1];
  } else {
    end[-1] = static_cast<char>('0' + n);
  }
}

// The eight digits of n < 10^8, zeros leading, as eight characters in
// the order they are read on a little-endian machine: the two halves of
// four digits, each split into pairs and the pairs into digits, side by
// side in one word.
std::uint64_t EightDigits(std::uint32_t n) {
  const std::uint64_t halves = (n / 10000) | (std::uint64_t{n % 10000} << 32);
  const std::uint64_t hundreds = ((halves * 10486) >> 20) & ((0x7Full << 32) | 0x7Full);  // each / 100
  const std::uint64_t pairs = ((halves - 100 * hundreds) << 16) + hundreds;
  std::uint64_t tens = ((pairs * 103) >> 10) & ((0xFull << 48) | (0xFull << 32) | (0xFull << 16) | 0xFull);
  tens += (pairs - 10 * tens) << 8;
  return tens + 0x3030303030303030ull;
}

// The `count` digits of `significand` times 10^exponent in fixed notation.
// On a little-endian machine the digits are made in a word and stored with
// moves of a fixed size: the room of kShortestCharsMax takes the bytes
// beyond the text's end, which count for nothing.
char* Fixed(char* out, std::uint32_t significand, int count, int exponent) {
  int point = count + exponent;  // digits before the decimal point
  if (point <= 0) {
    // At most three zeros after the point, or scientific would be shorter.
    std::memcpy(out, "0.000000", 8);
    out += 2 - point;
    point = count;  // no point among the digits
  }
  if constexpr (std::endian::native == std::endian::little) {
    if (count == 9) {
      *out++ = static_cast<char>('0' + significand / 100000000);
      significand %= 100000000;
      count = 8;
      if (--point == 0) *out++ = '.';
    }
    const std::uint64_t digits = EightDigits(significand) >> (8 * (8 - count));
    if (point <= 0 || point >= count) {
      std::memcpy(out, &digits, 8);
      return out + count;
    }
    const std::uint64_t before = digits & ((std::uint64_t{1} << (8 * point)) - 1);
    const std::uint64_t after = digits >> (8 * point);
    std::memcpy(out, &before, 8);
    out[point] = '.';
    std::memcpy(out + point + 1, &after, 8);
    return out + count + 1;
  } else {
    DigitsBefore(out + count + 1, significand);
    if (point >= count) {
      for (int k = 0; k < count; ++k) out[k] = out[k + 1];
      return out + count;
    }
    for (int k = 0; k < point; ++k) out[k] = out[k + 1];
    out[point] = '.';
    return out + count + 1;
  }
}

char* Scientific(char* out, std::uint32_t significand, int count, int exponent) {
  DigitsBefore(out + count + 1, significand);
  out[0] = out[1];
  if (count > 1) {
    out[1] = '.';
    out += count + 1;
  } else {
    out += 1;
  }
  *out++ = 'e';
  *out++ = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  const int digits = magnitude < 10 ? 2 : CountDigits(static_cast<std::uint32_t>(magnitude));
  DigitsBefore(out + digits, static_cast<std::uint32_t>(magnitude));
  if (magnitude < 10) out[0] = '0';
  return out + digits;
}

}  // namespace

char* ShortestChars(char* out, float value) noexcept {
  if (!std::isfinite(value) || value == 0.0f) return std::to_chars(out, out + kShortestCharsMax, value).ptr;
  if (std::signbit(value)) {
    *out++ = '-';
    value = -value;
  }
  const auto decimal = fmt::detail::dragonbox::to_decimal(value);  // without trailing zeros
  const int count = CountDigits(decimal.significand);
  const int scientificExponent = decimal.exponent + count - 1;
  const int magnitude = scientificExponent < 0 ? -scientificExponent : scientificExponent;
  const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + (magnitude < 100 ? 2 : 3);
  int fixedLength = 0;
  if (decimal.exponent >= 0) {
    fixedLength = count + decimal.exponent;
  } else if (count + decimal.exponent > 0) {
    fixedLength = count + 1;
  } else {
    fixedLength = 2 - (count + decimal.exponent) + count;
  }
  if (fixedLength > scientificLength) return Scientific(out, decimal.significand, count, scientificExponent);
  // Of the texts of that length the nearest is chosen: a whole number
  // written out in full is the float's exact value, not its shortest digits
  // padded with zeros (33649928, not 33649930). Fixed is never chosen beyond
  // 1e14, well inside 64 bits.
  if (decimal.exponent > 0) {
    const auto whole = static_cast<std::uint64_t>(value);
    const int digits = CountDigits(whole);
    DigitsBefore(out + digits, whole);
    return out + digits;
  }
  return Fixed(out, decimal.significand, count, decimal.exponent);
}

}  // namespace elprops::model
