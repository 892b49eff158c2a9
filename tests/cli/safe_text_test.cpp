// JSON strings and messages stay well-formed whatever bytes the input held.
// Replacements follow the Unicode practice of one U+FFFD per maximal
// subpart of an ill-formed sequence (the examples of the Unicode
// standard's chapter on conformance give the same counts).
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "cli/output/point_output.h"
#include "cli/output/safe_text.h"

namespace elprops::cli {
namespace {

constexpr const char* kFffd = "\xEF\xBF\xBD";

struct EscapeRow {
  const char* name;
  std::string input;
  std::string json;     // without the quotes
  std::string message;  // after "elprops-cli: ", without the line feed
};

void PrintTo(const EscapeRow& row, std::ostream* os) { *os << row.name; }

class Escape : public testing::TestWithParam<EscapeRow> {};

TEST_P(Escape, JsonStringAndMessage) {
  const EscapeRow& row = GetParam();
  std::string json;
  AppendJsonString(json, row.input);
  EXPECT_EQ(json, "\"" + row.json + "\"");
  EXPECT_EQ(ErrorLine(row.input), "elprops-cli: " + row.message + "\n");
  // The same bytes inside a long plain text, wherever they fall in the
  // blocks that are looked at together.
  for (const std::size_t before : {1, 7, 16, 29}) {
    const std::string pad(before, 'x');
    json.clear();
    AppendJsonString(json, pad + row.input + std::string(20, 'y'));
    EXPECT_EQ(json, "\"" + pad + row.json + std::string(20, 'y') + "\"") << before;
  }
}

std::string F(int n) {
  std::string s;
  for (int k = 0; k < n; ++k) s += kFffd;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Escape,
    testing::Values(
        EscapeRow{"Ascii", "NaCl", "NaCl", "NaCl"}, EscapeRow{"QuoteAndBackslash", "a\"b\\c", "a\\\"b\\\\c", "a\"b\\c"},
        EscapeRow{"Tab", "a\tb", "a\\u0009b", "a\\x09b"},
        EscapeRow{"Nul", std::string("Na\0Cl", 5), "Na\\u0000Cl", "Na\\x00Cl"},
        EscapeRow{"LineFeedAndCarriageReturn", "a\r\nb", "a\\u000d\\u000ab", "a\\x0d\\x0ab"},
        EscapeRow{"Escape", "\x1b[2J", "\\u001b[2J", "\\x1b[2J"}, EscapeRow{"Delete", "\x7f", "\x7f", "\\x7f"},
        EscapeRow{"TwoByteLetter", "\xC3\xA9", "\xC3\xA9", "\xC3\xA9"}, EscapeRow{"Cyrillic", "ВОДА", "ВОДА", "ВОДА"},
        EscapeRow{"FourByteSequence", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        EscapeRow{"LastCodePoint", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
        EscapeRow{"LineSeparatorIsValid", "\xE2\x80\xA8", "\xE2\x80\xA8", "\xE2\x80\xA8"},
        EscapeRow{"LoneFF",
                  "a\xFF"
                  "b",
                  "a" + F(1) + "b", "a" + F(1) + "b"},
        EscapeRow{"TruncatedAtEnd", "a\xC3", "a" + F(1), "a" + F(1)},
        EscapeRow{"TruncatedThreeByte", "\xE2\x82x", F(1) + "x", F(1) + "x"},
        EscapeRow{"OverlongSlash", "\xC0\xAF", F(2), F(2)}, EscapeRow{"OverlongThreeByte", "\xE0\x9F\x80", F(3), F(3)},
        EscapeRow{"OverlongFourByte", "\xF0\x80\x80\x80", F(4), F(4)},
        EscapeRow{"Surrogate", "\xED\xA0\x80", F(3), F(3)},
        EscapeRow{"BelowSurrogates", "\xED\x9F\xBF", "\xED\x9F\xBF", "\xED\x9F\xBF"},
        EscapeRow{"BeyondLastCodePoint", "\xF4\x90\x80\x80", F(4), F(4)},
        EscapeRow{"FiveByteForm", "\xF8\x88\x80\x80\x80", F(5), F(5)},
        EscapeRow{"ContinuationAlone", "\x80", F(1), F(1)}),
    [](const testing::TestParamInfo<EscapeRow>& row) { return std::string(row.param.name); });

TEST(JsonString, EveryControlCharacterIsEscaped) {
  for (int c = 0; c < 0x20; ++c) {
    char expected[16];
    std::snprintf(expected, sizeof expected, "\"a\\u%04xb\"", c);
    std::string json;
    AppendJsonString(json, std::string("a") + static_cast<char>(c) + "b");
    EXPECT_EQ(json, expected) << "character " << c;
  }
}

TEST(JsonRow, ControlCharactersAndBadBytesInEveryString) {
  PointOutcome point;
  const std::string substance("K\tX\xFF\0!", 6);
  point.substanceText = substance;
  point.concentration = 0.5f;
  point.error = std::string("unknown \"K\tX\"\0 here", 19);
  std::string text;
  OutputBuffer out([&text](std::string_view data) {
    text += data;
    return true;
  });
  WriteJsonRow(out, point);
  out.Flush();
  EXPECT_EQ(text, std::string("{\"substance\":\"K\\u0009X") + kFffd +
                      "\\u0000!\",\"concentration\":0.5,\"temperature\":null,\"density\":null,\"viscosity\":null,"
                      "\"surface_tension\":null,\"heat_capacity\":null,\"thermal_conductivity\":null,\"error\":"
                      "\"unknown \\\"K\\u0009X\\\"\\u0000 here\",\"warning\":null}\n");
}

}  // namespace
}  // namespace elprops::cli
