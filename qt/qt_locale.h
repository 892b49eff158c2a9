// The user's regional settings and the clock, from Qt's view of the system.
#pragma once

#include <string>

#include "platform/platform.h"

namespace elprops::platform {

// Regional settings from QLocale::system(): on Linux the LC_ALL, LC_NUMERIC,
// LC_TIME and LANG variables, so LC_ALL=ru_RU.UTF-8 gives a decimal comma.
class SystemLocale final : public LocaleOps {
 public:
  [[nodiscard]] std::string DecimalSeparator() const override;
  [[nodiscard]] std::string ShortDateDay(int day) const override;
  [[nodiscard]] std::string TimeText(const LocalDateTime& when) const override;
};

// The local date and time now.
class SystemClock final : public ClockOps {
 public:
  [[nodiscard]] LocalDateTime Now() const override;
};

}  // namespace elprops::platform
