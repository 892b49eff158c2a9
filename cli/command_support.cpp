#include "command_support.h"

#include <cstdio>
#include <string_view>

#include "commands.h"

#ifdef ELPROPS_WITH_PDF
#include <QByteArray>

#include "qt_locale.h"
#include "qt_messages.h"
#endif

namespace elprops::cli {

std::string UserDecimalSeparator() {
#ifdef ELPROPS_WITH_PDF
  return platform::SystemLocale().DecimalSeparator();
#else
  return ".";
#endif
}

#ifdef ELPROPS_WITH_PDF
std::unique_ptr<QGuiApplication> MakeGuiApplication() {
  platform::InstallQtMessageHandler("elprops-cli");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  static int argc = 1;
  static char name[] = "elprops-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}
#endif

void ReportError(std::string_view message) {
  std::fprintf(stderr, "elprops-cli: %.*s\n", static_cast<int>(message.size()), message.data());
}

}  // namespace elprops::cli
