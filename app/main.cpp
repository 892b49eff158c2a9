// The window program: start-up, then the event loop until the program ends.
#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/app.h"
#include "qt/qt_messages.h"
#include "qt/qt_platform.h"

int main(int argc, char* argv[]) {
  // Answered before anything needs a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      if (std::printf("elprops %s\n", ELPROPS_VERSION) < 0 || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "elprops: cannot write to standard output: %s\n", std::strerror(errno));
        return 2;
      }
      return 0;
    }
  }
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
