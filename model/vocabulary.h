// The words for the five properties and the concentration units, in one
// table each: the messages of the model, and through the public library the
// command line, the Python module and the plots, all read them here.
#pragma once

#include <array>
#include <string_view>

namespace elprops::model {

struct PropertyWords {
  std::string_view name;            // "surface_tension": field, column and option names
  std::string_view words;           // "surface tension": in running text
  std::string_view symbol;          // "σ"
  std::string_view unit;            // "N/m", "J/(kg·K)" (UTF-8)
  std::string_view asciiUnit;       // "J/(kg*K)": where only ASCII will do
  std::string_view russianCaption;  // "ПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ", as the window names it
  std::string_view russianUnit;     // "Дж/(кг·К)"
};

// In the order of model::Property.
inline constexpr std::array<PropertyWords, 5> kPropertyWords{{
    {"density", "density", "ρ", "kg/m³", "kg/m3", "ПЛОТНОСТЬ", "кг/м³"},
    {"viscosity", "viscosity", "μ", "Pa·s", "Pa*s", "ВЯЗКОСТЬ", "Па·с"},
    {"surface_tension", "surface tension", "σ", "N/m", "N/m", "ПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ", "Н/м"},
    {"heat_capacity", "heat capacity", "c_p", "J/(kg·K)", "J/(kg*K)", "ТЕПЛОЁМКОСТЬ", "Дж/(кг·К)"},
    {"thermal_conductivity", "thermal conductivity", "λ", "W/(m·K)", "W/(m*K)", "ТЕПЛОПРОВОДНОСТЬ", "Вт/(м·К)"},
}};

struct UnitWords {
  std::string_view name;           // "fraction", "percent", "molality", "molarity", "g/L": as options take them
  std::string_view symbol;         // "kg/kg", "%", "mol/kg", "mol/L", "g/L"
  std::string_view words;          // "mass fraction", ...: in running text
  std::string_view quantity;       // the quantity's letter
  std::string_view russianSymbol;  // "кг/кг", "%", "моль/кг", "моль/л", "г/л"
  bool needsDensity;               // solved on the solution's density
};

// In the order of model::ConcentrationUnit.
inline constexpr std::array<UnitWords, 5> kUnitWords{{
    {"fraction", "kg/kg", "mass fraction", "w", "кг/кг", false},
    {"percent", "%", "mass percent", "w", "%", false},
    {"molality", "mol/kg", "molality", "b", "моль/кг", false},
    {"molarity", "mol/L", "molarity", "c", "моль/л", true},
    {"g/L", "g/L", "mass concentration", "ρ", "г/л", true},
}};

}  // namespace elprops::model
