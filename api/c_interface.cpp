// The C interface of <elprops/elprops.h> over the public C++ interface. No
// exception leaves a function of it: each turns into a status.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/elprops.h>
#include <elprops/compute.hpp>
#include <elprops/substance.hpp>
#include <elprops/validity.hpp>
#include <elprops/version.hpp>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr double kNaNDouble = std::numeric_limits<double>::quiet_NaN();

// The text into a caller's buffer as snprintf writes it, never cut inside
// a UTF-8 character; the length it needs where `length` points.
void PutText(std::string_view text, char* buffer, std::size_t size, std::size_t* length) noexcept {
  if (length != nullptr) *length = text.size();
  if (buffer == nullptr || size == 0) return;
  std::size_t n = std::min(text.size(), size - 1);
  if (n < text.size()) {
    // A continuation byte at the cut belongs to a character begun before it.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0U) == 0x80U) --n;
  }
  if (n > 0) std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

elprops_status StatusOf(elprops::error_kind kind) noexcept {
  switch (kind) {
    case elprops::error_kind::none:
      return ELPROPS_OK;
    case elprops::error_kind::inadmissible_input:
      return ELPROPS_INADMISSIBLE_INPUT;
    case elprops::error_kind::arithmetic_fault:
      return ELPROPS_ARITHMETIC_FAULT;
    case elprops::error_kind::out_of_reach:
      return ELPROPS_OUT_OF_REACH;
  }
  return ELPROPS_INTERNAL_ERROR;
}

bool IsUnit(int unit) noexcept { return unit >= 0 && unit < elprops::concentration_unit_count; }

// A substance number as the C++ interface takes it; a number beyond its
// range becomes the unknown substance 0, whose message names the number
// given (see UnknownMessage).
elprops::substance_id IdOf(int substance) noexcept {
  const bool inRange = substance >= 1 && substance <= elprops::substance_count;
  return elprops::substance_id{static_cast<std::uint8_t>(inRange ? substance : 0)};
}

std::string UnknownMessage(int substance) { return elprops::unknown_substance_message(std::to_string(substance)); }

// What an exception that reached the interface comes to, its text into the
// buffer.
elprops_status Caught(char* text, std::size_t size, std::size_t* length) noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    PutText("out of memory", text, size, length);
    return ELPROPS_OUT_OF_MEMORY;
  } catch (const std::invalid_argument& e) {
    PutText(e.what(), text, size, length);
    return ELPROPS_INVALID_ARGUMENT;
  } catch (const std::exception& e) {
    PutText(e.what(), text, size, length);
    return ELPROPS_INTERNAL_ERROR;
  } catch (...) {
    PutText("internal error", text, size, length);
    return ELPROPS_INTERNAL_ERROR;
  }
}

void PutNaN(elprops_point* point) noexcept {
  *point = elprops_point{kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaNDouble, kNaNDouble};
}

// The checks of compute_many's arguments; an empty text when they fit.
std::string_view InputProblem(std::size_t count, const void* values, std::size_t size) noexcept {
  if (values == nullptr) return "an input is NULL";
  if (size != count && size != 1) return "an input has neither one element nor one for every point";
  return {};
}

std::string_view ManyProblem(std::size_t count, const int* substances, std::size_t substancesCount,
                             const double* concentrations, std::size_t concentrationsCount, const float* temperatures,
                             std::size_t temperaturesCount, int unit, const int* statuses, const char* texts,
                             std::size_t textSize) noexcept {
  if (statuses == nullptr) return "statuses is NULL";
  if (!IsUnit(unit)) return "unknown concentration unit";
  if (texts != nullptr && textSize != 0 && count > std::numeric_limits<std::size_t>::max() / textSize) {
    return "the text rows do not fit in memory";
  }
  for (const std::string_view problem :
       {InputProblem(count, substances, substancesCount), InputProblem(count, concentrations, concentrationsCount),
        InputProblem(count, temperatures, temperaturesCount)}) {
    if (!problem.empty()) return problem;
  }
  return {};
}

template <typename T>
std::span<T> Column(T* values, std::size_t count) {
  return values == nullptr ? std::span<T>{} : std::span<T>(values, count);
}

// The text rows of compute_many: a point's message when it failed, its
// warnings otherwise.
void PutRows(std::size_t count, const int* substances, std::size_t substancesCount,
             const std::vector<elprops::error_kind>& errors, const std::vector<std::string>& messages,
             const std::vector<std::string>& warnings, char* texts, std::size_t textSize, std::size_t* lengths) {
  for (std::size_t i = 0; i < count; ++i) {
    char* row = texts == nullptr ? nullptr : texts + i * textSize;
    std::size_t* length = lengths == nullptr ? nullptr : lengths + i;
    const int substance = substances[substancesCount == 1 ? 0 : i];
    if (errors[i] == elprops::error_kind::none) {
      PutText(warnings[i], row, textSize, length);
    } else if (substance != elprops::index_of(IdOf(substance))) {
      PutText(UnknownMessage(substance), row, textSize, length);
    } else {
      PutText(messages[i], row, textSize, length);
    }
  }
}

elprops_status ComputeMany(std::size_t count, const int* substances, std::size_t substancesCount,
                           const double* concentrations, std::size_t concentrationsCount, const float* temperatures,
                           std::size_t temperaturesCount, int unit, const elprops::property_columns& columns,
                           int* statuses, char* texts, std::size_t textSize, std::size_t* lengths) {
  std::vector<elprops::substance_id> ids(substancesCount);
  std::transform(substances, substances + substancesCount, ids.begin(), IdOf);
  const std::array<elprops::concentration_unit, 1> units{static_cast<elprops::concentration_unit>(unit)};
  std::vector<elprops::error_kind> errors(count);
  const bool withTexts = (texts != nullptr && textSize != 0) || lengths != nullptr;
  std::vector<std::string> messages(withTexts ? count : 0);
  std::vector<std::string> warnings(withTexts ? count : 0);
  elprops::point_outputs out;
  out.columns = columns;
  out.errors = errors;
  out.messages = messages;
  out.warnings = warnings;
  elprops::compute_many(ids, std::span<const double>(concentrations, concentrationsCount),
                        std::span<const float>(temperatures, temperaturesCount), units, out);
  for (std::size_t i = 0; i < count; ++i) statuses[i] = StatusOf(errors[i]);
  if (withTexts) PutRows(count, substances, substancesCount, errors, messages, warnings, texts, textSize, lengths);
  return ELPROPS_OK;
}

}  // namespace

extern "C" {

const char* elprops_version(void) { return ELPROPS_VERSION_STRING; }

const char* elprops_status_text(int status) {
  switch (status) {
    case ELPROPS_OK:
      return "ok";
    case ELPROPS_INADMISSIBLE_INPUT:
      return "inadmissible input";
    case ELPROPS_ARITHMETIC_FAULT:
      return "arithmetic fault";
    case ELPROPS_OUT_OF_REACH:
      return "out of reach";
    case ELPROPS_INVALID_ARGUMENT:
      return "invalid argument";
    case ELPROPS_OUT_OF_MEMORY:
      return "out of memory";
    case ELPROPS_INTERNAL_ERROR:
      return "internal error";
    default:
      return "unknown status";
  }
}

elprops_status elprops_find_substance(const char* name, int* substance, char* message, size_t message_size,
                                      size_t* length) {
  try {
    if (name == nullptr || substance == nullptr) {
      PutText(name == nullptr ? "the substance's name is NULL" : "substance is NULL", message, message_size, length);
      return ELPROPS_INVALID_ARGUMENT;
    }
    const elprops::expected<elprops::substance_info> found = elprops::find_substance(name);
    if (!found) {
      *substance = 0;
      PutText(found.error().message, message, message_size, length);
      return StatusOf(found.error().kind);
    }
    *substance = found->index;
    PutText({}, message, message_size, length);
    return ELPROPS_OK;
  } catch (...) {
    return Caught(message, message_size, length);
  }
}

namespace {

// The formulas and names of the substances with their terminating NULs.
struct SubstanceTexts {
  std::array<std::string, elprops::substance_count> formulas, names;
  SubstanceTexts() {
    for (const elprops::substance_info& s : elprops::substances()) {
      formulas[static_cast<std::size_t>(s.index - 1)] = s.formula;
      names[static_cast<std::size_t>(s.index - 1)] = s.english_name;
    }
  }
};

const SubstanceTexts* Texts() noexcept {
  try {
    static const SubstanceTexts texts;
    return &texts;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

const char* elprops_substance_formula(int substance) {
  const SubstanceTexts* texts = Texts();
  if (texts == nullptr || !elprops::is_known(IdOf(substance))) return nullptr;
  return texts->formulas[static_cast<std::size_t>(substance - 1)].c_str();
}

const char* elprops_substance_name(int substance) {
  const SubstanceTexts* texts = Texts();
  if (texts == nullptr || !elprops::is_known(IdOf(substance))) return nullptr;
  return texts->names[static_cast<std::size_t>(substance - 1)].c_str();
}

elprops_status elprops_compute(int substance, double concentration, int unit, float temperature_celsius,
                               elprops_point* point, char* text, size_t text_size, size_t* length) {
  try {
    if (point == nullptr || !IsUnit(unit)) {
      PutText(point == nullptr ? "point is NULL" : "unknown concentration unit", text, text_size, length);
      if (point != nullptr) PutNaN(point);
      return ELPROPS_INVALID_ARGUMENT;
    }
    PutNaN(point);
    const elprops::substance_id id = IdOf(substance);
    if (!elprops::is_known(id)) {
      PutText(UnknownMessage(substance), text, text_size, length);
      return ELPROPS_INADMISSIBLE_INPUT;
    }
    const elprops::result r =
        elprops::compute(id, concentration, temperature_celsius, static_cast<elprops::concentration_unit>(unit));
    if (!r) {
      PutText(r.error().message, text, text_size, length);
      return StatusOf(r.error().kind);
    }
    *point =
        elprops_point{r->density,       r->viscosity, r->surface_tension, r->heat_capacity, r->thermal_conductivity,
                      r->mass_fraction, r->molality,  r->molarity};
    PutText(elprops::join_warnings(r->warnings), text, text_size, length);
    return ELPROPS_OK;
  } catch (...) {
    return Caught(text, text_size, length);
  }
}

elprops_status elprops_compute_many(size_t count, const int* substances, size_t substances_count,
                                    const double* concentrations, size_t concentrations_count,
                                    const float* temperatures_celsius, size_t temperatures_count, int unit,
                                    float* density, float* viscosity, float* surface_tension, float* heat_capacity,
                                    float* thermal_conductivity, int* statuses, char* texts, size_t text_size,
                                    size_t* text_lengths) {
  try {
    if (count == 0) return ELPROPS_OK;
    const std::string_view problem =
        ManyProblem(count, substances, substances_count, concentrations, concentrations_count, temperatures_celsius,
                    temperatures_count, unit, statuses, texts, text_size);
    if (!problem.empty()) {
      // The reason goes to the first row, where there is one.
      PutText(problem, texts, text_size, text_lengths);
      return ELPROPS_INVALID_ARGUMENT;
    }
    const elprops::property_columns columns{Column(density, count), Column(viscosity, count),
                                            Column(surface_tension, count), Column(heat_capacity, count),
                                            Column(thermal_conductivity, count)};
    return ComputeMany(count, substances, substances_count, concentrations, concentrations_count, temperatures_celsius,
                       temperatures_count, unit, columns, statuses, texts, text_size, text_lengths);
  } catch (...) {
    return Caught(nullptr, 0, nullptr);
  }
}

}  // extern "C"
