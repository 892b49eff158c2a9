#include "command_support.h"

#include <cstdio>
#include <string_view>

#include "commands.h"

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
  std::fprintf(stderr, "elprops-cli: %.*s\n", static_cast<int>(message.size()), message.data());
}

}  // namespace elprops::cli
