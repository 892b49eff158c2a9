// Text from the input made safe for the output: well-formed UTF-8 in JSON
// strings and in messages on standard error, whatever bytes came in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace elprops::cli {

class OutputBuffer;

// U+FFFD REPLACEMENT CHARACTER in UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence that `text` starts with
// (1 to 4), or 0 when it starts with an ill-formed one; then `bad` is the
// length of its maximal subpart (at least 1), which stands for one U+FFFD.
// `text` must not be empty.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t& bad);

// The escape of a quote, a backslash or a control character (below 0x20,
// as \u00XX) in a JSON string; `c` must be one of those.
std::string_view EscapedControl(unsigned char c);

// `text` as a JSON string with its quotes: quote and backslash escaped,
// every control character (tab and NUL included) as \u00XX, ill-formed
// UTF-8 replaced by U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);
// The same written into the buffer, without a copy of the text.
void AppendJsonString(OutputBuffer& out, std::string_view text);

// "elprops-cli: <message>\n" for standard error: control characters shown
// as \xXX and ill-formed UTF-8 as U+FFFD, so that nothing is cut off or
// sent to the terminal as a command.
std::string ErrorLine(std::string_view message);

}  // namespace elprops::cli
