#include "command_support.h"

#include <cstdio>
#include <string_view>

#include "commands.h"
#include "safe_text.h"

#ifdef ELPROPS_WITH_PDF
#include "qt_locale.h"
#endif

namespace elprops::cli {

std::string UserDecimalSeparator() {
#ifdef ELPROPS_WITH_PDF
  return platform::SystemLocale().DecimalSeparator();
#else
  return ".";
#endif
}

void ReportError(std::string_view message) {
  const std::string line = ErrorLine(message);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace elprops::cli
