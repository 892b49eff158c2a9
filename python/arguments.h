// The arguments of the module's functions: their types, single values as
// the library takes them, and substances by name, index or record.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <elprops/elprops.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace elprops::python {

namespace py = pybind11;

std::string TypeName(py::handle obj);
bool IsInteger(py::handle obj);
bool IsSubstanceRecord(py::handle obj);
// One value, not an array: a number, a text or a Substance record.
bool IsSingleValue(py::handle obj);

// A number, rounded to the nearest single as IEEE 754 rounds it (a value
// too large for a single becomes an infinity), or as a double.
float ScalarNumber(py::handle obj, const char* what);
double ScalarDouble(py::handle obj, const char* what);

// A number argument as an array of its own dtype, checked to hold numbers.
py::array NumberArray(py::handle obj, const char* what);

// The index of one substance argument. An unknown name raises; an index is
// passed on as it is, and one outside 1 to 19 is the point's error.
struct SingleSubstance {
  int index = 0;
  std::optional<std::string> error;  // when the index alone cannot say why
};

SingleSubstance ScalarSubstance(py::handle obj);

// A substance as the library's functions of one substance take it.
using LibrarySubstance = int;

// One substance for every point: an unknown name or index raises.
LibrarySubstance OneSubstance(py::handle obj);

// The substance named by a text, or by an index as the library counts.
std::optional<elprops::substance_info> FindByText(std::string_view text);
std::optional<elprops::substance_info> FindByIndex(int index);

// The substance argument of an array call before broadcasting: a 0-d int32
// array for one substance (an index outside an int's range is then
// allPointsError), else the array of indices or names as given.
py::array SubstanceArray(py::handle obj, std::optional<std::string>& allPointsError);

// The substance indices of a contiguous array of the dtype of SubstanceArray;
// what names no substance is index 0 with its message in errors.
void SubstanceIndices(const py::array& source, std::span<std::int32_t> out, std::map<std::size_t, std::string>& errors);

elprops::concentration_unit UnitArgument(py::handle obj);
elprops::property_kind PropertyArgument(py::handle obj);

}  // namespace elprops::python
