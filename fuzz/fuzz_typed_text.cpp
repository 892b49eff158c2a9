// Typed text on its way into the window: the decimal comma made a point,
// the leading number read, kept as a single and written back in the
// general number form and in every picture the labels use. Besides
// crashes and undefined behaviour, the texts written must read back to
// the value they stand for.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frontend/app.h"
#include "text/text.h"

namespace {

using elprops::text::FormatPicture;
using elprops::text::FormatWhole;
using elprops::text::GeneralNumberForm;
using elprops::text::NearestSingle;
using elprops::text::ReadLeadingNumber;

void Check(bool condition) {
  if (!condition) std::abort();
}

// Reading a written number back gives the value within `tolerance`.
void CheckReadsBack(std::string_view text, float value, double tolerance) {
  const double back = ReadLeadingNumber(text);
  const double exact = static_cast<double>(value);
  Check(std::fabs(back - exact) <= tolerance + std::fabs(exact) * 1e-15);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view typed(reinterpret_cast<const char*>(data), size);

  const std::string normalized = elprops::frontend::App::NormalizeDecimal(typed);
  if (typed.empty()) {
    Check(normalized == "0");
  } else {
    Check(normalized.size() == typed.size());
    const std::size_t comma = typed.find(',');
    Check(comma == std::string_view::npos ? normalized == typed : normalized[comma] == '.');
  }

  const double number = ReadLeadingNumber(normalized);
  Check(!std::isnan(number));
  const float single = NearestSingle(number);

  const std::string general = GeneralNumberForm(single);
  Check(!general.empty() && (general[0] == ' ' || general[0] == '-'));
  Check(general.size() <= 14);
  if (std::isfinite(single)) {
    // Seven significant digits: half a unit of the seventh digit at most.
    CheckReadsBack(general, single, std::fabs(static_cast<double>(single)) * 5.0001e-7);
  }

  for (int decimals = 0; decimals <= 6; ++decimals) {
    const std::string picture = FormatPicture(single, decimals, ",");
    if (!std::isfinite(single)) continue;
    const std::size_t separator = picture.find(',');
    Check(separator != std::string::npos && picture.size() - separator - 1 == static_cast<std::size_t>(decimals));
    // A value that rounds to zero carries no minus sign.
    if (picture[0] == '-') Check(picture.find_first_of("123456789") != std::string::npos);
    CheckReadsBack(elprops::frontend::App::NormalizeDecimal(picture), single, 0.5000001 * std::pow(10.0, -decimals));
  }
  const std::string whole = FormatWhole(single);
  if (std::isfinite(single)) CheckReadsBack(whole, single, 0.5000001);
  return 0;
}
