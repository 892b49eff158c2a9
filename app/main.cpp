// The window program: start-up, then the event loop until the program ends.
#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <optional>
#include <string_view>

#include "frontend/app.h"
#include "qt/qt_messages.h"
#include "qt/qt_platform.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: elprops [--help] [--version] [Qt options]\n"
    "\n"
    "The desktop program: physico-chemical properties of aqueous electrolyte\n"
    "solutions in a Russian-language window; the protocol of the run is printed\n"
    "(or saved as a PDF) when the window ends. For tables and scripts use\n"
    "elprops-cli.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Qt's own options are taken too, e.g. -platform offscreen or -style fusion.\n";

// Qt's options that take a value, and those that do not.
constexpr std::string_view kQtOptionsWithValue[] = {"-platform",      "-platformpluginpath",
                                                    "-platformtheme", "-plugin",
                                                    "-qmljsdebugger", "-style",
                                                    "-stylesheet",    "-session",
                                                    "-display",       "-geometry",
                                                    "-name",          "-title",
                                                    "-visual"};
constexpr std::string_view kQtFlags[] = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

int WriteOut(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "elprops: cannot write to standard output: %s\n", std::strerror(errno));
    return 2;
  }
  return 0;
}

// Answers --help and --version, and refuses what is neither ours nor Qt's,
// before anything needs a display. Nothing when the window is to open.
std::optional<int> AnswerArguments(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return WriteOut(kUsage);
    if (arg == "--version") {
      char text[64];
      std::snprintf(text, sizeof text, "elprops %s\n", ELPROPS_VERSION);
      return WriteOut(text);
    }
    bool known = false;
    for (const std::string_view option : kQtOptionsWithValue) {
      // "-style fusion" or "-style=fusion".
      if (arg == option && i + 1 < argc) {
        ++i;
        known = true;
      } else if (arg.size() > option.size() && arg.substr(0, option.size()) == option && arg[option.size()] == '=') {
        known = true;
      }
    }
    for (const std::string_view flag : kQtFlags) known = known || arg == flag;
    if (!known) {
      std::fprintf(stderr, "elprops: unknown argument \"%s\"; see elprops --help\n", argv[i]);
      return 2;
    }
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const std::optional<int> status = AnswerArguments(argc, argv)) return *status;
  elprops::platform::InstallQtMessageHandler("elprops");
#ifndef _WIN32
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  if ((display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0') &&
      (qpa == nullptr || *qpa == '\0')) {
    std::fputs("elprops: no display found (DISPLAY is not set); to run without a screen use: xvfb-run -a elprops\n",
               stderr);
    return 1;
  }
#endif
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("elprops"));

  elprops::platform::QtPlatform platform;
  elprops::frontend::App app(platform);
  platform.SetEvents(&app);
  app.Form_Load();
  if (app.Ended()) return 0;
  platform.Window().show();
  platform.Window().endButton()->setFocus();
  return QApplication::exec();
}
