#include "cli/commands/command_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "cli/commands/commands.h"
#include "cli/output/output_buffer.h"
#include "cli/output/quantities.h"
#include "cli/output/safe_text.h"
#include "cli/output/table_output.h"
#include "cli/plot/plot_data.h"

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

namespace elprops::cli {

void AddQuantityOptions(CLI::App& command, QuantityOptions& options) {
  command
      .add_option("-p,--properties", options.properties,
                  "The quantities to write, in this order: names separated by commas or the option repeated, from " +
                      QuantityChoices() +
                      " (- for _, and the short names prandtl, pr, nu, alpha, beta, dh), or all; default: the five "
                      "properties")
      ->type_name("LIST")
      ->allow_extra_args(false);
  command
      .add_option("--reference-temperature", options.referenceTemperature,
                  "The temperature, °C, the heat taken up (heat_taken_up) is counted from; default 20")
      ->type_name("T");
}

void AddLanguageOption(CLI::App& command, std::string& language, bool tableOnly) {
  const std::string locale = " (default: ru when LC_ALL, LC_MESSAGES or LANG starts with ru, otherwise en)";
  command
      .add_option("--lang", language,
                  tableOnly ? "Language of the table: ru or en" + locale
                            : "Language of the text and table outputs: ru or en" + locale +
                                  "; the text output of the five properties stays the window's Russian block unless "
                                  "--lang en is given")
      ->check(CLI::IsMember({"ru", "en"}));
}

std::function<bool(std::string_view)> CollectInto(std::string& text) {
  return [&text](std::string_view data) {
    text.append(data);
    return true;
  };
}

bool WriteSolveTableOut(std::string_view csv, const std::string& language) {
  OutputBuffer out(StandardOutput());
  WriteSolveTable(out, csv, RussianOutput(language), UserDecimalSeparator());
  if (out.Flush()) return true;
  errno = out.ErrorNumber();
  return false;
}

bool RussianOutput(const std::string& language) {
  if (!language.empty()) return language == "ru";
  return DefaultPlotLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")) ==
         PlotLanguage::Russian;
}

}  // namespace elprops::cli
