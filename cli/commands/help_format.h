// The help of elprops-cli in lines of at most 80 columns.
#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>
#include <string_view>

namespace elprops::cli {

inline constexpr std::size_t kHelpWidth = 80;

// `text` with every line longer than `width` characters broken at blanks;
// a broken line's continuation keeps its indentation.
std::string WrapText(std::string_view text, std::size_t width);

// CLI11's formatter with descriptions and footers wrapped to kHelpWidth.
class WrappingFormatter final : public CLI::Formatter {
 public:
  std::string make_description(const CLI::App* app) const override;
  std::string make_footer(const CLI::App* app) const override;
  std::string make_option_desc(const CLI::Option* option) const override;
  std::string make_subcommand(const CLI::App* sub) const override;
};

}  // namespace elprops::cli
