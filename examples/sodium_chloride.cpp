// The sodium chloride worked example through the installed library:
// a mass fraction of 0.1 at 20 degrees Celsius.
#include <cstdio>
#include <elprops/elprops.hpp>
#include <optional>

int main() {
  const std::optional<elprops::substance_info> nacl = elprops::find_substance("NaCl");
  if (!nacl) {
    std::fprintf(stderr, "sodium chloride is not in the catalogue\n");
    return 1;
  }
  const elprops::result r = elprops::compute(*nacl, 0.1f, 20.0f);
  if (!r) {
    std::fprintf(stderr, "%s\n", r.error().message.c_str());
    return 1;
  }
  std::printf("elprops %.*s: %.*s (%.*s), mass fraction 0.1, 20 degrees Celsius\n",
              static_cast<int>(elprops::version().size()), elprops::version().data(),
              static_cast<int>(nacl->english_name.size()), nacl->english_name.data(),
              static_cast<int>(nacl->formula.size()), nacl->formula.data());
  std::printf("density               %.7g kg/m3\n", static_cast<double>(r->density));
  std::printf("viscosity             %.7g Pa*s\n", static_cast<double>(r->viscosity));
  std::printf("surface tension       %.7g N/m\n", static_cast<double>(r->surface_tension));
  std::printf("heat capacity         %.7g J/(kg*K)\n", static_cast<double>(r->heat_capacity));
  std::printf("thermal conductivity  %.7g W/(m*K)\n", static_cast<double>(r->thermal_conductivity));
  return 0;
}
