// The reference models beside ours, as a user of the public library sees
// them. Expected reference values are the published worked examples; the
// notes are the wording the header documents.
#include <gtest/gtest.h>
#include <elprops/elprops.hpp>

#include <cmath>
#include <string>
#include <vector>

namespace {

elprops::substance_id S(int index) { return elprops::substance_id{static_cast<std::uint8_t>(index)}; }

TEST(ReferenceValues, SodiumChlorideBesideLaliberteMelinderAndDutcher) {
  const auto set = elprops::reference_values(S(17), 0.1f, 20.0f);
  ASSERT_TRUE(set.has_value()) << set.error().message;
  const elprops::result ours = elprops::compute(S(17), 0.1f, 20.0f);
  ASSERT_TRUE(ours.has_value());
  const struct {
    elprops::property_kind property;
    double published;
    double halfUnit;
    const char* source;
  } rows[] = {
      {elprops::property_kind::density, 1070.75, 5e-3, "Laliberté 2009"},
      {elprops::property_kind::viscosity, 1.1905e-3, 5e-8, "Laliberté 2009"},
      {elprops::property_kind::surface_tension, 0.07575, 5e-6, "Dutcher 2010"},
      {elprops::property_kind::heat_capacity, 3728.1, 5e-2, "Laliberté 2009"},
      {elprops::property_kind::thermal_conductivity, 0.5887, 5e-5, "Melinder 2010"},
  };
  for (const auto& row : rows) {
    const elprops::reference_value& r = (*set)[static_cast<int>(row.property)];
    SCOPED_TRACE(std::string(elprops::describe(row.property).name));
    EXPECT_EQ(r.property, row.property);
    EXPECT_TRUE(r.available);
    EXPECT_TRUE(r.within_span);
    EXPECT_NEAR(r.value, row.published, row.halfUnit);
    EXPECT_EQ(r.source, row.source);
    const double mine = elprops::property_value(*ours, row.property);
    EXPECT_EQ(r.ours, mine);
    EXPECT_DOUBLE_EQ(r.deviation, (mine - r.value) / r.value);
  }
  // Laliberté's NaCl density rests on 0–140 °C up to w = 0.2659.
  EXPECT_EQ((*set)[0].t_min, 0.0);
  EXPECT_EQ((*set)[0].t_max, 140.0);
  EXPECT_NEAR((*set)[0].w_max, 0.26589930421877, 1e-14);
}

TEST(ReferenceValues, RefusesWhatComputeRefuses) {
  EXPECT_EQ(elprops::reference_values(S(17), 1.5f, 20.0f).error().kind, elprops::error_kind::inadmissible_input);
  EXPECT_EQ(elprops::reference_values(S(0), 0.1f, 20.0f).error().kind, elprops::error_kind::inadmissible_input);
  EXPECT_FALSE(elprops::no_reference_notes(S(17), 0.1f, -5.0f).has_value());
}

TEST(NoReferenceNotes, NameThePropertyAndTheSpanOfTheData) {
  const struct {
    const char* name;
    int substance;
    float w, t;
    std::vector<std::string> notes;
  } rows[] = {
      {"every reference spans the point", 17, 0.1f, 20.0f, {}},
      {"properties no model covers",
       7,
       0.2f,
       20.0f,
       {"surface tension of KOH: no reference data", "thermal conductivity of KOH: no reference data"}},
      {"viscosity beyond the data",
       7,
       0.6f,
       20.0f,
       {"density of KOH: no reference data beyond w = 0.518 at 20 °C",
        "viscosity of KOH: no reference data beyond w = 0.518 at 20 °C", "surface tension of KOH: no reference data",
        "heat capacity of KOH: no reference data beyond w = 0.465 at 20 °C",
        "thermal conductivity of KOH: no reference data"}},
      {"outside the temperatures and beyond the mass fractions",
       7,
       0.6f,
       2.0f,
       {"density of KOH: no reference data at 2 °C (data from 4 to 95 °C, up to w = 0.518)",
        "viscosity of KOH: no reference data beyond w = 0.518 at 2 °C", "surface tension of KOH: no reference data",
        "heat capacity of KOH: no reference data at 2 °C (data from 4 to 120 °C, up to w = 0.465)",
        "thermal conductivity of KOH: no reference data"}},
      {"outside the temperatures",
       13,
       0.05f,
       50.0f,
       {"viscosity of NaHCO3: no reference data at 50 °C (data from 20 to 30 °C)",
        "surface tension of NaHCO3: no reference data",
        "heat capacity of NaHCO3: no reference data at 50 °C (data from 25 to 25 °C)",
        "thermal conductivity of NaHCO3: no reference data"}},
      {"barium sulfide", 5, 0.1f, 20.0f, {"BaS: no reference data for any property"}},
      {"water", 19, 0.0f, 20.0f, {}},
  };
  for (const auto& row : rows) {
    const auto notes = elprops::no_reference_notes(S(row.substance), row.w, row.t);
    ASSERT_TRUE(notes.has_value()) << row.name;
    EXPECT_EQ(*notes, row.notes) << row.name;
  }
}

}  // namespace
