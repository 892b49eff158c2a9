// The nineteen substances and their coefficient tables.
//
// Every coefficient is stored as the single-precision float nearest to the
// decimal written here; the correlations widen it exactly to double.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace elprops::model {

inline constexpr std::uint8_t kSubstanceCount = 19;
inline constexpr std::uint8_t kWater = 19;
inline constexpr std::uint8_t kAmmoniumBicarbonate = 1;
inline constexpr std::uint8_t kCalciumChloride = 11;

// One substance's entry in each of the nineteen coefficient tables that
// InitSubstanceTables fills; the field names are the table names.
struct Coefficients {
  float DensityA0, DensityA1, DensityA2;
  float ViscosityB0, ViscosityB1, ViscosityB2, ViscosityB3;
  float TensionP0, TensionP1, TensionP2;
  float MolarMass;
  float TensionQ0, TensionQ1, TensionQ2;
  float HeatCapacityC0, HeatCapacityC1, HeatCapacityC2, HeatCapacityC3;
  float ConductivityK;
};

struct CatalogueRow {
  std::string_view Formula;      // as the command line accepts it
  std::string_view EnglishName;  // for the command line's listing
  std::string_view Caption;      // list entry: 13 blanks and the name
  std::string_view Genitive;     // used in prompts and table titles
  Coefficients Table;
};

// clang-format off
inline constexpr std::array<CatalogueRow, kSubstanceCount> kCatalogue{{
  //  A0       A1         A2          B0       B1         B2          B3      P0          P1          P2         M        Q0           Q1           Q2          C0      C1       C2     C3       K
  {"NH4HCO3", "ammonium bicarbonate", "             АММОНИЯ БИКАРБОНАТ", "БИКАРБОНАТА АММОНИЯ ",
   {0.1987f, 0.0f,      1.88e-5f,   0.8867f, 0.0f,      1.67e-4f,   1.737f, 0.0f,       0.0f,       0.0f,      0.0f,    0.0f,        0.0f,        0.0f,       3915.0f, 9866.0f, 0.0f,   0.0f,     0.125f}},
  {"(NH4)2SO4", "ammonium sulfate", "             АММОНИЯ СУЛЬФАТ", "СУЛЬФАТА АММОНИЯ ",
   {0.2267f, 0.0f,      0.0f,       0.0f,    0.01003f,  -7.218e-5f, 1.015f, 0.001882f,  0.0f,       0.0f,      132.14f, 1.592e-5f,   0.0f,        0.0f,       4238.7f, 2063.86f, 3.16f, -0.0068f, 0.571f}},
  {"NH4Cl", "ammonium chloride", "             АММОНИЯ ХЛОРИД ", "ХЛОРИДА АММОНИЯ ",
   {0.1364f, 4.9e-4f,   4.56e-6f,   0.2092f, 0.0114f,   -5.4e-5f,   0.0f,   0.001581f,  -3.39e-8f,  0.0f,      53.46f,  2.925e-6f,   -5.0353e-8f, 2.21e-10f,  5098.0f, 3925.0f, 10.2f,  0.0717f,  0.337f}},
  {"Ba(NO3)2", "barium nitrate", "             БАРИЯ НИТРАТ", "НИТРАТА БАРИЯ ",
   {0.2768f, -0.001914f, -9.18e-6f, 0.4407f, 0.0f,      0.0f,       1.145f, 0.001011f,  -1.274e-6f, -2.15e-9f, 261.35f, -5.9694e-6f, 5.5121e-8f,  1.074e-11f, 4000.0f, 0.0f,    0.0f,   0.0f,     0.068f}},
  {"BaS", "barium sulfide", "             БАРИЯ СУЛЬФИД", "СУЛЬФИДА БАРИЯ ",
   {0.4664f, 0.0f,      0.0f,       2.16f,   0.0f,      0.0f,       -4.5f,  8e-4f,      0.0f,       0.0f,      169.4f,  0.0f,        0.0f,        0.0f,       4804.0f, -2289.0f, 16.0f, 0.0f,     0.132f}},
  {"BaCl2", "barium chloride", "             БАРИЯ ХЛОРИД", "ХЛОРИДА БАРИЯ ",
   {0.4196f, 0.0f,      0.0f,       0.26f,   0.00566f,  -1.798e-5f, 0.5884f, 0.001183f, -3.61e-6f,  2.1e-10f,  208.25f, 7.91e-6f,    0.0f,        0.0f,       5220.0f, 217.5f,  14.28f, 0.052f,   0.225f}},
  {"KOH", "potassium hydroxide", "             КАЛИЯ ГИДРОКСИД", "ГИДРОКСИДА КАЛИЯ ",
   {0.3775f, 3.53e-4f,  2.74e-6f,   0.8223f, 0.0f,      0.0f,       1.626f, 0.001736f,  4.645e-6f,  -1.21e-8f, 56.11f,  2.4464e-5f,  -1.4331e-7f, 3.35e-10f,  5543.0f, 3619.0f, 8.72f,  0.0f,     0.114f}},
  {"K2CO3", "potassium carbonate", "             КАЛИЯ КАРБОНАТ", "КАРБОНАТА КАЛИЯ",
   {0.3865f, 3.78e-4f,  3.59e-6f,   1.033f,  0.0f,      0.0f,       1.316f, 8.8628e-4f, 8.49e-8f,   9.33e-10f, 138.21f, -8.1651e-7f, 1.53e-9f,    2.79e-11f,  5229.0f, 2858.0f, 6.32f,  0.0f,     0.171f}},
  {"K2SO4", "potassium sulfate", "             КАЛИЯ СУЛЬФАТ", "СУЛЬФАТА КАЛИЯ ",
   {0.352f,  1.55e-4f,  1e-6f,      0.89f,   0.0f,      0.0f,       0.0f,   4.7525e-4f, 1.3252e-5f, -1.13e-7f, 174.27f, 1.239e-5f,   -1.2477e-7f, 8.49e-10f,  6048.0f, 5010.0f, 32.82f, 0.212f,   0.176f}},
  {"KCl", "potassium chloride", "             КАЛИЯ ХЛОРИД", "ХЛОРИДА КАЛИЯ ",
   {0.2811f, 3.71e-4f,  3.34e-6f,   -0.1724f, 0.00668f, 0.0f,       0.547f, 0.001417f,  3.48e-7f,   5.1e-10f,  74.56f,  6.5156e-6f,  -8.3e-11f,   7.44e-12f,  5671.0f, 3028.0f, 12.19f, 0.1071f,  0.171f}},
  {"CaCl2", "calcium chloride", "             КАЛЬЦИЯ ХЛОРИД", "ХЛОРИДА КАЛЬЦИЯ ",
   {0.3683f, 3.23e-4f,  3.36e-6f,   0.708f,  0.0093f,   0.0f,       2.276f, 8.39e-4f,   3.29e-5f,   -2e-7f,    110.98f, 2.914e-6f,   -5.23e-7f,   2.71e-9f,   6542.0f, 5175.0f, 16.61f, 0.137f,   0.226f}},
  {"MgCl2", "magnesium chloride", "             МАГНИЯ ХЛОРИД", "ХЛОРИДА МАГНИЯ ",
   {0.3635f, 3.03e-4f,  4.46e-6f,   2.423f,  -0.0563f,  5.95e-4f,   4.414f, 4.96e-4f,   2.86e-5f,   -3.1e-7f,  95.22f,  4.107e-5f,   -4.7e-7f,    3.65e-9f,   6392.0f, 4212.0f, 8.323f, 0.048f,   0.475f}},
  {"NaHCO3", "sodium bicarbonate", "             НАТРИЯ БИКАРБОНАТ", "БИКАРБОНАТА НАТРИЯ ",
   {0.3071f, 0.0f,      1.919e-5f,  1.625f,  0.0f,      0.0f,       0.0f,   0.007f,     0.0f,       0.0f,      84.0f,   0.0f,        0.0f,        0.0f,       4195.0f, 8879.0f, 0.0f,   0.0f,     0.072f}},
  {"NaOH", "sodium hydroxide", "             НАТРИЯ ГИДРОКСИД", "ГИДРОКСИДА НАТРИЯ ",
   {0.4068f, 1.838e-5f, 0.0f,       3.2f,    -0.0114f,  0.0f,       0.575f, 0.001239f,  7.0975e-6f, -2.92e-8f, 40.0f,   2.599e-5f,   -2.153e-7f,  5.06e-10f,  2767.0f, 1426.0f, 0.0f,   0.0f,     -0.226f}},
  {"Na2CO3", "sodium carbonate", "             НАТРИЯ КАРБОНАТ", "КАРБОНАТА НАТРИЯ ",
   {0.4566f, 0.001223f, 8.99e-6f,   2.325f,  0.0f,      -1.004e-4f, 2.697f, 0.001118f,  -5.1055e-6f, 2.24e-8f, 105.99f, -5.9478e-7f, 7.0741e-8f,  -5.12e-10f, 4462.0f, 3641.0f, 28.29f, 0.191f,   -0.083f}},
  {"Na2SO4", "sodium sulfate", "             НАТРИЯ СУЛЬФАТ", "СУЛЬФАТА НАТРИЯ ",
   {0.3975f, 5.68e-4f,  4.33e-6f,   1.402f,  -0.002159f, 0.0f,      1.458f, 9.465e-4f,  -1.629e-6f, -4.03e-7f, 142.02f, 6.417e-6f,   -9.466e-8f,  4.45e-10f,  5196.0f, 6646.0f, 18.4f,  0.131f,   0.393f}},
  {"NaCl", "sodium chloride", "             НАТРИЯ ХЛОРИД", "ХЛОРИДА НАТРИЯ ",
   {0.3129f, 5.58e-4f,  4.48e-6f,   0.6808f, 0.0f,      1.95e-5f,   1.395f, 0.001473f,  -1.5e-8f,   1.1e-9f,   58.44f,  1.438e-5f,   -4.307e-8f,  -9.3e-12f,  4994.0f, 5090.0f, 8.347f, 0.0855f,  0.205f}},
  {"FeCl3", "iron chloride", "             ЖЕЛЕЗА ХЛОРИД", "ХЛОРИДА ЖЕЛЕЗА ",
   {0.3782f, 0.0f,      0.0f,       2.18f,   -0.0102f,  0.0f,       0.6f,   7.6e-4f,    0.0f,       0.0f,      162.21f, 0.0f,        0.0f,        0.0f,       5594.0f, 3717.0f, 0.0f,   -0.255f,  0.361f}},
  {"H2O", "water", "             ВОДА", "ВОДЫ ",
   {0.0f,    0.0f,      0.0f,       0.0f,    0.0f,      0.0f,       1.0f,   0.0f,       0.0f,       0.0f,      18.0f,   0.0f,        0.0f,        0.0f,       0.0f,    0.0f,    0.0f,   0.0f,     1.0f}},
}};
// clang-format on

// Substances whose viscosity correction raises the concentration to a power
// other than 1, and those whose mole ratio is halved in the tension factor.
struct ExponentException {
  std::uint8_t Substance;
  float Exponent;
};
inline constexpr std::array<ExponentException, 2> kViscosityExponentExceptions{{{2, 0.3144f}, {6, 0.575f}}};
inline constexpr std::array<std::uint8_t, 5> kTensionDivisorTwo{3, 7, 10, 13, 14};

// The catalogue row of a substance, 1 to 19; anything else is a caller error.
const CatalogueRow& CatalogueEntry(std::uint8_t substance);

// The module-level tables the correlations read, indexed 1 to 19 (element 0
// is unused). Filled once at start-up and constant afterwards.
struct SubstanceTables {
  float LnTen = 0.0f;
  std::array<float, kSubstanceCount + 1> ViscosityExponent{};
  std::array<float, kSubstanceCount + 1> TensionDivisor{};
  std::array<std::string_view, kSubstanceCount + 1> SubstanceCaption{};
  std::array<std::string_view, kSubstanceCount + 1> SubstanceGenitive{};
  std::array<Coefficients, kSubstanceCount + 1> Row{};
};

// Start-up values, in the order the window's load handler sets them.
void InitLnTen(SubstanceTables& tables);
void InitExponentsAndDivisors(SubstanceTables& tables);
// Captions, genitive names and the nineteen coefficient tables.
void InitSubstanceTables(SubstanceTables& tables);

// All of the above in start-up order: tables ready for the correlations.
SubstanceTables MakeSubstanceTables();

}  // namespace elprops::model
