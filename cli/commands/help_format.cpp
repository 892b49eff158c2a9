#include "cli/commands/help_format.h"

#include <sstream>

namespace elprops::cli {
namespace {

std::size_t Columns(std::string_view text) {
  std::size_t n = 0;
  for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

void WrapLine(std::string_view line, std::size_t width, std::string& out) {
  const std::size_t indent = line.find_first_not_of(' ') == std::string_view::npos ? 0 : line.find_first_not_of(' ');
  const std::string lead(indent, ' ');
  std::string current(line.substr(0, indent));
  std::size_t words = 0;
  std::size_t pos = indent;
  while (pos < line.size()) {
    const std::size_t end = std::min(line.find(' ', pos), line.size());
    const std::string_view word = line.substr(pos, end - pos);
    pos = end + 1;
    if (word.empty()) continue;
    if (words > 0 && Columns(current) + 1 + Columns(word) > width) {
      out += current;
      out += '\n';
      current = lead;
      words = 0;
    }
    if (words > 0) current += ' ';
    current += word;
    ++words;
  }
  out += current;
}

}  // namespace

std::string WrapText(std::string_view text, std::size_t width) {
  std::string out;
  for (;;) {
    const std::size_t nl = text.find('\n');
    const std::string_view line = text.substr(0, nl);
    if (Columns(line) <= width) {
      out += line;
    } else {
      WrapLine(line, width, out);
    }
    if (nl == std::string_view::npos) break;
    out += '\n';
    text.remove_prefix(nl + 1);
  }
  return out;
}

std::string WrappingFormatter::make_description(const CLI::App* app) const {
  const std::string description = app->get_description();
  return description.empty() ? std::string() : WrapText(description, kHelpWidth) + "\n";
}

std::string WrappingFormatter::make_footer(const CLI::App* app) const {
  const std::string footer = app->get_footer();
  return footer.empty() ? std::string() : WrapText(footer, kHelpWidth) + "\n";
}

std::string WrappingFormatter::make_option_desc(const CLI::Option* option) const {
  return WrapText(option->get_description(), kHelpWidth - column_width_);
}

std::string WrappingFormatter::make_subcommand(const CLI::App* sub) const {
  std::stringstream out;
  CLI::detail::format_help(out, sub->get_display_name(true),
                           WrapText(sub->get_description(), kHelpWidth - column_width_), column_width_);
  return out.str();
}

}  // namespace elprops::cli
