#include "cli/output/safe_text.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "cli/output/output_buffer.h"
#include "cli/output/word_scan.h"

namespace elprops::cli {
namespace {

constexpr char kHex[] = "0123456789abcdef";

}  // namespace

std::string_view EscapedControl(unsigned char c) {
  // Quote and backslash, or \u00XX for a control character.
  static constexpr auto kTable = [] {
    std::array<std::array<char, 6>, 0x60> t{};
    for (unsigned k = 0; k < 0x20; ++k) t[k] = {'\\', 'u', '0', '0', kHex[k >> 4], kHex[k & 15]};
    t['"'] = {'\\', '"'};
    t['\\'] = {'\\', '\\'};
    return t;
  }();
  return {kTable[c].data(), c < 0x20 ? std::size_t{6} : std::size_t{2}};
}

namespace {

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

// The first character from `from` on that is not plain ASCII (a control
// character, a quote, a backslash or a byte beyond ASCII), eight at a time
// first.
std::size_t PlainUpTo(std::string_view text, std::size_t from) {
  while (from + 16 <= text.size()) {
    const scan::Block b = scan::BlockAt(text, from);
    if (scan::Any((b < 0x20) | (b >= 0x80) | (b == '"') | (b == '\\'))) break;
    from += 16;
  }
  while (from + 8 <= text.size()) {
    const std::uint64_t w = scan::Word(text, from);
    if (scan::ByteBeyondAscii(w) | scan::ByteBelow(w, 0x20) | scan::ByteIs(w, '"') | scan::ByteIs(w, '\\')) break;
    from += 8;
  }
  return from;
}

// Writes the JSON string to `out`, a std::string or an OutputBuffer, in
// runs: plain characters and well-formed sequences beyond ASCII go in one
// piece up to the next character that needs work.
template <typename Out>
void EscapeJson(Out& out, std::string_view text) {
  out.append("\"");
  std::size_t run = 0;
  std::size_t k = 0;
  while (k < text.size()) {
    k = PlainUpTo(text, k);
    if (k == text.size()) break;
    const auto c = static_cast<unsigned char>(text[k]);
    if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
      ++k;
      continue;
    }
    std::size_t bad = 0;
    const std::size_t n = c >= 0x80 ? Utf8SequenceAt(text.substr(k), bad) : 0;
    if (n > 0) {
      k += n;
      continue;
    }
    out.append(text.substr(run, k - run));
    if (c >= 0x80) {
      out.append(kReplacementCharacter);
      k += bad;
    } else {
      out.append(EscapedControl(c));
      ++k;
    }
    run = k;
  }
  out.append(text.substr(run));
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
  if (PlainUpTo(text, 0) == text.size()) {
    char* at = out.Reserve(text.size() + 2);
    *at++ = '"';
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    at += text.size();
    *at++ = '"';
    out.Commit(at);
    return;
  }
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
