#include "model/reference_models.h"

#include "model/data_text.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <system_error>

#include "model/reference_data.h"

namespace elprops::model::reference {

double LaliberteWaterDensity(double t) {
  return (((((-2.8054253e-10 * t + 1.0556302e-7) * t - 4.6170461e-5) * t - 0.0079870401) * t + 16.945176) * t +
          999.83952) /
         (1.0 + 0.01687985 * t);
}

double LaliberteApparentDensity(const LaliberteRow& row, double w, double t) {
  const auto& c = row.c;
  return (c[0] * w + c[1]) * std::exp(1e-6 * (t + c[4]) * (t + c[4])) / (w + c[2] + c[3] * t);
}

double LaliberteDensity(const LaliberteRow& row, double w, double t) {
  return 1.0 / ((1.0 - w) / LaliberteWaterDensity(t) + w / LaliberteApparentDensity(row, w, t));
}

double LaliberteWaterViscosity(double t) { return (t + 246.0) / ((0.05594 * t + 5.2842) * t + 137.37); }

double LaliberteSoluteViscosity(const LaliberteRow& row, double w, double t) {
  const auto& v = row.c;
  return std::exp((v[0] * std::pow(w, v[1]) + v[2]) / (v[3] * t + 1.0)) / (v[4] * std::pow(w, v[5]) + 1.0);
}

double LaliberteViscosity(const LaliberteRow& row, double w, double t) {
  return std::exp((1.0 - w) * std::log(LaliberteWaterViscosity(t)) + w * std::log(LaliberteSoluteViscosity(row, w, t)));
}

double LaliberteApparentHeatCapacity(const LaliberteRow& row, double w, double t) {
  const auto& a = row.c;
  const double alpha = a[1] * t + a[2] * std::exp(0.01 * t) + a[3] * w;
  return 1000.0 * (a[0] * std::exp(alpha) + a[4] * std::pow(w, a[5]));  // kJ/(kg·K) in the table
}

double LaliberteHeatCapacity(const LaliberteRow& row, double w, double t) {
  return (1.0 - w) * LaliberteWaterHeatCapacity(t) + w * LaliberteApparentHeatCapacity(row, w, t);
}

double WaterSurfaceTension(double kelvin) {
  const double tau = 1.0 - kelvin / 647.096;
  return 235.8e-3 * std::pow(tau, 1.256) * (1.0 - 0.625 * tau);
}

double SaltMoleFraction(double w, double molarMass) {
  constexpr double kWaterMolarMass = 18.015;
  const double salt = w / molarMass;
  return salt / (salt + (1.0 - w) / kWaterMolarMass);
}

double DutcherSurfaceTension(const DutcherRow& row, double xs, double kelvin) {
  const double xw = 1.0 - xs;
  const double water = WaterSurfaceTension(kelvin) * 1000.0;  // mN/m, as the fit is written
  const double salt = row.c1 + row.c2 * kelvin;
  const double fws = row.aws + row.bws * kelvin;
  const double fsw = row.asw + row.bsw * kelvin;
  return std::exp(xw * std::log(water + fws * xs) + xs * std::log(salt + fsw * xw)) / 1000.0;
}

double CondeSurfaceTension(const CondeRow& row, double w, double kelvin) {
  const double theta = kelvin / 647.096;
  const auto& s = row.sigma;
  return WaterSurfaceTension(kelvin) *
         (1.0 + s[0] * w + s[1] * w * theta + s[2] * w * theta * theta + s[3] * w * w + s[4] * w * w * w);
}

double SteigerSurfaceTension(const SteigerRow& row, double molality, double kelvin) {
  return WaterSurfaceTension(kelvin) + row.slope * molality;
}

double WaterThermalConductivity(double kelvin) {
  const double r = kelvin / 298.15;
  return 0.6065 * (-1.48445 + 4.12292 * r - 1.63866 * r * r);
}

double MagomedovConductivity(const MagomedovRow& row, double w, double kelvin, double megapascals, double waterValue) {
  const double c = 100.0 * w;  // mass per cent
  return waterValue * (1.0 - row.a * (c + 2e-4 * c * c * c)) - 2e-8 * megapascals * kelvin * c;
}

double BrineValue(const BrineFit& fit, double kelvin, double x) {
  const double dt = kelvin - fit.kelvinBase;
  const double dx = x - fit.xBase;
  double sum = 0.0;
  double powerT = 1.0;
  for (const auto& row : fit.c) {
    double powerX = 1.0;
    for (const double c : row) {
      sum += c * powerT * powerX;
      powerX *= dx;
    }
    powerT *= dt;
  }
  return fit.exponential ? std::exp(sum) : sum;
}

double FreezingTemperature(const FreezingFit& fit, double x) {
  const double dx = x - fit.xBase;
  double sum = 0.0;
  double power = 1.0;
  for (const double a : fit.a) {
    sum += a * power;
    power *= dx;
  }
  return fit.exponential ? std::exp(sum) : sum;
}

namespace {

// One CSV table: its header and its rows, cells as they stand (a quoted
// cell without its quotes).
class Csv {
 public:
  Csv(std::string_view name, std::string_view text) : name_(name) {
    bool first = true;
    for (const std::string_view line : DataLines(text)) {
      if (first) {
        header_ = Split(line);
        first = false;
      } else {
        rows_.push_back(Split(line));
        if (rows_.back().size() != header_.size()) Fail("a row whose cells do not match the header");
      }
    }
  }

  [[nodiscard]] std::size_t Rows() const { return rows_.size(); }
  [[nodiscard]] std::string_view Text(std::size_t row, std::string_view column) const {
    return rows_[row][Column(column)];
  }
  [[nodiscard]] double Number(std::size_t row, std::string_view column) const {
    const std::string_view cell = Text(row, column);
    double value = 0.0;
    const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    if (error != std::errc{} || end != cell.data() + cell.size()) Fail("not a number: " + std::string(cell));
    return value;
  }

 private:
  [[nodiscard]] std::size_t Column(std::string_view column) const {
    for (std::size_t i = 0; i < header_.size(); ++i) {
      if (header_[i] == column) return i;
    }
    Fail("no column " + std::string(column));
    return 0;
  }

  std::vector<std::string_view> Split(std::string_view line) const {
    std::optional<std::vector<std::string_view>> cells = DataCells(line);
    if (!cells) Fail("an unclosed quote or text after a quoted cell");
    return std::move(*cells);
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("reference table " + std::string(name_) + ": " + what);
  }

  std::string_view name_;
  std::vector<std::string_view> header_;
  std::vector<std::vector<std::string_view>> rows_;
};

std::vector<LaliberteRow> ReadLaliberte(std::string_view name, std::string_view text, std::string_view prefix,
                                        int first, int count) {
  const Csv csv(name, text);
  std::vector<LaliberteRow> rows;
  for (std::size_t r = 0; r < csv.Rows(); ++r) {
    LaliberteRow row;
    row.formula = csv.Text(r, "Formula");
    row.molarMass = csv.Number(r, "MW");
    for (int k = 0; k < count; ++k)
      row.c[static_cast<std::size_t>(k)] = csv.Number(r, std::string(prefix) + std::to_string(first + k));
    row.span = Span{csv.Number(r, "Min T"), csv.Number(r, "Max T"), 0.0, csv.Number(r, "Max w")};
    rows.push_back(row);
  }
  return rows;
}

std::vector<BrineFit> ReadBrines(std::string_view name, std::string_view text) {
  const Csv csv(name, text);
  std::vector<BrineFit> fits;
  for (std::size_t r = 0; r < csv.Rows(); ++r) {
    BrineFit fit;
    fit.name = csv.Text(r, "name");
    fit.formula = csv.Text(r, "salt");
    fit.exponential = csv.Text(r, "type") == "exppolynomial";
    fit.kelvinMin = csv.Number(r, "Tmin");
    fit.kelvinMax = csv.Number(r, "Tmax");
    fit.xMin = csv.Number(r, "xmin");
    fit.xMax = csv.Number(r, "xmax");
    fit.kelvinBase = csv.Number(r, "Tbase");
    fit.xBase = csv.Number(r, "xbase");
    for (std::size_t i = 0; i < fit.c.size(); ++i) {
      for (std::size_t j = 0; j < fit.c[i].size(); ++j)
        fit.c[i][j] = csv.Number(r, "c" + std::to_string(i) + std::to_string(j));
    }
    fits.push_back(fit);
  }
  return fits;
}

std::vector<FreezingFit> ReadFreezing() {
  const Csv csv("freezing_coolprop.csv", kBrineFreezingCsv);
  std::vector<FreezingFit> fits;
  for (std::size_t r = 0; r < csv.Rows(); ++r) {
    FreezingFit fit;
    fit.name = csv.Text(r, "name");
    fit.formula = csv.Text(r, "salt");
    fit.exponential = csv.Text(r, "type") == "exppolynomial";
    fit.xMin = csv.Number(r, "xmin");
    fit.xMax = csv.Number(r, "xmax");
    fit.xBase = csv.Number(r, "xbase");
    for (std::size_t j = 0; j < fit.a.size(); ++j) fit.a[j] = csv.Number(r, "a" + std::to_string(j));
    fits.push_back(fit);
  }
  return fits;
}

void ReadSurfaceTension(Tables& t) {
  const Csv dutcher("surface_tension_dutcher.csv", kDutcherCsv);
  for (std::size_t r = 0; r < dutcher.Rows(); ++r) {
    const auto n = [&](std::string_view column) { return dutcher.Number(r, column); };
    t.dutcher.push_back(DutcherRow{dutcher.Text(r, "salt"), n("c1"), n("c2"), n("aws"), n("bws"), n("asw"), n("bsw"),
                                   n("T_min_K"), n("T_max_K"), n("x_max"), n("w_max_derived")});
  }
  const Csv conde("surface_tension_conde.csv", kCondeCsv);
  for (std::size_t r = 0; r < conde.Rows(); ++r) {
    CondeRow row{
        conde.Text(r, "salt"), {}, conde.Number(r, "T_min_K"), conde.Number(r, "T_max_K"), conde.Number(r, "w_max")};
    for (std::size_t k = 0; k < row.sigma.size(); ++k) row.sigma[k] = conde.Number(r, "sigma" + std::to_string(k + 1));
    t.conde.push_back(row);
  }
  const Csv steiger("surface_tension_steiger.csv", kSteigerCsv);
  for (std::size_t r = 0; r < steiger.Rows(); ++r) {
    t.steiger.push_back(SteigerRow{steiger.Text(r, "salt"), steiger.Number(r, "dsigma_dm_N_per_m_per_mol_per_kg"),
                                   steiger.Number(r, "T_min_C"), steiger.Number(r, "T_max_C"),
                                   steiger.Number(r, "m_max_mol_per_kg")});
  }
}

Tables ReadTables() {
  Tables t;
  t.density = ReadLaliberte("laliberte_density.csv", kLaliberteDensityCsv, "c", 0, 5);
  t.viscosity = ReadLaliberte("laliberte_viscosity.csv", kLaliberteViscosityCsv, "v", 1, 6);
  t.heatCapacity = ReadLaliberte("laliberte_heat_capacity.csv", kLaliberteHeatCapacityCsv, "a", 1, 6);
  ReadSurfaceTension(t);
  const Csv magomedov("thermal_conductivity_magomedov.csv", kMagomedovCsv);
  for (std::size_t r = 0; r < magomedov.Rows(); ++r) {
    t.magomedov.push_back(MagomedovRow{magomedov.Text(r, "Formula"), magomedov.Number(r, "Ai"),
                                       magomedov.Number(r, "T_min_K"), magomedov.Number(r, "T_max_K"),
                                       magomedov.Number(r, "w_max")});
  }
  t.brineDensity = ReadBrines("brines_density.csv", kBrineDensityCsv);
  t.brineViscosity = ReadBrines("brines_viscosity.csv", kBrineViscosityCsv);
  t.brineHeatCapacity = ReadBrines("brines_specific_heat.csv", kBrineHeatCapacityCsv);
  t.brineConductivity = ReadBrines("brines_conductivity.csv", kBrineConductivityCsv);
  t.freezing = ReadFreezing();
  return t;
}

std::vector<double> ReadWaterHeatCapacitySeries() {
  const Csv csv("laliberte_water_cp_chebyshev.csv", kLaliberteWaterCpCsv);
  std::vector<double> series(csv.Rows());
  for (std::size_t r = 0; r < csv.Rows(); ++r) {
    const double k = csv.Number(r, "k");
    if (k != static_cast<double>(r))
      throw std::runtime_error("reference table laliberte_water_cp_chebyshev.csv: k out of order");
    series[r] = csv.Number(r, "coefficient_J_per_kgK");
  }
  return series;
}

}  // namespace

double LaliberteWaterHeatCapacity(double t) {
  static const std::vector<double> series = ReadWaterHeatCapacitySeries();
  const double kelvin = std::fmax(t, -15.0) + kCelsiusZero;
  const double xi = (kelvin - 335.65) / 77.5;
  // Clenshaw's recurrence for the sum of c_k·T_k(ξ).
  double b1 = 0.0;
  double b2 = 0.0;
  for (std::size_t k = series.size(); k-- > 1;) {
    const double b = 2.0 * xi * b1 - b2 + series[k];
    b2 = b1;
    b1 = b;
  }
  return xi * b1 - b2 + series[0];
}

const Tables& ReferenceTables() {
  static const Tables tables = ReadTables();
  return tables;
}

}  // namespace elprops::model::reference
