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

// One substance argument. An unknown name raises at once; an integer is
// taken as an index, and one outside 1 to 19 is the failure of its points,
// with the library's unknown-substance message.
elprops::expected<elprops::substance_id> ScalarSubstance(py::handle obj);

// One substance for every point: an unknown name or index raises.
elprops::substance_id OneSubstance(py::handle obj);

// The substance argument of an array call before broadcasting: a 0-d int32
// array for one substance (an unknown index is then allPointsError), else
// the array of indices or names as given.
py::array SubstanceArray(py::handle obj, std::optional<std::string>& allPointsError);

// The substances of a contiguous array of the dtype of SubstanceArray; what
// names no substance is substance_id{0} with its message in errors.
void SubstanceIds(const py::array& source, std::span<elprops::substance_id> out,
                  std::map<std::size_t, std::string>& errors);

elprops::concentration_unit UnitArgument(py::handle obj);
elprops::property_kind PropertyArgument(py::handle obj);
// One of the five properties or a derived quantity.
elprops::quantity_kind QuantityArgument(py::handle obj);

}  // namespace elprops::python
