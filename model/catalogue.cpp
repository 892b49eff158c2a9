#include "model/catalogue.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace elprops::model {

const CatalogueRow& CatalogueEntry(std::uint8_t substance) {
  if (substance < 1 || substance > kSubstanceCount) {
    throw std::out_of_range("substance index " + std::to_string(substance) + " is out of range 1..19");
  }
  return kCatalogue[static_cast<std::size_t>(substance - 1)];
}

void InitLnTen(SubstanceTables& tables) { tables.LnTen = static_cast<float>(std::log(10.0)); }

void InitExponentsAndDivisors(SubstanceTables& tables) {
  for (std::size_t i = 1; i <= kSubstanceCount; ++i) {
    tables.ViscosityExponent[i] = 1.0f;
    tables.TensionDivisor[i] = 1.0f;
  }
  for (const auto& exception : kViscosityExponentExceptions) {
    tables.ViscosityExponent[exception.Substance] = exception.Exponent;
  }
  for (const auto substance : kTensionDivisorTwo) {
    tables.TensionDivisor[substance] = 2.0f;
  }
}

void InitSubstanceTables(SubstanceTables& tables) {
  for (std::size_t i = 1; i <= kSubstanceCount; ++i) {
    tables.SubstanceCaption[i] = kCatalogue[i - 1].Caption;
  }
  for (std::size_t i = 1; i <= kSubstanceCount; ++i) {
    tables.SubstanceGenitive[i] = kCatalogue[i - 1].Genitive;
  }
  for (std::size_t i = 1; i <= kSubstanceCount; ++i) {
    tables.Row[i] = kCatalogue[i - 1].Table;
  }
}

SubstanceTables MakeSubstanceTables() {
  SubstanceTables tables;
  InitLnTen(tables);
  InitExponentsAndDivisors(tables);
  InitSubstanceTables(tables);
  return tables;
}

}  // namespace elprops::model
