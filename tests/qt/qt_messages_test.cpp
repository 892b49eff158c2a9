// Qt's messages as the programs write them: the noise of a headless run and
// of a failed painter is dropped, real warnings stay, on one line each.
#include "qt/qt_messages.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace elprops::platform {
namespace {

struct MessageCase {
  const char* name;
  QtMsgType type;
  const char* message;
  std::optional<std::string> line;  // nothing: dropped
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class QtMessageLines : public ::testing::TestWithParam<MessageCase> {};

TEST_P(QtMessageLines, NoiseDroppedWarningsKept) {
  EXPECT_EQ(QtMessageLine(GetParam().type, GetParam().message, "elprops-cli"), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Qt, QtMessageLines,
    ::testing::Values(
        MessageCase{"NoRuntimeFolder", QtWarningMsg,
                    "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'", std::nullopt},
        MessageCase{"RuntimeFolderPermissions", QtWarningMsg,
                    "QStandardPaths: wrong permissions on runtime directory /run/user/0, 0755 instead of 0700",
                    std::nullopt},
        MessageCase{"PainterNotStarted", QtWarningMsg, "QPainter::begin(): Returned false", std::nullopt},
        MessageCase{"PainterNotActive", QtWarningMsg, "QPainter::end: Painter not active, aborted", std::nullopt},
        MessageCase{"OffscreenSizeHints", QtWarningMsg, "This plugin does not support propagateSizeHints()",
                    std::nullopt},
        MessageCase{"Debug", QtDebugMsg, "QPainter::begin(): anything", std::nullopt},
        MessageCase{"Info", QtInfoMsg, "qt.qpa: something", std::nullopt},
        MessageCase{"RealWarning", QtWarningMsg, "qt.qpa.fonts: Unable to open font file",
                    "elprops-cli: warning: qt.qpa.fonts: Unable to open font file\n"},
        MessageCase{"Critical", QtCriticalMsg, "Could not connect to display",
                    "elprops-cli: error: Could not connect to display\n"},
        MessageCase{"SeveralLines", QtWarningMsg, "first line\nsecond line\n",
                    "elprops-cli: warning: first line second line\n"},
        // Only the beginning of a message marks it as noise.
        MessageCase{"NoiseWordsInside", QtWarningMsg, "font: QPainter::begin(): Returned false",
                    "elprops-cli: warning: font: QPainter::begin(): Returned false\n"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace elprops::platform
