// Independent published models of aqueous salt solutions, to compare the
// catalogue's correlations with: Laliberté's density, viscosity and heat
// capacity, Dutcher's, Conde's and Steiger's surface tension, Magomedov's
// thermal conductivity and Melinder's brine fits. Their coefficients are the
// CSV files of data/reference, compiled in and read once when first needed;
// data/reference/README.md gives each source, equation and range.
//
// Everything is in double precision. Each equation is written here as its
// source gives it, in the source's units; the comments name the unit.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace elprops::model::reference {

// The span of the measurements a model was fitted to, for one salt and
// property: temperatures in degrees Celsius, mass fractions in kg/kg.
struct Span {
  double tMin = 0.0;
  double tMax = 0.0;
  double wMin = 0.0;
  double wMax = 0.0;

  [[nodiscard]] bool Covers(double w, double t) const { return t >= tMin && t <= tMax && w >= wMin && w <= wMax; }
};

// --- Laliberté (2004, 2007, 2009): t in °C, w the salt's mass fraction. ---

struct LaliberteRow {
  std::string_view formula;
  double molarMass = 0.0;     // g/mol, as the table gives it
  std::array<double, 6> c{};  // c0..c4 (density), v1..v6 (viscosity) or a1..a6 (heat capacity)
  Span span;                  // Min T, Max T, Max w of the fitted data
};

// Pure water, kg/m³.
double LaliberteWaterDensity(double t);
// The apparent density of the salt, kg/m³.
double LaliberteApparentDensity(const LaliberteRow& row, double w, double t);
// The solution, kg/m³: 1/ρ = (1 − w)/ρ_w + w/ρ_app.
double LaliberteDensity(const LaliberteRow& row, double w, double t);

// Pure water, mPa·s.
double LaliberteWaterViscosity(double t);
// The salt's own viscosity term η_i, mPa·s.
double LaliberteSoluteViscosity(const LaliberteRow& row, double w, double t);
// The solution, mPa·s: ln η = (1 − w)·ln η_w + w·ln η_i.
double LaliberteViscosity(const LaliberteRow& row, double w, double t);

// Pure water, J/(kg·K): the Chebyshev series of data/reference, from −15 to
// 140 °C (below −15 °C the value at −15 °C).
double LaliberteWaterHeatCapacity(double t);
// The apparent heat capacity of the salt, J/(kg·K).
double LaliberteApparentHeatCapacity(const LaliberteRow& row, double w, double t);
// The solution, J/(kg·K): c_p = (1 − w)·c_p,w + w·c_p,app.
double LaliberteHeatCapacity(const LaliberteRow& row, double w, double t);

// --- Surface tension: T in K, results in N/m. ---

// Pure water, IAPWS R1-76 (2014).
double WaterSurfaceTension(double kelvin);

struct DutcherRow {
  std::string_view formula;
  double c1 = 0, c2 = 0, aws = 0, bws = 0, asw = 0, bsw = 0;
  double kelvinMin = 0, kelvinMax = 0, xMax = 0, wMax = 0;
};
// The mole fraction of the undissociated salt of molar mass `molarMass`
// (g/mol) at the mass fraction w, with water of 18.015 g/mol.
double SaltMoleFraction(double w, double molarMass);
// Dutcher et al. (2010) at the salt's mole fraction xs.
double DutcherSurfaceTension(const DutcherRow& row, double xs, double kelvin);

struct CondeRow {
  std::string_view formula;
  std::array<double, 5> sigma{};
  double kelvinMin = 0, kelvinMax = 0, wMax = 0;
};
// Conde (2004) at the mass fraction w.
double CondeSurfaceTension(const CondeRow& row, double w, double kelvin);

struct SteigerRow {
  std::string_view formula;
  double slope = 0;  // N/m per mol/kg
  double tMin = 0, tMax = 0, molalityMax = 0;
};
// Steiger's linear law, σ_w + slope·m, at the molality m (mol/kg).
double SteigerSurfaceTension(const SteigerRow& row, double molality, double kelvin);

// --- Thermal conductivity: T in K, results in W/(m·K). ---

// Pure liquid water at 0.1 MPa, Ramires et al. (1995), from 274 to 370 K.
double WaterThermalConductivity(double kelvin);

struct MagomedovRow {
  std::string_view formula;
  double a = 0;  // A_i
  double kelvinMin = 0, kelvinMax = 0, wMax = 0;
};
// Magomedov (2001) at the mass fraction w, the pressure in MPa and the
// conductivity of pure water at that temperature and pressure.
double MagomedovConductivity(const MagomedovRow& row, double w, double kelvin, double megapascals, double waterValue);

// --- Melinder's brine fits as CoolProp converted them: T in K, x in kg/kg. ---

struct BrineFit {
  std::string_view name;  // "MNA", "MNA2", "VNA", ...
  std::string_view formula;
  bool exponential = false;  // exp of the double sum ("exppolynomial")
  double kelvinMin = 0, kelvinMax = 0, xMin = 0, xMax = 0, kelvinBase = 0, xBase = 0;
  std::array<std::array<double, 6>, 4> c{};  // c[i][j]: (T − Tbase)^i·(x − xbase)^j
};
// The fit's value: kg/m³, Pa·s, J/(kg·K) or W/(m·K).
double BrineValue(const BrineFit& fit, double kelvin, double x);

struct FreezingFit {
  std::string_view name;
  std::string_view formula;
  bool exponential = false;
  double xMin = 0, xMax = 0, xBase = 0;
  std::array<double, 6> a{};
};
// The freezing temperature of the brine at x, K.
double FreezingTemperature(const FreezingFit& fit, double x);

// --- The tables, read from data/reference on first use. ---

struct Tables {
  std::vector<LaliberteRow> density, viscosity, heatCapacity;
  std::vector<DutcherRow> dutcher;
  std::vector<CondeRow> conde;
  std::vector<SteigerRow> steiger;
  std::vector<MagomedovRow> magomedov;
  std::vector<BrineFit> brineDensity, brineViscosity, brineHeatCapacity, brineConductivity;
  std::vector<FreezingFit> freezing;
};

// Read once; throws std::runtime_error if a compiled-in table is malformed.
const Tables& ReferenceTables();

// The row of a salt (by its formula, as the catalogue writes it) or of a
// brine fit (by its name), or nullptr.
template <typename Row>
const Row* FindFormula(const std::vector<Row>& rows, std::string_view formula) {
  for (const Row& row : rows) {
    if (row.formula == formula) return &row;
  }
  return nullptr;
}
template <typename Fit>
const Fit* FindName(const std::vector<Fit>& fits, std::string_view name) {
  for (const Fit& fit : fits) {
    if (fit.name == name) return &fit;
  }
  return nullptr;
}

inline constexpr double kCelsiusZero = 273.15;  // K

}  // namespace elprops::model::reference
