// Units, the inverse question and the warnings through the public headers.
#include <gtest/gtest.h>
#include <elprops/elprops.hpp>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr elprops::substance_id kSodiumChloride{17};
constexpr elprops::substance_id kWater = elprops::water;

TEST(PublicUnits, MolalityAndPercentWorkedByHand) {
  const auto unit = elprops::parse_concentration_unit("molality");
  ASSERT_TRUE(unit.has_value());
  const auto c = elprops::to_mass_fraction(kSodiumChloride, *unit, 1.0, 25.0f);
  ASSERT_TRUE(c) << c.error().message;
  EXPECT_EQ(c->mass_fraction, static_cast<float>(58.44 / 1058.44));
  EXPECT_TRUE(c->warnings.empty());
  // 10 mol/kg is w = 0.3688, above the solubility of NaCl (0.2641 at 20 °C): the same warning as compute() gives.
  const auto strong = elprops::to_mass_fraction(kSodiumChloride, *unit, 10.0, 20.0f);
  ASSERT_TRUE(strong && !strong->warnings.empty());
  EXPECT_EQ(strong->warnings.front().kind, elprops::warning_kind::above_solubility);
  EXPECT_EQ(elprops::join_warnings(strong->warnings),
            elprops::join_warnings(elprops::compute(kSodiumChloride, strong->mass_fraction, 20.0f)->warnings));
  EXPECT_NEAR(elprops::standard_molar_mass(kSodiumChloride).value(), 58.44, 1e-9);
  EXPECT_EQ(
      elprops::to_mass_fraction(kSodiumChloride, elprops::concentration_unit::mass_percent, 10.0, 20.0f)->mass_fraction,
      0.1f);
  EXPECT_FALSE(elprops::to_mass_fraction(kSodiumChloride, elprops::concentration_unit::molality, -1.0, 20.0f));
  EXPECT_FALSE(elprops::to_mass_fraction(elprops::substance_id{42}, elprops::concentration_unit::molality, 1.0, 20.0f));
  // A bad index is an error, not a silent zero.
  const auto none = elprops::standard_molar_mass(elprops::substance_id{99});
  ASSERT_FALSE(none);
  EXPECT_THROW(static_cast<void>(none.value()), elprops::domain_error);
  EXPECT_FALSE(elprops::parse_concentration_unit("ppm").has_value());
}

TEST(PublicUnits, MolarityThroughTheDensity) {
  // 0.1 NaCl at 20 °C has the published density 1070.638 kg/m3.
  const double molar = 0.1 * 1070.638 / 58.44;
  const auto c = elprops::to_mass_fraction(kSodiumChloride, elprops::concentration_unit::molarity, molar, 20.0f);
  ASSERT_TRUE(c) << c.error().message;
  EXPECT_NEAR(static_cast<double>(c->mass_fraction), 0.1, 2e-7);
  EXPECT_NEAR(elprops::molarity(kSodiumChloride, c->mass_fraction, 1070.638f).value(), molar, 1e-5);
  EXPECT_NEAR(elprops::molality(kSodiumChloride, 0.1f).value(), 1000.0 * 0.1 / (58.44 * 0.9), 1e-5);
  // The same point computed in molarity comes back with that mass fraction.
  const elprops::result r = elprops::compute("NaCl", molar, 20.0f, elprops::concentration_unit::molarity);
  ASSERT_TRUE(r) << r.error().message;
  EXPECT_EQ(r->mass_fraction, c->mass_fraction);
  EXPECT_NEAR(r->molarity, molar, 1e-5);
}

struct Refusal {
  const char* name;
  elprops::concentration_unit unit;
  double value;
  const char* message;
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class RefusedConcentration : public testing::TestWithParam<Refusal> {};

// The message names the quantity and the unit that were given.
TEST_P(RefusedConcentration, SaysWhatWasGiven) {
  const Refusal& r = GetParam();
  const elprops::result point = elprops::compute(kSodiumChloride, r.value, 20.0f, r.unit);
  ASSERT_FALSE(point);
  EXPECT_EQ(point.error().message, r.message);
}

INSTANTIATE_TEST_SUITE_P(
    Units, RefusedConcentration,
    testing::Values(Refusal{"HundredPercent", elprops::concentration_unit::mass_percent, 100.0,
                            "mass percent 100 % is not between 0 and 100 (both excluded)"},
                    Refusal{"HugeMolality", elprops::concentration_unit::molality, 1e30,
                            "molality 1e+30 mol/kg gives the mass fraction 1, which is not between 0 and 1 (both "
                            "excluded)"},
                    Refusal{"TinyMolality", elprops::concentration_unit::molality, 1e-50,
                            "molality 1e-50 mol/kg gives the mass fraction 0, which is not between 0 and 1 (both "
                            "excluded)"}),
    [](const testing::TestParamInfo<Refusal>& row) { return std::string(row.param.name); });

TEST(PublicUnits, ImpossibleFractionsAndDensitiesHaveNoMolality) {
  EXPECT_FALSE(elprops::molality(kSodiumChloride, 1.0f));
  EXPECT_FALSE(elprops::molality(kSodiumChloride, 2.0f));
  EXPECT_FALSE(elprops::molality(kSodiumChloride, -0.1f));
  EXPECT_FALSE(elprops::molarity(kSodiumChloride, 0.1f, -1000.0f));
  EXPECT_TRUE(elprops::molality(kSodiumChloride, 0.0f));
  // 10 percent reads back as 10, the float nearest to 0.1f times 100.
  EXPECT_EQ(
      elprops::from_mass_fraction(kSodiumChloride, elprops::concentration_unit::mass_percent, 0.1f, 20.0f).value(),
      10.0);
}

struct ImpossibleCase {
  const char* name;
  int substance;
  float w, t;
  const char* warning;  // nullptr: no value is impossible
};

void PrintTo(const ImpossibleCase& c, std::ostream* os) { *os << c.name; }

class ImpossibleValues : public testing::TestWithParam<ImpossibleCase> {};

// A value at or below zero is kept, and the point warns of it, alone and
// among many points alike.
TEST_P(ImpossibleValues, AreWarnedOfAndKept) {
  const ImpossibleCase& c = GetParam();
  const elprops::substance_id id{static_cast<std::uint8_t>(c.substance)};
  const elprops::result r = elprops::compute(id, c.w, c.t);
  ASSERT_TRUE(r) << r.error().message;
  const std::string joined = elprops::join_warnings(r->warnings);
  bool impossible = false;
  for (const auto& w : r->warnings) impossible = impossible || w.kind == elprops::warning_kind::not_physical;
  EXPECT_EQ(impossible, c.warning != nullptr) << joined;
  if (c.warning != nullptr) {
    EXPECT_NE(joined.find(c.warning), std::string::npos) << joined;
  }
  std::vector<elprops::properties> rows(1);
  std::vector<elprops::error_kind> errors(1);
  std::vector<std::string> warnings(1);
  elprops::point_outputs out;
  out.rows = rows;
  out.errors = errors;
  out.warnings = warnings;
  const std::vector<double> concentration{c.w};
  elprops::compute_many(std::span(&id, 1), concentration, std::span(&c.t, 1), {}, out);
  EXPECT_EQ(warnings[0], joined);
  // And from the values computed before.
  const elprops::properties& v = rows[0];
  std::vector<std::string> texts(1);
  elprops::check_validity_many(std::span(&id, 1), std::span(&c.w, 1), std::span(&c.t, 1),
                               {std::span(&v.density, 1), std::span(&v.viscosity, 1), std::span(&v.surface_tension, 1),
                                std::span(&v.heat_capacity, 1), std::span(&v.thermal_conductivity, 1)},
                               texts);
  EXPECT_EQ(texts[0], joined);
}

INSTANTIATE_TEST_SUITE_P(
    Points, ImpossibleValues,
    testing::Values(ImpossibleCase{"NegativeTensionOfCalciumChloride", 11, 0.55f, 90.0f, "the surface tension -"},
                    ImpossibleCase{"NegativeHeatCapacityOfBariumSulfide", 5, 0.67f, 1.0f, "the heat capacity -"},
                    ImpossibleCase{"OrdinarySodiumChloride", 17, 0.1f, 20.0f, nullptr}),
    [](const testing::TestParamInfo<ImpossibleCase>& row) { return std::string(row.param.name); });

// The warning text of a point, appended to a string or given for many
// points whose temperatures never come back (more than the library's table
// keeps, so that it is set aside and taken up again), is its own check's
// joined; nothing for an unknown substance.
TEST(AppendWarningText, EachPointHasItsOwnChecksWarnings) {
  std::vector<float> t(300000);
  for (std::size_t k = 0; k < t.size(); ++k) t[k] = 60.0f + static_cast<float>(k) * 0.0005f;
  const elprops::substance_id nacl{17};
  const float w = 0.28f;  // above the solubility up to about 90 °C, boiling above 100 °C
  std::vector<std::string> texts(t.size());
  elprops::check_validity_many(std::span(&nacl, 1), std::span(&w, 1), t, texts);
  for (std::size_t k = 0; k < t.size(); k += 7) {
    std::string appended = "before|";
    elprops::append_warning_text(appended, nacl, w, t[k]);
    const std::string joined = elprops::join_warnings(*elprops::check_validity(nacl, w, t[k]));
    ASSERT_EQ(texts[k], joined) << t[k];
    ASSERT_EQ(appended, "before|" + joined) << t[k];
  }
  std::string kept = "kept";
  elprops::append_warning_text(kept, elprops::substance_id{200}, 0.1f, 150.0f);
  EXPECT_EQ(kept, "kept");
}

TEST(PublicVocabulary, NamesReadBack) {
  for (const elprops::unit_info& u : elprops::unit_table()) {
    EXPECT_EQ(elprops::parse_concentration_unit(u.name), u.unit) << u.name;
    EXPECT_EQ(&elprops::describe(u.unit), &u);
  }
  EXPECT_EQ(elprops::parse_concentration_unit("G/L"), elprops::concentration_unit::mass_concentration);
  EXPECT_EQ(elprops::parse_concentration_unit("%"), elprops::concentration_unit::mass_percent);
  for (const elprops::property_info& p : elprops::property_table()) {
    EXPECT_EQ(elprops::parse_property(p.name), p.kind) << p.name;
    EXPECT_EQ(&elprops::describe(p.kind), &p);
  }
  EXPECT_EQ(elprops::parse_property("surface-tension"), elprops::property_kind::surface_tension);
  EXPECT_FALSE(elprops::parse_property("colour").has_value());
  EXPECT_FALSE(elprops::parse_property("surface tension").has_value());
}

TEST(PublicSolve, HydrometerReading) {
  const auto property = elprops::parse_property("density");
  ASSERT_TRUE(property.has_value());
  const auto s = elprops::solve_concentration(kSodiumChloride, 20.0f, *property, 1070.6378);
  ASSERT_TRUE(s) << s.error().message;
  ASSERT_EQ(s->roots.size(), 1u);
  EXPECT_EQ(s->roots[0].mass_fraction, 0.1f);
  EXPECT_NEAR(s->reachable_min, 998.3648, 0.01);
  const auto none = elprops::solve_concentration(kSodiumChloride, 20.0f, elprops::property_kind::density, 3000.0);
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error().kind, elprops::error_kind::out_of_reach);
  EXPECT_NE(none.error().message.find("out of reach"), std::string::npos) << none.error().message;
  EXPECT_NE(none.error().message.find("998.3648"), std::string::npos) << none.error().message;
  // A root above the solubility carries the warning compute gives the point.
  const auto high = elprops::solve_concentration(kSodiumChloride, 20.0f, elprops::property_kind::density, 1230.0);
  ASSERT_TRUE(high && high->roots.size() == 1) << high.error().message;
  const elprops::result point = elprops::compute(kSodiumChloride, high->roots[0].mass_fraction, 20.0f);
  ASSERT_TRUE(point);
  EXPECT_EQ(elprops::join_warnings(high->roots[0].warnings), elprops::join_warnings(point->warnings));
  EXPECT_FALSE(high->roots[0].warnings.empty());
}

// Each end of a reachable range is a point: its value and its warnings are
// those compute gives there; the range up to the solubility ends at it.
TEST(PublicSolve, ReachableRangesEndAtPointsWithTheirWarnings) {
  struct Case {
    const char* name;
    elprops::substance_id salt;
    float t;
    elprops::property_kind property;
    double value;       // one the salt reaches
    double solubility;  // NaN: none known at t
  };
  const Case cases[] = {
      {"NaCl density at 20", kSodiumChloride, 20.0f, elprops::property_kind::density, 1070.6378, 0.2641},
      {"CaCl2 surface tension at 90", elprops::find_substance("CaCl2")->id(), 90.0f,
       elprops::property_kind::surface_tension, 0.05, 0.6063},
      {"NaCl density at 120", kSodiumChloride, 120.0f, elprops::property_kind::density, 1050.0, std::nan("")},
  };
  for (const Case& c : cases) {
    const auto s = elprops::solve_concentration(c.salt, c.t, c.property, c.value);
    ASSERT_TRUE(s) << c.name << ": " << s.error().message;
    const auto beyond = elprops::solve_concentration(c.salt, c.t, c.property, 1e6);
    ASSERT_FALSE(beyond) << c.name;
    const char* soluble =
        std::isnan(c.solubility) ? "; the solubility at this temperature is not known" : "; up to the solubility, w = ";
    EXPECT_NE(beyond.error().message.find(soluble), std::string::npos) << beyond.error().message;
    EXPECT_EQ(s->soluble.known, !std::isnan(c.solubility)) << c.name;
    if (s->soluble.known) {
      EXPECT_NEAR(s->solubility, c.solubility, 1e-4) << c.name;
      EXPECT_LE(static_cast<double>(std::max(s->soluble.min_at, s->soluble.max_at)), c.solubility) << c.name;
    }
    for (const elprops::reachable_range* range : {&s->reachable, &s->soluble}) {
      if (!range->known) continue;
      for (const auto& [w, value, warnings] : {std::tuple(range->min_at, range->min, &range->min_warnings),
                                               std::tuple(range->max_at, range->max, &range->max_warnings)}) {
        const elprops::result point = elprops::compute(c.salt, w, c.t);
        ASSERT_TRUE(point) << c.name;
        EXPECT_EQ(value, elprops::property_value(*point, c.property)) << c.name;
        EXPECT_EQ(elprops::join_warnings(*warnings), elprops::join_warnings(point->warnings)) << c.name;
      }
    }
  }
}

TEST(PublicWarnings, ResultsCarryTheirWarnings) {
  const elprops::result above = elprops::compute(kSodiumChloride, 0.30f, 20.0f);
  ASSERT_TRUE(above.has_value());
  ASSERT_EQ(above->warnings.size(), 1u);
  EXPECT_EQ(above->warnings[0].kind, elprops::warning_kind::above_solubility);
  EXPECT_EQ(above->warnings[0].message, "above the solubility of NaCl at 20 °C (0.2641; the solid is NaCl)");
  EXPECT_FALSE(above->warnings[0].is_note());

  EXPECT_TRUE(elprops::compute(kSodiumChloride, 0.20f, 20.0f)->warnings.empty());

  const elprops::result hot = elprops::compute(kWater, 0.0f, 150.0f);
  ASSERT_EQ(hot->warnings.size(), 1u);
  EXPECT_EQ(hot->warnings[0].kind, elprops::warning_kind::above_boiling);

  const auto sulfide = elprops::check_validity(elprops::substance_id{5}, 0.3f, 20.0f);
  ASSERT_EQ(sulfide->size(), 1u);
  EXPECT_TRUE((*sulfide)[0].is_note());

  EXPECT_FALSE(elprops::compute(elprops::substance_id{8}, 0.99f, 20.0f));  // a failed point has no warnings
  EXPECT_DOUBLE_EQ(elprops::solubility(kSodiumChloride, 20.0f).value(), 0.2641);
  EXPECT_FALSE(elprops::solubility(kSodiumChloride, 150.0f));
  EXPECT_FALSE(elprops::solubility(kWater, 20.0f));
  const auto limit = elprops::solubility_limit_at(kSodiumChloride, 20.0f);
  ASSERT_TRUE(limit);
  EXPECT_EQ(limit->solid, "NaCl");
  EXPECT_EQ(limit->status, elprops::solubility_status::ok);
  // The saturation fit read backwards: ln(w / 0.52551) / 0.00156214.
  EXPECT_DOUBLE_EQ(elprops::calcium_chloride_saturation_temperature(0.55f),
                   std::log(static_cast<double>(0.55f) / 0.52551) / 0.00156214);
}

TEST(PublicComputeMany, UnitsWarningsAndMessagesAsComputeGivesThem) {
  using elprops::concentration_unit;
  const std::vector<elprops::substance_id> s{
      kSodiumChloride,           kSodiumChloride,          kSodiumChloride,          kWater,
      elprops::substance_id{11}, elprops::substance_id{8}, elprops::substance_id{0}, kSodiumChloride};
  const std::vector<double> c{0.1, 30.0, 1.5, 0.0, 4.0, 0.99, 0.1, -1.0};
  const std::vector<float> t{20.0f, 20.0f, 150.0f, 150.0f, 60.0f, 20.0f, 20.0f, 20.0f};
  const std::vector<concentration_unit> u{concentration_unit::mass_fraction, concentration_unit::mass_percent,
                                          concentration_unit::molality,      concentration_unit::molality,
                                          concentration_unit::molarity,      concentration_unit::mass_fraction,
                                          concentration_unit::mass_fraction, concentration_unit::molality};
  const std::size_t n = s.size();
  std::vector<elprops::properties> rows(n);
  std::vector<elprops::error_kind> errors(n);
  std::vector<std::string> messages(n), warnings(n);
  std::vector<float> w(n);
  std::vector<double> molality(n);
  elprops::point_outputs out;
  out.rows = rows;
  out.errors = errors;
  out.messages = messages;
  out.warnings = warnings;
  out.mass_fractions = w;
  out.molalities = molality;
  EXPECT_EQ(elprops::compute_many(s, c, t, u, out), 3u);
  // The faulting point keeps the mass fraction its correlations were given.
  EXPECT_EQ(errors[5], elprops::error_kind::arithmetic_fault);
  EXPECT_EQ(w[5], 0.99f);
  for (std::size_t i = 0; i < n; ++i) {
    const elprops::result one = elprops::compute(s[i], c[i], t[i], u[i]);
    ASSERT_EQ(errors[i], one.error().kind) << i;
    EXPECT_EQ(messages[i], one.error().message) << i;
    if (!one) continue;
    EXPECT_EQ(rows[i].density, one->density) << i;
    EXPECT_EQ(w[i], one->mass_fraction) << i;
    EXPECT_EQ(molality[i], one->molality) << i;
    EXPECT_EQ(warnings[i], elprops::join_warnings(one->warnings)) << i;
  }
  // 30 percent of NaCl is above its solubility at 20 °C; 150 °C is above boiling.
  EXPECT_NE(warnings[1].find("above the solubility of NaCl"), std::string::npos);
  EXPECT_NE(warnings[2].find("above 100 °C"), std::string::npos);
}

}  // namespace
