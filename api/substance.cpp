#include <array>
#include <charconv>
#include <system_error>

#include <elprops/substance.hpp>

#include "model/admissible.h"
#include "model/catalogue.h"

namespace elprops {
namespace {

constexpr std::string_view WithoutLeadingBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

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
    list[i].list_caption = WithoutLeadingBlanks(row.Caption);
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

std::string unknown_substance_message(std::string_view name) {
  // The examples are the catalogue's own: its formula and its English name.
  const substance_info& example = List()[16];
  return "unknown substance \"" + std::string(TrimBlanks(name)) + "\": give its index 1 to " +
         std::to_string(substance_count) + ", its formula (" + std::string(example.formula) + ") or its name (" +
         std::string(example.english_name) + ")";
}

expected<substance_info> find_substance(std::string_view name) {
  const std::string_view text = TrimBlanks(name);
  // The message is made only when it is needed: a batch looks names up
  // row by row.
  const auto unknown = [name] { return failure{error_kind::inadmissible_input, unknown_substance_message(name)}; };
  if (text.empty()) return unknown();
  int index = 0;
  const char* end = text.data() + text.size();
  const auto [last, ec] = std::from_chars(text.data(), end, index);
  if (ec == std::errc() && last == end) {
    if (index >= 1 && index <= substance_count) return List()[static_cast<std::size_t>(index - 1)];
    return unknown();
  }
  for (const substance_info& s : List()) {
    if (SameIgnoringAsciiCase(text, s.formula) || SameIgnoringAsciiCase(text, s.english_name) ||
        text == s.russian_name) {
      return s;
    }
  }
  return unknown();
}

expected<substance_info> find_substance(substance_id id) {
  if (!is_known(id))
    return failure{error_kind::inadmissible_input, unknown_substance_message(std::to_string(index_of(id)))};
  return List()[static_cast<std::size_t>(index_of(id) - 1)];
}

}  // namespace elprops
