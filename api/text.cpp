#include <charconv>
#include <string>

#include <elprops/text.hpp>

#include "model/shortest.h"

namespace elprops {

static_assert(shortest_chars_max == model::kShortestCharsMax);

char* shortest_chars(char* out, float value) noexcept { return model::ShortestChars(out, value); }

std::string shortest_text(float value) {
  char text[shortest_chars_max];
  return std::string(text, shortest_chars(text, value));
}

char* nine_digit_chars(char* out, double value) noexcept {
  return std::to_chars(out, out + shortest_chars_max, value, std::chars_format::general, 9).ptr;
}

std::string nine_digit_text(double value) {
  char text[shortest_chars_max];
  return std::string(text, nine_digit_chars(text, value));
}

}  // namespace elprops
