#include "cli/output/safe_text.h"

#include "cli/output/output_buffer.h"

namespace elprops::cli {
namespace {

constexpr char kHex[] = "0123456789abcdef";

bool Continuation(unsigned char c, unsigned char low = 0x80, unsigned char high = 0xBF) {
  return c >= low && c <= high;
}

// Walks `text`: well-formed sequences go to `take`, each maximal ill-formed
// subpart becomes one U+FFFD.
template <typename Take>
void ForEachSequence(std::string_view text, Take take) {
  while (!text.empty()) {
    std::size_t bad = 0;
    const std::size_t n = Utf8SequenceAt(text, bad);
    if (n > 0) {
      take(text.substr(0, n));
      text.remove_prefix(n);
    } else {
      take(kReplacementCharacter);
      text.remove_prefix(bad);
    }
  }
}

}  // namespace

std::size_t Utf8SequenceAt(std::string_view text, std::size_t& bad) {
  const auto at = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  // The range of the second byte depends on the lead byte: it excludes
  // overlong forms, surrogates and values beyond U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    bad = 1;
    return 0;
  }
  std::size_t k = 1;
  for (; k < length; ++k) {
    if (k >= text.size() || !(k == 1 ? Continuation(at(k), low, high) : Continuation(at(k)))) {
      bad = k;
      return 0;
    }
  }
  return length;
}

namespace {

// Writes the JSON string to `out`, a std::string or an OutputBuffer; a text
// with nothing to escape (formulas, most messages) goes in one piece.
template <typename Out>
void EscapeJson(Out& out, std::string_view text) {
  const auto plain = [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x80 && c != '"' && c != '\\';
  };
  out.append("\"");
  std::size_t start = 0;
  while (start < text.size() && plain(text[start])) ++start;
  out.append(text.substr(0, start));
  ForEachSequence(text.substr(start), [&out](std::string_view sequence) {
    const auto c = static_cast<unsigned char>(sequence.front());
    if (c == '"' || c == '\\') {
      const char escaped[2] = {'\\', static_cast<char>(c)};
      out.append(std::string_view(escaped, 2));
    } else if (c < 0x20) {
      const char escaped[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
      out.append(std::string_view(escaped, 6));
    } else {
      out.append(sequence);
    }
  });
  out.append("\"");
}

// OutputBuffer with the appending words of std::string.
struct BufferAppender {
  OutputBuffer& buffer;
  void append(std::string_view text) { buffer.Append(text); }
};

struct StringAppender {
  std::string& text;
  void append(std::string_view more) { text += more; }
};

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  StringAppender appender{out};
  EscapeJson(appender, text);
}

void AppendJsonString(OutputBuffer& out, std::string_view text) {
  BufferAppender appender{out};
  EscapeJson(appender, text);
}

std::string ErrorLine(std::string_view message) {
  std::string line = "elprops-cli: ";
  ForEachSequence(message, [&line](std::string_view sequence) {
    const auto c = static_cast<unsigned char>(sequence.front());
    if (c < 0x20 || c == 0x7F) {
      line += "\\x";
      line += kHex[c >> 4];
      line += kHex[c & 15];
    } else {
      line += sequence;
    }
  });
  line += '\n';
  return line;
}

}  // namespace elprops::cli
