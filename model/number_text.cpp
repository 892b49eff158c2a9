#include "model/number_text.h"

#include "model/shortest.h"

#include <charconv>
#include <cmath>

namespace elprops::model {
namespace {

// "%.*g" of a single's value, from the shortest digits that read back to
// it, when they are as printf would write them: when there are at most
// `significant` (up to six: any six-digit decimal lies farther from every
// other than half a single's step, so rounding the value to six digits
// gives those digits again) and both write the number without an exponent.
// Nothing otherwise.
bool ShortestSingle(char* text, char*& end, float value, int significant) {
  static constexpr float kTenTo[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f};
  const float magnitude = std::fabs(value);
  if (significant < 1 || significant > 6 ||
      (magnitude != 0.0f && (magnitude < 1e-4f || magnitude >= kTenTo[significant]))) {
    return false;
  }
  char* const written = ShortestChars(text, value);
  int digits = 0;
  bool leading = true;
  for (const char* c = text; c != written; ++c) {
    if (*c == 'e') return false;
    if (*c < '0' || *c > '9') continue;
    leading = leading && *c == '0';
    if (!leading) ++digits;
  }
  if (digits > significant) return false;
  end = written;
  return true;
}

}  // namespace

std::string GeneralText(double value, int significant) {
  char text[40];
  char* end = text + sizeof text;
  const auto single = static_cast<float>(value);
  if (static_cast<double>(single) == value && ShortestSingle(text, end, single, significant)) {
    return std::string(text, end);
  }
  const std::to_chars_result r =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, significant);
  return std::string(text, r.ptr);
}

std::string FixedText(double value, int decimals) {
  // Enough room for any value these messages hold; a larger one is written
  // in the general form rather than cut.
  char text[64];
  const std::to_chars_result r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc{}) return GeneralText(value, 17);
  return std::string(text, r.ptr);
}

}  // namespace elprops::model
