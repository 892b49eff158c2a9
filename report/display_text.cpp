#include "report/display_text.h"

#include <array>

#include "text/text.h"

namespace elprops::report {

std::string InputLabelText(std::uint8_t substance, float concentration, float temperature) {
  std::string text;
  if (substance != model::kWater) {
    text += "КОНЦЕНТРАЦИЯ - ";
    text += text::GeneralNumberForm(concentration);
    text += " Кг/Кг";
  }
  text += "\r";
  text += "ТЕМПЕРАТУРА - ";
  text += text::GeneralNumberForm(temperature);
  text += " Град. Цельсия";
  return text;
}

std::string ResultLabelText(const model::PropertySet& properties, std::string_view decimalSeparator) {
  using text::FormatPicture;
  // The unit of density is written with a Latin capital M.
  const std::array<std::string, 14> lines{
      "ПЛОТНОСТЬ -",
      FormatPicture(properties.Density, 1, decimalSeparator) + "  КГ/(M^3)",
      "",
      "ВЯЗКОСТЬ - ",
      FormatPicture(properties.Viscosity, 6, decimalSeparator) + " ПА*С",
      "",
      "ПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ - ",
      FormatPicture(properties.SurfaceTension, 5, decimalSeparator) + "  Н/М",
      "",
      "ТЕПЛОЁМКОСТЬ - ",
      text::FormatWhole(properties.HeatCapacity) + "  ДЖ/(КГ*К)",
      "",
      "ТЕПЛОПРОВОДНОСТЬ -",
      FormatPicture(properties.ThermalConductivity, 3, decimalSeparator) + "  ВТ/(М*К)",
  };
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r";
    text += lines[i];
  }
  return text;
}

}  // namespace elprops::report
