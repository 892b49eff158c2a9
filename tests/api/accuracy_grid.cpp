// Prints, for scripts/accuracy-report.py, elprops's values beside the
// reference models' on the grid the accuracy report states: every salt at
// 1 °C and 5 to 100 °C in steps of 5 °C, at mass fractions 0.01, 0.02, ...
// up to the solubility at that temperature; of each point, the properties
// whose reference has measurements spanning it. Lines, tab-separated:
//   salt     <formula> <English name>
//   cover    <formula> <property> <source>       a model that covers the salt and property
//   point    <formula> <property> <w> <t> <ours> <reference> <source>
//   water    <t> <density> <viscosity> <surface tension> <heat capacity> <conductivity>
// and water at 1, 2, ..., 199 °C.
// Exit status 1 when a salt cannot be read or written.
#include <elprops/elprops.hpp>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<float> Temperatures() {
  std::vector<float> t{1.0f};
  for (int k = 5; k <= 100; k += 5) t.push_back(static_cast<float>(k));
  return t;
}

bool Salt(const elprops::substance_info& salt) {
  const std::string formula(salt.formula);
  std::printf("salt\t%s\t%.*s\n", formula.c_str(), static_cast<int>(salt.english_name.size()),
              salt.english_name.data());
  std::set<std::pair<int, std::string>> covered;
  for (const float t : Temperatures()) {
    const elprops::expected<double> limit = elprops::solubility(salt.id(), t);
    if (!limit) return false;
    for (int k = 1; k / 100.0 <= *limit + 1e-12; ++k) {
      const float w = static_cast<float>(k) / 100.0f;
      const auto set = elprops::reference_values(salt.id(), w, t);
      if (!set) return false;
      for (const elprops::reference_value& r : *set) {
        if (!r.available) continue;
        const std::string property(elprops::describe(r.property).name);
        const std::string source(r.source);
        covered.insert({static_cast<int>(r.property), source});
        if (!r.within_span || !std::isfinite(r.ours) || !std::isfinite(r.value)) continue;
        std::printf("point\t%s\t%s\t%.2f\t%g\t%.9g\t%.9g\t%s\n", formula.c_str(), property.c_str(),
                    static_cast<double>(w), static_cast<double>(t), r.ours, r.value, source.c_str());
      }
    }
  }
  for (const auto& [property, source] : covered) {
    const auto name = elprops::describe(static_cast<elprops::property_kind>(property)).name;
    std::printf("cover\t%s\t%.*s\t%s\n", formula.c_str(), static_cast<int>(name.size()), name.data(), source.c_str());
  }
  return true;
}

bool Water() {
  for (int t = 1; t < 200; ++t) {
    const elprops::result r = elprops::compute(elprops::water, 0.0f, static_cast<float>(t));
    if (!r) return false;
    std::printf("water\t%d\t%.9g\t%.9g\t%.9g\t%.9g\t%.9g\n", t, static_cast<double>(r->density),
                static_cast<double>(r->viscosity), static_cast<double>(r->surface_tension),
                static_cast<double>(r->heat_capacity), static_cast<double>(r->thermal_conductivity));
  }
  return true;
}

}  // namespace

int main() {
  if (!Water()) {
    std::fprintf(stderr, "accuracy grid: water cannot be computed\n");
    return 1;
  }
  for (const elprops::substance_info& s : elprops::substances()) {
    if (s.is_water()) continue;
    if (!Salt(s)) {
      std::fprintf(stderr, "accuracy grid: %.*s cannot be computed\n", static_cast<int>(s.formula.size()),
                   s.formula.data());
      return 1;
    }
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "accuracy grid: cannot write the output\n");
    return 1;
  }
  return 0;
}
