#include <array>
#include <charconv>
#include <system_error>

#include <elprops/substance.hpp>

#include "model/admissible.h"
#include "model/catalogue.h"

namespace elprops {
namespace {

constexpr std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The correlations of ammonium bicarbonate need no molar mass, and its
// table entry is 0; callers get its formula mass.
constexpr float kAmmoniumBicarbonateMolarMass = 79.06f;

std::array<substance_info, substance_count> MakeSubstances() {
  std::array<substance_info, substance_count> list{};
  for (std::size_t i = 0; i < list.size(); ++i) {
    const model::CatalogueRow& row = model::kCatalogue[i];
    const auto index = static_cast<std::uint8_t>(i + 1);
    list[i].index = index;
    list[i].formula = row.Formula;
    list[i].english_name = row.EnglishName;
    list[i].russian_name = TrimBlanks(row.Caption);
    list[i].molar_mass = index == model::kAmmoniumBicarbonate ? kAmmoniumBicarbonateMolarMass : row.Table.MolarMass;
    list[i].temperature_limit = model::TemperatureLimitOf(index);
  }
  return list;
}

const std::array<substance_info, substance_count>& List() {
  static const std::array<substance_info, substance_count> list = MakeSubstances();
  return list;
}

// ASCII letters compared without case; formulas and English names are ASCII.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[k]) != lower(b[k])) return false;
  }
  return true;
}

}  // namespace

std::span<const substance_info> substances() noexcept { return List(); }

std::optional<substance_info> find_substance(std::string_view name) noexcept {
  name = TrimBlanks(name);
  if (name.empty()) return std::nullopt;
  int index = 0;
  const char* end = name.data() + name.size();
  const auto [last, ec] = std::from_chars(name.data(), end, index);
  if (ec == std::errc() && last == end) {
    if (index >= 1 && index <= substance_count) return List()[static_cast<std::size_t>(index - 1)];
    return std::nullopt;
  }
  for (const substance_info& s : List()) {
    if (SameIgnoringAsciiCase(name, s.formula) || SameIgnoringAsciiCase(name, s.english_name) ||
        name == s.russian_name) {
      return s;
    }
  }
  return std::nullopt;
}

}  // namespace elprops
