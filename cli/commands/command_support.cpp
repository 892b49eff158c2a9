#include "cli/commands/command_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "cli/commands/commands.h"
#include "cli/output/safe_text.h"

#ifdef ELPROPS_WITH_PDF
#include <QByteArray>

#include "qt/qt_locale.h"
#include "qt/qt_messages.h"
#endif

namespace elprops::cli {

std::string UserDecimalSeparator() {
#ifdef ELPROPS_WITH_PDF
  return platform::SystemLocale().DecimalSeparator();
#else
  return ".";
#endif
}

std::string InputName(const std::string& path) { return path == "-" ? "standard input" : "\"" + path + "\""; }

std::FILE* OpenInput(const std::string& path, std::string& error) {
  if (path == "-") return stdin;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "cannot open " + InputName(path) + ": " + std::strerror(errno);
    return nullptr;
  }
  // A folder opens, but reading it fails; say so now.
  struct stat info {};
  if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    error = "cannot read " + InputName(path) + ": " + std::strerror(EISDIR);
    std::fclose(file);
    return nullptr;
  }
  return file;
}

void GuardStandardStreams() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() returns the lowest free descriptor, which is this one.
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    if (opened != -1 && opened != fd) close(opened);
  }
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
  const std::string line = ErrorLine(message);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void AddDelimiterOption(CLI::App& command, char& delimiter) {
  command
      .add_option_function<std::string>(
          "--delimiter",
          [&delimiter](const std::string& text) { delimiter = text == "," || text == "comma" ? ',' : ';'; },
          "The character between the cells of the input: , or ; (default: whichever the header uses)")
      ->type_name("CHAR")
      ->check(CLI::Validator(
          [](const std::string& text) -> std::string {
            if (text == "," || text == ";" || text == "comma" || text == "semicolon") return {};
            return "give , or ; (comma or semicolon), not \"" + text + "\"";
          },
          ""));
}

}  // namespace elprops::cli
