#include "model/reference_choice.h"

#include <algorithm>
#include <optional>

#include "model/catalogue.h"

namespace elprops::model::reference {
namespace {

constexpr std::string_view kLaliberte = "Laliberté 2009";
constexpr std::string_view kMelinder = "Melinder 2010";
constexpr std::string_view kDutcher = "Dutcher 2010";
constexpr std::string_view kConde = "Conde 2004";
constexpr std::string_view kSteiger = "Talreja-Muthreja 2022";
constexpr std::string_view kMagomedov = "Magomedov 2001";

constexpr double kAtmosphere = 0.101325;               // MPa
constexpr double kMagnesiumChlorideEutectic = 0.21;    // Melinder's MMG is used up to here
constexpr double kWaterConductivityKelvinMin = 274.0;  // the span of the water conductivity
constexpr double kWaterConductivityKelvinMax = 370.0;

using Candidate = std::optional<Value>;

Value Make(std::string_view source, double value, Span span, double w, double t) {
  return Value{true, value, source, span.Covers(w, t), span};
}

// The molar mass of a salt as Laliberté's table gives it, g/mol; 0 if absent.
double MolarMass(std::string_view formula) {
  const LaliberteRow* row = FindFormula(ReferenceTables().density, formula);
  return row == nullptr ? 0.0 : row->molarMass;
}

Candidate Laliberte(Property p, std::string_view formula, double w, double t) {
  const Tables& tables = ReferenceTables();
  switch (p) {
    case Property::Density:
      if (const LaliberteRow* r = FindFormula(tables.density, formula)) {
        return Make(kLaliberte, LaliberteDensity(*r, w, t), r->span, w, t);
      }
      break;
    case Property::Viscosity:
      if (const LaliberteRow* r = FindFormula(tables.viscosity, formula)) {
        return Make(kLaliberte, LaliberteViscosity(*r, w, t) * 1e-3, r->span, w, t);  // mPa·s
      }
      break;
    case Property::HeatCapacity:
      if (const LaliberteRow* r = FindFormula(tables.heatCapacity, formula)) {
        return Make(kLaliberte, LaliberteHeatCapacity(*r, w, t), r->span, w, t);
      }
      break;
    default:
      break;
  }
  return std::nullopt;
}

// Melinder's own fit of a salt: MNA, MCA, MMG or MKC.
std::string_view MelinderName(std::string_view formula) {
  if (formula == "NaCl") return "MNA";
  if (formula == "CaCl2") return "MCA";
  if (formula == "MgCl2") return "MMG";
  if (formula == "K2CO3") return "MKC";
  return {};
}

Candidate Melinder(Property p, std::string_view formula, double w, double t) {
  const std::string_view name = MelinderName(formula);
  if (name.empty() || (name == "MMG" && p == Property::Viscosity)) return std::nullopt;
  const Tables& tables = ReferenceTables();
  const std::vector<BrineFit>* fits = nullptr;
  switch (p) {
    case Property::Density:
      fits = &tables.brineDensity;
      break;
    case Property::Viscosity:
      fits = &tables.brineViscosity;
      break;
    case Property::HeatCapacity:
      fits = &tables.brineHeatCapacity;
      break;
    case Property::ThermalConductivity:
      fits = &tables.brineConductivity;
      break;
    case Property::SurfaceTension:
      return std::nullopt;
  }
  const BrineFit* fit = FindName(*fits, name);
  const FreezingFit* freezing = FindName(tables.freezing, name);
  if (fit == nullptr || freezing == nullptr) return std::nullopt;
  const double kelvin = t + kCelsiusZero;
  const double xMax = name == "MMG" ? std::min(fit->xMax, kMagnesiumChlorideEutectic) : fit->xMax;
  const double lowest = std::max(fit->kelvinMin, FreezingTemperature(*freezing, w));
  const Span span{lowest - kCelsiusZero, fit->kelvinMax - kCelsiusZero, fit->xMin, xMax};
  return Make(kMelinder, BrineValue(*fit, kelvin, w), span, w, t);
}

Candidate Dutcher(std::string_view formula, double w, double t) {
  const DutcherRow* r = FindFormula(ReferenceTables().dutcher, formula);
  const double molarMass = MolarMass(formula);
  if (r == nullptr || molarMass == 0.0) return std::nullopt;
  const Span span{r->kelvinMin - kCelsiusZero, r->kelvinMax - kCelsiusZero, 0.0, r->wMax};
  return Make(kDutcher, DutcherSurfaceTension(*r, SaltMoleFraction(w, molarMass), t + kCelsiusZero), span, w, t);
}

Candidate Conde(std::string_view formula, double w, double t) {
  const CondeRow* r = FindFormula(ReferenceTables().conde, formula);
  if (r == nullptr) return std::nullopt;
  const Span span{r->kelvinMin - kCelsiusZero, r->kelvinMax - kCelsiusZero, 0.0, r->wMax};
  return Make(kConde, CondeSurfaceTension(*r, w, t + kCelsiusZero), span, w, t);
}

Candidate Steiger(std::string_view formula, double w, double t) {
  const SteigerRow* r = FindFormula(ReferenceTables().steiger, formula);
  const double molarMass = MolarMass(formula);
  if (r == nullptr || molarMass == 0.0) return std::nullopt;
  const double perKilogram = r->molalityMax * molarMass / 1000.0;  // kg of salt per kg of water
  const Span span{r->tMin, r->tMax, 0.0, perKilogram / (1.0 + perKilogram)};
  const double molality = w / ((1.0 - w) * molarMass / 1000.0);
  return Make(kSteiger, SteigerSurfaceTension(*r, molality, t + kCelsiusZero), span, w, t);
}

Candidate Magomedov(std::string_view formula, double w, double t) {
  const MagomedovRow* r = FindFormula(ReferenceTables().magomedov, formula);
  if (r == nullptr) return std::nullopt;
  // Liquid water at atmospheric pressure, where its conductivity is known.
  const double lowest = std::max(r->kelvinMin, kWaterConductivityKelvinMin);
  const double highest = std::min(r->kelvinMax, kWaterConductivityKelvinMax);
  const Span span{lowest - kCelsiusZero, highest - kCelsiusZero, 0.0, r->wMax};
  const double kelvin = t + kCelsiusZero;
  return Make(kMagomedov, MagomedovConductivity(*r, w, kelvin, kAtmosphere, WaterThermalConductivity(kelvin)), span, w,
              t);
}

Value Choose(std::initializer_list<Candidate> candidates) {
  const Candidate* first = nullptr;
  for (const Candidate& c : candidates) {
    if (!c) continue;
    if (c->withinSpan) return *c;
    if (first == nullptr) first = &c;
  }
  return first != nullptr ? **first : Value{};
}

}  // namespace

std::array<Value, kPropertyCount> ReferenceValues(std::uint8_t substance, double w, double t) {
  std::array<Value, kPropertyCount> out{};
  if (substance < 1 || substance >= kWater) return out;
  const std::string_view f = CatalogueEntry(substance).Formula;
  for (const Property p : {Property::Density, Property::Viscosity, Property::HeatCapacity}) {
    out[static_cast<std::size_t>(p)] = Choose({Laliberte(p, f, w, t), Melinder(p, f, w, t)});
  }
  out[static_cast<std::size_t>(Property::SurfaceTension)] =
      Choose({Dutcher(f, w, t), Conde(f, w, t), Steiger(f, w, t)});
  out[static_cast<std::size_t>(Property::ThermalConductivity)] =
      Choose({Melinder(Property::ThermalConductivity, f, w, t), Magomedov(f, w, t)});
  return out;
}

}  // namespace elprops::model::reference
