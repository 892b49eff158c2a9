// Qt's own messages on standard error. A headless or sandboxed run makes Qt
// warn about things that are no fault of the user's (no runtime folder, a
// platform plugin without window hints), and a failed print or PDF job
// gives a painter warning besides the program's own message with the
// reason. Those are dropped; every other warning is kept, on one line
// headed by the program's name.
#pragma once

#include <QtGlobal>

#include <optional>
#include <string>
#include <string_view>

namespace elprops::platform {

// The line written for a message of Qt, ending in "\n", or nothing where the
// message is dropped: debug and info messages and the known noise.
std::optional<std::string> QtMessageLine(QtMsgType type, std::string_view message, std::string_view program);

// Sends Qt's messages through QtMessageLine from now on. `program` must live
// as long as the process.
void InstallQtMessageHandler(const char* program);

}  // namespace elprops::platform
