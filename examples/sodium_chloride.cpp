// The sodium chloride worked example through the installed library:
// a mass fraction of 0.1 at 20 degrees Celsius.
#include <cstdio>
#include <elprops/elprops.hpp>

int main() {
  const elprops::expected<elprops::substance_info> nacl = elprops::find_substance("NaCl");
  if (!nacl) {
    std::fprintf(stderr, "%s\n", nacl.error().message.c_str());
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
  for (const elprops::property_info& p : elprops::property_table()) {
    std::printf("%-21.*s %.7g %.*s\n", static_cast<int>(p.words.size()), p.words.data(),
                static_cast<double>(elprops::property_value(*r, p.kind)), static_cast<int>(p.ascii_unit.size()),
                p.ascii_unit.data());
  }
  return 0;
}
