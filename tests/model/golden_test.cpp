// Golden points: every result of the model, bit for bit, against a table made
// by tests/model/golden/make_golden.py. That script carries its own
// transcription of the coefficient tables and its own implementation of the
// correlations, so a changed coefficient, constant or order of operations in
// the model shows up here even where no published example covers the
// substance.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "model/catalogue.h"
#include "model/correlations.h"

#ifndef ELPROPS_GOLDEN_CSV
#error "ELPROPS_GOLDEN_CSV must name the golden points file"
#endif

namespace elprops::model {
namespace {

constexpr std::string_view kHeader =
    "substance,concentration,temperature,density,viscosity,surface_tension,heat_capacity,thermal_conductivity,fault";
constexpr std::array<std::string_view, 5> kPropertyNames{"density", "viscosity", "surface tension", "heat capacity",
                                                         "thermal conductivity"};

struct GoldenPoint {
  int line = 0;
  std::uint8_t substance = 0;
  float concentration = 0.0f;
  float temperature = 0.0f;
  std::array<float, 5> expected{};
  std::string fault;  // empty, or the step that faults
};

struct GoldenFile {
  std::vector<GoldenPoint> points;
  std::vector<std::string> errors;
};

// "0x1.0bb52p+10", "-0x1.4p+3" or "0x0.0p+0", which must be exactly a single.
// std::from_chars does not depend on the locale (std::strtod would read the
// radix character of the current one).
bool ParseHexSingle(std::string_view text, float& value) {
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  if (text.size() < 3 || text.substr(0, 2) != "0x") return false;
  text.remove_prefix(2);
  double parsed = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::hex);
  if (error != std::errc{} || end != text.data() + text.size()) return false;
  if (negative) parsed = -parsed;
  const auto single = static_cast<float>(parsed);
  if (static_cast<double>(single) != parsed) return false;
  value = single;
  return true;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t comma = line.find(',');
    fields.push_back(line.substr(0, comma));
    if (comma == std::string_view::npos) break;
    line.remove_prefix(comma + 1);
  }
  return fields;
}

std::string ParsePoint(std::string_view line, GoldenPoint& point) {
  const std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() != 9) return "expected 9 fields, found " + std::to_string(fields.size());
  int substance = 0;
  const std::string_view index = fields[0];
  const auto [end, error] = std::from_chars(index.data(), index.data() + index.size(), substance);
  if (error != std::errc{} || end != index.data() + index.size() || substance < 1 || substance > 19) {
    return "bad substance \"" + std::string(index) + "\"";
  }
  point.substance = static_cast<std::uint8_t>(substance);
  if (!ParseHexSingle(fields[1], point.concentration)) return "bad concentration \"" + std::string(fields[1]) + "\"";
  if (!ParseHexSingle(fields[2], point.temperature)) return "bad temperature \"" + std::string(fields[2]) + "\"";
  point.fault = std::string(fields[8]);
  for (std::size_t k = 0; k < kPropertyNames.size(); ++k) {
    const std::string_view field = fields[3 + k];
    if (!point.fault.empty()) {
      if (!field.empty()) return "a faulting point has a " + std::string(kPropertyNames[k]);
    } else if (!ParseHexSingle(field, point.expected[k])) {
      return "bad " + std::string(kPropertyNames[k]) + " \"" + std::string(field) + "\"";
    }
  }
  return {};
}

GoldenFile LoadGoldenFile(const char* path) {
  GoldenFile file;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    file.errors.push_back(std::string("cannot open ") + path);
    return file;
  }
  std::string line;
  int number = 0;
  bool header_seen = false;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line.front() == '#') continue;
    if (!header_seen) {
      header_seen = true;
      if (line != kHeader) file.errors.push_back("line " + std::to_string(number) + ": unexpected header " + line);
      continue;
    }
    GoldenPoint point;
    point.line = number;
    const std::string error = ParsePoint(line, point);
    if (error.empty()) {
      file.points.push_back(std::move(point));
    } else {
      file.errors.push_back("line " + std::to_string(number) + ": " + error);
    }
  }
  if (in.bad()) file.errors.push_back(std::string("read error in ") + path);
  if (!header_seen) file.errors.push_back(std::string("no header in ") + path);
  return file;
}

const GoldenFile& Golden() {
  static const GoldenFile file = LoadGoldenFile(ELPROPS_GOLDEN_CSV);
  return file;
}

// "0x1.0bb52p+10 (1070.638)": the exact bits and a readable value.
std::string Show(float value) {
  std::array<char, 64> hex{};
  std::array<char, 64> dec{};
  const auto h = std::to_chars(hex.data(), hex.data() + hex.size(), value, std::chars_format::hex);
  const auto d = std::to_chars(dec.data(), dec.data() + dec.size(), value, std::chars_format::general, 9);
  std::string text(hex.data(), h.ptr);
  if (!text.empty() && text.front() == '-') {
    text.insert(1, "0x");
  } else {
    text.insert(0, "0x");
  }
  return text + " (" + std::string(dec.data(), d.ptr) + ")";
}

std::string Describe(const GoldenPoint& point) {
  return "line " + std::to_string(point.line) + ": substance " + std::to_string(int{point.substance}) +
         ", concentration " + Show(point.concentration) + ", temperature " + Show(point.temperature);
}

struct SubstanceCase {
  std::uint8_t index;
  const char* name;
};

void PrintTo(const SubstanceCase& c, std::ostream* os) { *os << c.name << " (" << int{c.index} << ")"; }

constexpr std::array<SubstanceCase, 19> kSubstances{{
    {1, "AmmoniumBicarbonate"},
    {2, "AmmoniumSulfate"},
    {3, "AmmoniumChloride"},
    {4, "BariumNitrate"},
    {5, "BariumSulfide"},
    {6, "BariumChloride"},
    {7, "PotassiumHydroxide"},
    {8, "PotassiumCarbonate"},
    {9, "PotassiumSulfate"},
    {10, "PotassiumChloride"},
    {11, "CalciumChloride"},
    {12, "MagnesiumChloride"},
    {13, "SodiumBicarbonate"},
    {14, "SodiumHydroxide"},
    {15, "SodiumCarbonate"},
    {16, "SodiumSulfate"},
    {17, "SodiumChloride"},
    {18, "IronChloride"},
    {19, "Water"},
}};

TEST(GoldenFile, ReadsCompletely) {
  const GoldenFile& file = Golden();
  for (const std::string& error : file.errors) ADD_FAILURE() << error;
  EXPECT_GE(file.points.size(), 500u);
  std::array<int, 20> per_substance{};
  int faults = 0;
  for (const GoldenPoint& point : file.points) {
    ++per_substance[point.substance];
    if (!point.fault.empty()) ++faults;
  }
  for (const SubstanceCase& c : kSubstances) EXPECT_GE(per_substance[c.index], 8) << c.name;
  EXPECT_GE(faults, 5);
}

class GoldenPoints : public testing::TestWithParam<SubstanceCase> {
 protected:
  SubstanceTables tables_ = MakeSubstanceTables();
};

TEST_P(GoldenPoints, EveryResultBitForBit) {
  const std::uint8_t substance = GetParam().index;
  int checked = 0;
  for (const GoldenPoint& point : Golden().points) {
    if (point.substance != substance) continue;
    ++checked;
    float concentration = point.concentration;
    float limit = -1.0f;
    PropertySet out;
    const ComputeStatus status =
        ComputeProperties(tables_, point.substance, concentration, point.temperature, limit, out);
    if (!point.fault.empty()) {
      if (status.ok() || status.step != point.fault) {
        ADD_FAILURE() << Describe(point) << ": expected a fault in " << point.fault << ", got "
                      << (status.ok() ? std::string("no fault") : status.Message());
      }
      continue;
    }
    if (!status.ok()) {
      ADD_FAILURE() << Describe(point) << ": unexpected fault: " << status.Message();
      continue;
    }
    const std::array<float, 5> actual{out.Density, out.Viscosity, out.SurfaceTension, out.HeatCapacity,
                                      out.ThermalConductivity};
    std::ostringstream mismatches;
    for (std::size_t k = 0; k < actual.size(); ++k) {
      if (std::bit_cast<std::uint32_t>(actual[k]) != std::bit_cast<std::uint32_t>(point.expected[k])) {
        mismatches << "\n  " << kPropertyNames[k] << ": expected " << Show(point.expected[k]) << ", got "
                   << Show(actual[k]);
      }
    }
    if (!mismatches.str().empty()) ADD_FAILURE() << Describe(point) << mismatches.str();
  }
  EXPECT_GT(checked, 0) << "no golden points for this substance";
}

INSTANTIATE_TEST_SUITE_P(Table, GoldenPoints, testing::ValuesIn(kSubstances),
                         [](const testing::TestParamInfo<SubstanceCase>& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace elprops::model
