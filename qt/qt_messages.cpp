#include "qt/qt_messages.h"

#include <QString>

#include <array>
#include <cstdio>

namespace elprops::platform {
namespace {

const char* program_ = "elprops";

// Beginnings of messages that say nothing the user can act on.
constexpr std::array<std::string_view, 6> kNoise = {
    // The runtime folder is only for sockets of a desktop session.
    "QStandardPaths: XDG_RUNTIME_DIR not set",
    "QStandardPaths: runtime directory",
    "QStandardPaths: wrong permissions on runtime directory",
    // A print or PDF job that cannot start: the program says why itself.
    "QPainter::begin(): Returned false",
    "QPainter::end: Painter not active",
    // The offscreen platform has no window manager to tell sizes to.
    "This plugin does not support propagateSizeHints()",
};

void Handle(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message) {
  const QByteArray text = message.toUtf8();
  const std::optional<std::string> line =
      QtMessageLine(type, std::string_view(text.constData(), static_cast<std::size_t>(text.size())), program_);
  if (line) {
    std::fwrite(line->data(), 1, line->size(), stderr);
    std::fflush(stderr);
  }
}

}  // namespace

std::optional<std::string> QtMessageLine(QtMsgType type, std::string_view message, std::string_view program) {
  std::string_view kind;
  switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
      return std::nullopt;
    case QtWarningMsg:
      kind = "warning";
      break;
    case QtCriticalMsg:
      kind = "error";
      break;
    case QtFatalMsg:
      kind = "fatal error";
      break;
  }
  if (type == QtWarningMsg) {
    for (const std::string_view noise : kNoise) {
      if (message.starts_with(noise)) return std::nullopt;
    }
  }
  // One line: the message's own line breaks become blanks.
  std::string line;
  line.reserve(program.size() + kind.size() + message.size() + 8);
  line.append(program).append(": ").append(kind).append(": ");
  for (const char c : message) line += (c == '\n' || c == '\r') ? ' ' : c;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  line += '\n';
  return line;
}

void InstallQtMessageHandler(const char* program) {
  program_ = program;
  qInstallMessageHandler(Handle);
}

}  // namespace elprops::platform
