// The Python module elprops: the public library for Python and NumPy.
//
// One point gives Python floats or raises; arrays of points give float32
// arrays with NaN and a message where a point failed, computed by
// elprops::compute_many without the interpreter's lock. The module sees the
// model only through <elprops/elprops.hpp>.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <elprops/elprops.hpp>

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace {

// --- Texts -------------------------------------------------------------------

constexpr const char* kModuleDoc = R"(Properties of aqueous electrolyte solutions.

For eighteen salts and water, elprops computes from built-in empirical
correlations the density (kg/m3), dynamic viscosity (Pa*s), surface
tension (N/m), specific heat capacity (J/(kg*K)) and thermal conductivity
(W/(m*K)) of a solution of given mass fraction (kg/kg) and temperature
(degrees Celsius). The results are single-precision numbers, the same bits
as the window program and elprops-cli give.

One point gives its five properties, or raises when the point cannot be
computed:

    >>> import elprops
    >>> r = elprops.compute("NaCl", 0.1, 20)
    >>> r.density, r.viscosity
    (1070.6378, 0.0012080587)
    >>> elprops.compute("NaCl", 1.2, 20)
    Traceback (most recent call last):
    ...
    elprops.InadmissibleError: concentration 1.2 is not between 0 and 1 (both excluded)

Arrays of points (NumPy broadcasting between the three arguments) give a
float32 array per property; a point that cannot be computed is NaN there
and its reason is in the array `error`:

    >>> import numpy as np
    >>> r = elprops.compute("KCl", [0.05, 0.1, 0.2], np.arange(20, 100, 20)[:, None])
    >>> r.density.shape
    (4, 3)

Substances are named by their index 1 to 19 (the order of the window's
list, 19 is water), their formula ("NaCl", any case), their English name
("sodium chloride") or their Russian name as listed; substances() lists
them. For a salt the mass fraction must lie strictly between 0 and 1, for
water it must be 0; the temperature strictly between 1e-20 and the
substance's limit (270 degrees Celsius, 200 for water).

Every function may be called from several threads at once; the array form
releases the interpreter's lock while it computes.
)";

constexpr const char* kComputeDoc = R"(The five properties of a solution at one point, or of arrays of points.

substance      a name or formula ("NaCl", "sodium chloride"), an index 1 to
               19, a Substance record, or an array of indices (or of names)
mass_fraction  kg of salt per kg of solution; 0 for water
temperature    degrees Celsius

Numbers are rounded to the nearest single-precision value first.

When all three are single values, the result is a Properties record of
Python floats, and a point that cannot be computed raises:
InadmissibleError when the substance is unknown or a value lies outside the
admissible ranges, ArithmeticFault when the correlations leave the number
range (near saturation, e.g. potassium carbonate at 0.99 and 20 degrees).
The messages are those of elprops-cli.

When any argument is an array (or a list or tuple), the three are broadcast
together as NumPy does and the result is a PropertyArrays record of float32
arrays of the broadcast shape, the same as compute_many gives. A point
that cannot be computed never raises: its properties are NaN and its
message is in the array `error` (empty where the point was computed).
Only arguments of the wrong type, shapes that do not broadcast and an
unknown name given for every point raise.
)";

constexpr const char* kComputeManyDoc = R"(The five properties of arrays of points, as float32 arrays.

The arguments are those of compute(), as arrays or single values, broadcast
together as NumPy does. The result is a PropertyArrays record: one float32
array of the broadcast shape per property and the array `error` of
messages, an empty string where the point was computed. A point that
cannot be computed has NaN properties and its message (the words of
elprops-cli) in `error`; it never raises. The computation runs without the
interpreter's lock, so other Python threads go on meanwhile.

A substance given once by name must be known (else InadmissibleError);
names, indices and Substance records inside an array mark only their own
points when they are unknown.

    >>> r = elprops.compute_many(17, np.float32([0.1, 1.5]), 20)
    >>> r.density
    array([1070.6378,       nan], dtype=float32)
    >>> r.error[1]
    'concentration 1.5 is not between 0 and 1 (both excluded)'
)";

constexpr const char* kSubstancesDoc = R"(The nineteen substances as a list of Substance records in index order:
eighteen aqueous electrolytes and water (index 19).

    >>> elprops.substances()[16]
    Substance(index=17, formula='NaCl', english_name='sodium chloride', russian_name='НАТРИЯ ХЛОРИД', molar_mass=58.44, temperature_limit=270.0)
)";

constexpr const char* kFindSubstanceDoc = R"(The Substance record named by its index (17 or "17"), its formula in any
case ("NaCl", "nacl"), its English name in any case ("sodium chloride") or
its Russian name as listed ("НАТРИЯ ХЛОРИД"); blanks around a name are
ignored. None when no substance matches.
)";

constexpr const char* kSaturationDoc = R"(The saturation mass fraction of calcium chloride (kg/kg) at a temperature
in degrees Celsius: 0.52551 * exp(0.00156214 * T), rounded to single
precision. The fit was made for 0 to 100 degrees; beyond, the value is an
extrapolation. The window warns when a calcium chloride concentration lies
above it. A single temperature gives a float, an array a float32 array.

    >>> elprops.calcium_chloride_saturation(20)
    0.5421876
)";

constexpr const char* kVersionDoc = R"(The version of the elprops library the module runs on, "MAJOR.MINOR.PATCH".
)";

constexpr const char* kSingleDoc =
    "A Python float that holds a single-precision result exactly.\n"
    "\n"
    "It prints with the fewest digits that identify the single-precision value\n"
    "(as elprops-cli writes it: 1070.6378), while its value is the single itself\n"
    "(float(x) shows all its digits: 1070.637939453125), so that numpy.float32(x)\n"
    "gives back the same bits and x equals the element of an array result.\n"
    "Arithmetic on it gives plain floats.";

constexpr const char* kPropertiesDoc =
    "The five properties of one point, as Python floats (see Single).\n"
    "\n"
    "density               kg/m3\n"
    "viscosity             dynamic viscosity, Pa*s\n"
    "surface_tension       N/m\n"
    "heat_capacity         specific heat capacity, J/(kg*K)\n"
    "thermal_conductivity  W/(m*K)\n"
    "\n"
    "\n"
    "r.warnings is a tuple of PointWarning records (kind, message, note): what\n"
    "elprops-cli warns of at the point, solubility first; empty when none. It\n"
    "is no field of the tuple and never changes a value.\n"
    "\n"
    "    >>> elprops.compute('NaCl', 0.30, 20).warnings[0].message\n"
    "    'above the solubility of NaCl at 20 \u00b0C (0.2641; the solid is NaCl)'\n"
    "\n"
    "A named tuple: r.density, or density, viscosity, *rest = r.";

constexpr const char* kPointWarningDoc =
    "A warning or note of a computed point: it is still computed.\n"
    "\n"
    "kind     'above_solubility'    more salt than dissolves at that temperature\n"
    "         'ill_defined'         note: the salt hydrolyses or decomposes there\n"
    "         'no_solubility_data'  note: the solubility table covers 0 to 100 degrees\n"
    "         'above_boiling'       above 100 degrees: the solution boils at\n"
    "                               atmospheric pressure, the correlations are\n"
    "                               less accurate\n"
    "message  the text elprops-cli prints\n"
    "note     True for the two kinds of note";

constexpr const char* kPropertyArraysDoc =
    "The five properties of arrays of points: float32 arrays of the broadcast\n"
    "shape of the arguments, NaN where a point failed, and the messages.\n"
    "\n"
    "density               kg/m3\n"
    "viscosity             dynamic viscosity, Pa*s\n"
    "surface_tension       N/m\n"
    "heat_capacity         specific heat capacity, J/(kg*K)\n"
    "thermal_conductivity  W/(m*K)\n"
    "error                 array of str: why a point failed, '' where it was computed;\n"
    "                      failed = r.error != ''\n"
    "warning               array of str objects (dtype object): the warnings and\n"
    "                      notes of a computed point joined by '; ' as elprops-cli\n"
    "                      writes them, '' where none (and where the point failed);\n"
    "                      warned = r.warning != ''\n"
    "\n"
    "A named tuple of NumPy arrays.";

constexpr const char* kSubstanceDoc =
    "One of the nineteen substances.\n"
    "\n"
    "index              1 to 19, the position in the window's list (19 is water)\n"
    "formula            'NaCl', '(NH4)2SO4', 'H2O'\n"
    "english_name       'sodium chloride'\n"
    "russian_name       'НАТРИЯ ХЛОРИД', as the window's list shows it\n"
    "molar_mass         g/mol\n"
    "temperature_limit  degrees Celsius; temperatures must lie strictly between\n"
    "                   1e-20 and it (270 for the salts, 200 for water)\n"
    "\n"
    "A named tuple; compute() takes it as its substance.";

constexpr const char* kInadmissibleDoc =
    "A point outside the admissible ranges, or an unknown substance.\n"
    "\n"
    "For a salt the mass fraction must lie strictly between 0 and 1, for water it\n"
    "must be 0; the temperature strictly between 1e-20 and the substance's limit.\n"
    "The message is that of elprops-cli.";

constexpr const char* kArithmeticDoc =
    "A point whose computation left the number range.\n"
    "\n"
    "The correlations took the logarithm of a value that is not positive or\n"
    "overflowed, as happens for several salts close to a mass fraction of 1\n"
    "(potassium carbonate at 0.99 and 20 degrees). The message is that of\n"
    "elprops-cli and begins with 'arithmetic error'.";

constexpr const char* kSolveDoc = R"(The mass fractions at which a property of a salt solution has a value.

substance    one salt: a name, formula, index 1 to 18 or Substance record
temperature  degrees Celsius
property     'density', 'viscosity', 'surface_tension', 'heat_capacity' or
             'thermal_conductivity' (a hyphen may stand for the underscore)
value        the property in the module's units (kg/m3, Pa*s, N/m,
             J/(kg*K), W/(m*K))
unit         the unit of Answer.concentration: 'fraction' (kg/kg),
             'percent', 'molality' (mol/kg water), 'molarity' (mol/L) or
             'g/L'

The search runs over the admissible mass fractions on the model's own
single-precision property. Where the property is monotonic in the
concentration there is one answer; where it turns, more, ascending.

With single values the result is a list of Answer records. Each answer is
the single-precision mass fraction whose property is nearest to the value,
with the two neighbouring singles that straddle it (below, above) and which
one was chosen. When no admissible mass fraction gives the value,
OutOfReachError (an InadmissibleError, so a ValueError) says the range the
property reaches at that temperature; an unknown substance, water or a
temperature at which nothing can be computed raise InadmissibleError.

    >>> [a.mass_fraction for a in elprops.solve("NaCl", 20, "density", 1070.6378)]
    [0.1]
    >>> len(elprops.solve("NaCl", 20, "heat_capacity", 3500))
    2

When value or temperature is an array, the two are broadcast together and
the result is a Solutions record of arrays of the broadcast shape:
mass_fraction (float32, the lowest answer, NaN where none), concentration
(float64, it in the unit), count (int32, the number of answers) and error
(str, why there is none, '' where there is). A point without an answer
never raises; take single values for every answer of a point where count
is above 1. The substance, property and unit are one for all points.
)";

constexpr const char* kToMassFractionDoc = R"(A concentration of a salt in a unit, as the mass fraction compute() takes.

substance    one salt: a name, formula, index or Substance record
value        the concentration
unit         'fraction' (kg/kg), 'percent' (or '%'), 'molality' (mol/kg of
             water), 'molarity' (mol/L of solution) or 'g/L' (g of salt per
             litre of solution)
temperature  degrees Celsius; needed for molarity and g/L only, which
             depend on the solution's own density

Mass percent and molality convert directly, w = m*M / (1000 + m*M) with the
standard molar mass M in g/mol; molarity and g/L are solved on the model's
density, c = w*rho(w, T) / M. Single values give the mass fraction as a
Single (a float holding the single-precision value); a negative value
raises InadmissibleError, a molarity beyond what the admissible mass
fractions reach OutOfReachError with the reachable range.

    >>> elprops.to_mass_fraction("NaCl", 1, "molality")
    0.055213332

Arrays of value or temperature (broadcast together) give a Conversions
record: mass_fraction (float32, NaN where the conversion failed), achieved
(float64, the concentration computed back from the mass fraction) and
error (str, '' where it worked); a bad point never raises.
)";

constexpr const char* kMolalityDoc = R"(The molality (mol of salt per kg of water) of a mass fraction of a salt.

m = 1000 * w / ((1 - w) * M), M the standard molar mass in g/mol. A single
value gives a float, an array of mass fractions a float64 array.

    >>> round(elprops.molality("NaCl", 0.1), 4)
    1.9013
)";

constexpr const char* kMolarityDoc = R"(The molarity (mol of salt per litre of solution) of a mass fraction.

c = w * density / M, with the density in kg/m3 (compute() gives it) and the
standard molar mass M in g/mol. Single values give a float; arrays,
broadcast together, a float64 array.

    >>> r = elprops.compute("NaCl", 0.1, 20)
    >>> round(elprops.molarity("NaCl", 0.1, r.density), 4)
    1.832
)";

constexpr const char* kStandardMolarMassDoc = R"(The standard molar mass of a substance in g/mol.

Computed from its formula with the IUPAC standard atomic weights (abridged),
as the unit conversions use it. It may differ from Substance.molar_mass,
the value the correlations were made with (0 for ammonium bicarbonate).

    >>> elprops.standard_molar_mass("NaCl")
    58.44
)";

constexpr const char* kAnswerDoc =
    "One mass fraction at which the property has the value (see solve()).\n"
    "\n"
    "mass_fraction  kg/kg, a Single: of the singles around the crossing, the one\n"
    "               whose computed property is nearest to the value\n"
    "concentration  the mass fraction in the unit asked for, a float\n"
    "achieved       the property computed at mass_fraction\n"
    "below, above   the neighbouring singles whose properties straddle the value\n"
    "chosen         'exact' (a single gives the value itself), 'lower' or 'upper'";

constexpr const char* kSolutionsDoc =
    "The answers of solve() for arrays: arrays of the broadcast shape of value\n"
    "and temperature.\n"
    "\n"
    "mass_fraction  float32: the lowest answer, NaN where there is none\n"
    "concentration  float64: it in the unit asked for, NaN where there is none\n"
    "count          int32: the number of answers (more than 1 where the property\n"
    "               turns), 0 where there is none\n"
    "error          str: why there is no answer (the reachable range), '' where\n"
    "               there is one";

constexpr const char* kConversionsDoc =
    "The mass fractions of to_mass_fraction() for arrays.\n"
    "\n"
    "mass_fraction  float32: kg/kg, NaN where the conversion failed\n"
    "achieved       float64: the concentration computed back from mass_fraction\n"
    "error          str: why a conversion failed, '' where it worked";

constexpr const char* kOutOfReachDoc =
    "No admissible mass fraction gives the value asked for.\n"
    "\n"
    "The message names the range the admissible mass fractions reach at that\n"
    "temperature. A subclass of InadmissibleError, so a ValueError too.";

// --- Errors of one point -----------------------------------------------------

class InadmissibleInput : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ArithmeticFailure : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string UnknownSubstanceText(std::string_view shown) {
  return "unknown substance " + std::string(shown) +
         ": give its index 1 to 19 or its formula (see elprops.substances())";
}

std::string UnknownIndexText(std::string_view digits) {
  // The library's words for an index outside 1 to 19.
  return "unknown substance index " + std::string(digits) + ": give 1 to 19";
}

// --- The Python types of the module ------------------------------------------

// Owned for the life of the process: an extension module is never unloaded,
// and releasing these at the interpreter's exit would run after it is gone.
struct ModuleTypes {
  PyObject* single = nullptr;
  PyObject* properties = nullptr;
  PyObject* propertyArrays = nullptr;
  PyObject* substance = nullptr;
  PyObject* pointWarning = nullptr;
  PyObject* answer = nullptr;
  PyObject* solutions = nullptr;
  PyObject* conversions = nullptr;
  PyObject* numpyGeneric = nullptr;
  PyObject* numpyInteger = nullptr;
  PyObject* numpyBool = nullptr;
};

ModuleTypes& Types() {
  static ModuleTypes types;
  return types;
}

// The text a float32 prints as: its shortest round-trip digits, in the form
// Python gives a float of those digits (270.0, 1e-20).
PyObject* SingleRepr(PyObject* self) {
  const double value = PyFloat_AsDouble(self);
  if (value == -1.0 && PyErr_Occurred()) return nullptr;
  const float single = static_cast<float>(value);  // exact: the value is a single
  if (!std::isfinite(single)) return PyFloat_Type.tp_repr(self);
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, single);
  double shortest = 0.0;
  std::from_chars(text, written.ptr, shortest);
  PyObject* asDouble = PyFloat_FromDouble(shortest);
  if (asDouble == nullptr) return nullptr;
  PyObject* repr = PyFloat_Type.tp_repr(asDouble);
  Py_DECREF(asDouble);
  return repr;
}

PyObject* MakeSingleType() {
  static PyType_Slot slots[] = {
      {Py_tp_repr, reinterpret_cast<void*>(&SingleRepr)},
      {Py_tp_str, reinterpret_cast<void*>(&SingleRepr)},
      {Py_tp_doc, const_cast<char*>(kSingleDoc)},
      {0, nullptr},
  };
  static PyType_Spec spec{"elprops.Single", 0, 0, Py_TPFLAGS_DEFAULT, slots};
  PyObject* bases = PyTuple_Pack(1, reinterpret_cast<PyObject*>(&PyFloat_Type));
  if (bases == nullptr) throw py::error_already_set();
  PyObject* type = PyType_FromSpecWithBases(&spec, bases);
  Py_DECREF(bases);
  if (type == nullptr) throw py::error_already_set();
  return type;
}

// A Single of the value: a Python float holding it exactly.
py::object Single(float value) {
  auto single =
      py::reinterpret_steal<py::object>(PyObject_CallFunction(Types().single, "d", static_cast<double>(value)));
  if (!single) throw py::error_already_set();
  return single;
}

// Properties with the attribute `warnings` beside its five fields: a
// subclass of the named tuple with an instance dictionary, so that unpacking
// and comparing still see the five properties only.
PyObject* WithWarnings(py::module_& m, PyObject* record) {
  const py::object base = py::reinterpret_steal<py::object>(record);
  py::dict members;
  members["__doc__"] = base.attr("__doc__");
  members["__module__"] = "elprops";
  members["warnings"] = py::tuple();
  py::object type = py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(&PyType_Type))(
      base.attr("__name__"), py::make_tuple(base), members);
  m.attr(base.attr("__name__")) = type;
  return type.release().ptr();
}

// A named tuple of the module with a docstring for the class and each field.
PyObject* MakeRecordType(py::module_& m, const char* name,
                         const std::vector<std::pair<const char*, const char*>>& fields, const char* doc) {
  py::list names;
  for (const auto& field : fields) names.append(field.first);
  py::object type = py::module_::import("collections").attr("namedtuple")(name, names, py::arg("module") = "elprops");
  type.attr("__doc__") = doc;
  for (const auto& field : fields) type.attr(field.first).attr("__doc__") = field.second;
  m.attr(name) = type;
  return type.release().ptr();
}

py::object MakeSubstance(const elprops::substance_info& s) {
  return py::reinterpret_borrow<py::object>(Types().substance)(
      s.index, py::str(s.formula.data(), s.formula.size()), py::str(s.english_name.data(), s.english_name.size()),
      py::str(s.russian_name.data(), s.russian_name.size()), Single(s.molar_mass), Single(s.temperature_limit));
}

// --- Arguments ---------------------------------------------------------------

bool IsInstance(py::handle obj, PyObject* type) {
  const int is = PyObject_IsInstance(obj.ptr(), type);
  if (is < 0) throw py::error_already_set();
  return is == 1;
}

std::string TypeName(py::handle obj) { return py::str(py::type::handle_of(obj).attr("__name__")); }

bool IsText(py::handle obj) { return PyUnicode_Check(obj.ptr()) || PyBytes_Check(obj.ptr()); }

bool IsBool(py::handle obj) { return PyBool_Check(obj.ptr()) || IsInstance(obj, Types().numpyBool); }

bool IsInteger(py::handle obj) {
  return !IsBool(obj) && (PyLong_Check(obj.ptr()) || IsInstance(obj, Types().numpyInteger));
}

// One value, not an array: a number, a text or a Substance record.
bool IsSingleValue(py::handle obj) {
  return PyFloat_Check(obj.ptr()) || PyLong_Check(obj.ptr()) || IsText(obj) || IsInstance(obj, Types().numpyGeneric) ||
         IsInstance(obj, Types().substance);
}

// The single a double rounds to, as IEEE 754 rounds it
// (a value too large for a single becomes an infinity).
float ToSingle(double value) {
  constexpr double kMax = static_cast<double>(std::numeric_limits<float>::max());
  // Halfway between the largest single and the next power of two: from
  // here on the nearest single is infinite.
  constexpr double kOverflow = kMax + 0x1p103;
  const float sign = value < 0.0 ? -1.0f : 1.0f;
  if (std::fabs(value) >= kOverflow) return sign * std::numeric_limits<float>::infinity();
  if (std::fabs(value) > kMax) return sign * std::numeric_limits<float>::max();
  return static_cast<float>(value);
}

float ScalarNumber(py::handle obj, const char* what) {
  if (IsText(obj) || IsBool(obj)) {
    throw py::type_error(std::string(what) + " must be a number or an array of numbers, not " + TypeName(obj));
  }
  const double value = PyFloat_AsDouble(obj.ptr());
  if (value == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  return ToSingle(value);
}

std::optional<elprops::substance_info> FindByName(py::handle name) {
  const std::string text = py::str(name);
  return elprops::find_substance(text);
}

std::string QuotedName(py::handle name) { return "\"" + std::string(py::str(name)) + "\""; }

// The index of one substance argument. An unknown name raises; an index is
// passed on as it is, and one outside 1 to 19 is the point's error.
struct SingleSubstance {
  int index = 0;
  std::optional<std::string> error;  // when the index alone cannot say why
};

SingleSubstance ScalarSubstance(py::handle obj) {
  if (PyUnicode_Check(obj.ptr())) {
    const auto found = FindByName(obj);
    if (!found) throw InadmissibleInput(UnknownSubstanceText(QuotedName(obj)));
    return {found->index, std::nullopt};
  }
  if (IsInstance(obj, Types().substance)) return {obj.attr("index").cast<int>(), std::nullopt};
  if (IsInteger(obj)) {
    const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(obj.ptr()));
    if (!number) throw py::error_already_set();
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (value == -1 && PyErr_Occurred()) throw py::error_already_set();
    if (overflow == 0 && value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max()) {
      return {static_cast<int>(value), std::nullopt};
    }
    return {0, UnknownIndexText(py::str(number.ptr()).cast<std::string>())};
  }
  throw py::type_error("substance must be a name, an index 1 to 19, a Substance or an array of indices, not " +
                       TypeName(obj));
}

// --- One point ---------------------------------------------------------------

const char* KindName(elprops::warning_kind kind) {
  switch (kind) {
    case elprops::warning_kind::above_solubility:
      return "above_solubility";
    case elprops::warning_kind::ill_defined:
      return "ill_defined";
    case elprops::warning_kind::no_solubility_data:
      return "no_solubility_data";
    case elprops::warning_kind::above_boiling:
      return "above_boiling";
  }
  return "";
}

// The warnings and notes of a point as a tuple of PointWarning records.
py::tuple Warnings(const std::vector<elprops::warning>& warnings) {
  py::tuple out(warnings.size());
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    const elprops::warning& w = warnings[i];
    out[i] = py::reinterpret_borrow<py::object>(Types().pointWarning)(KindName(w.kind), w.message, w.is_note());
  }
  return out;
}

// The warnings of a point in one text, as elprops-cli writes them: the
// messages joined by "; ".
std::string JoinedWarnings(const std::vector<elprops::warning>& warnings) {
  std::string text;
  for (const elprops::warning& w : warnings) {
    if (!text.empty()) text += "; ";
    text += w.message;
  }
  return text;
}

py::object ComputeOne(py::handle substance, py::handle massFraction, py::handle temperature) {
  const SingleSubstance s = ScalarSubstance(substance);
  const float x = ScalarNumber(massFraction, "mass_fraction");
  const float t = ScalarNumber(temperature, "temperature");
  if (s.error) throw InadmissibleInput(*s.error);
  const elprops::result r = elprops::compute(s.index, x, t);
  if (!r) {
    const elprops::compute_error& e = r.error();
    if (e.kind == elprops::error_kind::arithmetic_fault) throw ArithmeticFailure(e.message);
    throw InadmissibleInput(e.message);
  }
  py::object values = py::reinterpret_borrow<py::object>(Types().properties)(
      Single(r->density), Single(r->viscosity), Single(r->surface_tension), Single(r->heat_capacity),
      Single(r->thermal_conductivity));
  values.attr("warnings") = Warnings(r.warnings());
  return values;
}

// --- Arrays of points --------------------------------------------------------

py::module_ NumPy() { return py::module_::import("numpy"); }

// An argument as a NumPy array (a single value as a 0-d array).
py::array AsArray(py::handle obj) { return py::reinterpret_steal<py::array>(NumPy().attr("asarray")(obj).release()); }

char KindOf(const py::array& a) { return a.dtype().kind(); }

// A number argument as an array of its own dtype, checked to hold numbers.
py::array NumberArray(py::handle obj, const char* what) {
  if (IsText(obj)) {
    throw py::type_error(std::string(what) + " must be a number or an array of numbers, not " + TypeName(obj));
  }
  py::array a = AsArray(obj);
  const char kind = KindOf(a);
  if (kind != 'f' && kind != 'i' && kind != 'u') {
    throw py::type_error(std::string(what) + " must be a number or an array of numbers, not an array of dtype " +
                         std::string(py::str(a.dtype())));
  }
  return a;
}

// Nested lists and tuples with Substance records replaced by their indices,
// so that NumPy does not take a record for a row of six values.
py::object WithoutRecords(py::handle obj) {
  if (IsInstance(obj, Types().substance)) return obj.attr("index");
  if (PyList_Check(obj.ptr()) || PyTuple_Check(obj.ptr())) {
    py::list items;
    for (const py::handle item : obj) items.append(WithoutRecords(item));
    return items;
  }
  return py::reinterpret_borrow<py::object>(obj);
}

// The substance argument before broadcasting: a 0-d int32 array for one
// substance, else the array of indices or names as given.
py::array SubstanceArray(py::handle obj, std::optional<std::string>& allPointsError) {
  if (IsSingleValue(obj)) {
    SingleSubstance s = ScalarSubstance(obj);
    allPointsError = std::move(s.error);
    return py::array_t<std::int32_t>(std::vector<py::ssize_t>{}, &s.index);
  }
  const py::object given = WithoutRecords(obj);
  py::array a = AsArray(given);
  if (KindOf(a) == 'U' && !py::isinstance<py::array>(obj)) {
    // A list of names and indices: NumPy would make the indices texts.
    a = NumPy().attr("array")(given, py::dtype("O"));
  }
  const char kind = KindOf(a);
  if (kind == 'i' || kind == 'u' || kind == 'U' || (kind == 'O' && a.ndim() > 0)) return a;
  if (a.ndim() == 0) {
    throw py::type_error("substance must be a name, an index 1 to 19, a Substance or an array of indices, not " +
                         TypeName(obj));
  }
  throw py::type_error(
      "substance must be a name, an index 1 to 19, a Substance or an array of integer indices, not "
      "an array of dtype " +
      std::string(py::str(a.dtype())));
}

// Element i of a contiguous integer array as an index, with the message of
// an index that does not fit an int.
template <typename T>
void IntegerIndices(const py::array& a, std::span<std::int32_t> out, std::map<std::size_t, std::string>& errors) {
  const auto* values = static_cast<const T*>(a.data());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const T v = values[i];
    if (std::in_range<std::int32_t>(v)) {
      out[i] = static_cast<std::int32_t>(v);
    } else {
      out[i] = 0;
      errors[i] = UnknownIndexText(std::to_string(v));
    }
  }
}

// The substance indices of a contiguous array of names, Substance records
// or integers; what names no substance is the point's error.
void ObjectIndices(const py::array& a, std::span<std::int32_t> out, std::map<std::size_t, std::string>& errors) {
  const py::array objects = a.attr("astype")(py::dtype("O"));
  const auto* items = static_cast<PyObject* const*>(objects.data());
  std::map<std::string, int> known;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const py::handle item(items[i]);
    out[i] = 0;
    if (PyUnicode_Check(item.ptr())) {
      const std::string text = py::str(item);
      auto [at, fresh] = known.try_emplace(text, 0);
      if (fresh) {
        const auto found = elprops::find_substance(text);
        at->second = found ? found->index : 0;
      }
      if (at->second != 0) {
        out[i] = at->second;
      } else {
        errors[i] = UnknownSubstanceText(QuotedName(item));
      }
    } else if (IsInstance(item, Types().substance)) {
      out[i] = item.attr("index").cast<std::int32_t>();
    } else if (IsInteger(item)) {
      const SingleSubstance s = ScalarSubstance(item);
      out[i] = s.index;
      if (s.error) errors[i] = *s.error;
    } else {
      errors[i] = UnknownSubstanceText(std::string(py::repr(item)));
    }
  }
}

py::tuple ShapeOf(const py::array& a) { return a.attr("shape"); }

// An input for compute_many: one element for every point, or one per point
// in the broadcast shape.
py::array Spread(const py::array& a, const py::tuple& shape, py::ssize_t count, const py::object& dtype) {
  py::object np = NumPy();
  if (a.size() == 1 && count != 1) return np.attr("ascontiguousarray")(a.attr("reshape")(1), dtype);
  return np.attr("ascontiguousarray")(np.attr("broadcast_to")(a, shape), dtype);
}

std::size_t CodePoints(std::string_view utf8) {
  std::size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0u) != 0x80u ? 1u : 0u;
  return n;
}

// Writes a UTF-8 text as UCS-4, the form of NumPy's str arrays.
void PutUcs4(std::string_view utf8, std::uint32_t* out) {
  std::size_t k = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t extra = lead >= 0xF0u ? 3 : lead >= 0xE0u ? 2 : lead >= 0xC0u ? 1 : 0;
    std::uint32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
    ++i;
    for (; extra > 0 && i < utf8.size(); --extra, ++i) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3Fu);
    }
    out[k++] = code;
  }
}

// A str array of the shape with the given texts at their (flat) points and
// '' elsewhere.
py::array MessageArray(const py::tuple& shape, const std::vector<std::pair<std::size_t, std::string>>& texts) {
  std::size_t width = 1;
  for (const auto& text : texts) width = std::max(width, CodePoints(text.second));
  // Zeroed by the allocator: the pages of a large array with no text are
  // never written.
  py::array messages = NumPy().attr("zeros")(shape, py::dtype("<U" + std::to_string(width)));
  auto* slots = static_cast<std::uint32_t*>(messages.mutable_data());
  for (const auto& [i, text] : texts) PutUcs4(text, slots + i * width);
  return messages;
}

// An array of str objects for texts that many points share: point i has
// table[id], the others ''. Each text is one Python str that its points
// refer to: a fixed-width str array would hold the longest text (a warning
// runs to some hundred characters, 400 bytes) for every point.
py::array SharedTextArray(const py::tuple& shape, const std::vector<std::pair<std::size_t, std::uint32_t>>& points,
                          const std::vector<std::string>& table) {
  py::array texts = NumPy().attr("full")(shape, py::str(""), py::dtype("O"));
  std::vector<py::str> objects;
  objects.reserve(table.size());
  for (const std::string& text : table) objects.emplace_back(text);
  auto** slots = static_cast<PyObject**>(texts.mutable_data());
  for (const auto& [i, id] : points) {
    PyObject* text = objects[id].ptr();
    Py_INCREF(text);
    Py_SETREF(slots[i], text);
  }
  return texts;
}

// The joined warnings of many points, each distinct text once in a table.
//
// check_validity formats its messages anew for every point, which costs far
// more than computing the point. Its warnings depend on the mass fraction
// only through the comparison with the solubility at the substance and
// temperature; the texts themselves do not. So the texts are worked out once
// for each substance and temperature, for a mass fraction at or below the
// solubility and for one above it.
class WarningCache {
 public:
  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

  explicit WarningCache(std::vector<std::string>& table) : table_(table) {}

  std::uint32_t Of(int substance, float massFraction, float temperature) {
    std::uint32_t bitsOfT = 0;
    std::memcpy(&bitsOfT, &temperature, sizeof bitsOfT);
    const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(substance)) << 32) | bitsOfT;
    // The entry of the substance's last temperature first: grids run over
    // the substances faster than over the temperatures.
    const std::size_t slot = substance >= 0 && substance < kSlots ? static_cast<std::size_t>(substance) : 0;
    Entry* entry = last_[slot] != nullptr && lastKey_[slot] == key ? last_[slot] : nullptr;
    if (entry == nullptr) {
      auto [at, fresh] = entries_.try_emplace(key);
      if (fresh) {
        at->second.limit = elprops::solubility(substance, temperature);
        at->second.within = Id(elprops::check_validity(substance, 0.0f, temperature));
      }
      entry = &at->second;
      last_[slot] = entry;
      lastKey_[slot] = key;
    }
    if (entry->limit < 0.0 || !(static_cast<double>(massFraction) > entry->limit)) return entry->within;
    if (!entry->aboveKnown) {
      entry->above = Id(elprops::check_validity(substance, massFraction, temperature));
      entry->aboveKnown = true;
    }
    return entry->above;
  }

 private:
  struct Entry {
    double limit = -1.0;
    std::uint32_t within = kNone;
    std::uint32_t above = kNone;
    bool aboveKnown = false;
  };

  std::uint32_t Id(const std::vector<elprops::warning>& warnings) {
    if (warnings.empty()) return kNone;
    const auto [at, fresh] = ids_.try_emplace(JoinedWarnings(warnings), static_cast<std::uint32_t>(table_.size()));
    if (fresh) table_.push_back(at->first);
    return at->second;
  }

  std::vector<std::string>& table_;
  std::unordered_map<std::string, std::uint32_t> ids_;
  std::unordered_map<std::uint64_t, Entry> entries_;
  static constexpr int kSlots = 20;
  // Stable: the nodes of an unordered_map do not move.
  std::array<Entry*, kSlots> last_{};
  std::array<std::uint64_t, kSlots> lastKey_{};
};

py::object ComputeArrays(py::handle substance, py::handle massFraction, py::handle temperature) {
  py::object np = NumPy();
  std::optional<std::string> allPointsError;
  const py::array substances = SubstanceArray(substance, allPointsError);
  const py::array fractions = NumberArray(massFraction, "mass_fraction");
  const py::array temperatures = NumberArray(temperature, "temperature");
  const py::tuple shape = np.attr("broadcast_shapes")(ShapeOf(substances), ShapeOf(fractions), ShapeOf(temperatures));
  py::ssize_t count = 1;
  for (const py::handle extent : shape) count *= extent.cast<py::ssize_t>();
  const auto n = static_cast<std::size_t>(count);

  std::vector<py::ssize_t> dims;
  for (const py::handle extent : shape) dims.push_back(extent.cast<py::ssize_t>());
  py::array_t<float> columns[5] = {py::array_t<float>(dims), py::array_t<float>(dims), py::array_t<float>(dims),
                                   py::array_t<float>(dims), py::array_t<float>(dims)};
  std::vector<std::pair<std::size_t, std::string>> failures;
  // The joined warnings of the computed points: each distinct text once.
  std::vector<std::pair<std::size_t, std::uint32_t>> warned;
  std::vector<std::string> warningTable;

  if (n > 0) {
    const py::object float32 = np.attr("float32");
    const py::array x = Spread(fractions, shape, count, float32);
    const py::array t = Spread(temperatures, shape, count, float32);
    // Names and numbers beyond an int's range become index 0 with their own
    // message, replacing the library's.
    std::map<std::size_t, std::string> substanceErrors;
    const py::array source = Spread(substances, shape, count, py::none());
    py::array_t<std::int32_t> indices;
    const bool nativeInt32 = py::dtype::of<std::int32_t>().attr("__eq__")(source.dtype()).cast<bool>();
    if (nativeInt32 && !allPointsError) {
      indices = py::reinterpret_borrow<py::array_t<std::int32_t>>(source);  // contiguous: used as it is
    } else {
      indices = py::array_t<std::int32_t>(source.size());
      const std::span<std::int32_t> ids(indices.mutable_data(), static_cast<std::size_t>(indices.size()));
      if (allPointsError) {
        ids[0] = 0;
        substanceErrors[0] = *allPointsError;
      } else if (KindOf(source) == 'u') {
        IntegerIndices<std::uint64_t>(np.attr("ascontiguousarray")(source, np.attr("uint64")), ids, substanceErrors);
      } else if (KindOf(source) == 'i') {
        IntegerIndices<std::int64_t>(np.attr("ascontiguousarray")(source, np.attr("int64")), ids, substanceErrors);
      } else {
        ObjectIndices(source, ids, substanceErrors);
      }
    }

    const std::span<const int> s(indices.data(), static_cast<std::size_t>(indices.size()));
    const std::span<const float> xs(static_cast<const float*>(x.data()), static_cast<std::size_t>(x.size()));
    const std::span<const float> ts(static_cast<const float*>(t.data()), static_cast<std::size_t>(t.size()));
    const elprops::property_columns out{{columns[0].mutable_data(), n},
                                        {columns[1].mutable_data(), n},
                                        {columns[2].mutable_data(), n},
                                        {columns[3].mutable_data(), n},
                                        {columns[4].mutable_data(), n}};
    {
      py::gil_scoped_release unlocked;
      std::vector<elprops::error_kind> errors(n);
      const std::size_t failed = elprops::compute_many(s, xs, ts, out, errors);
      // The messages of the failed points only: the one-point path says why.
      failures.reserve(failed);
      const auto at = [](auto values, std::size_t i) { return values.size() == 1 ? values[0] : values[i]; };
      for (std::size_t i = 0; i < n && failures.size() < failed; ++i) {
        if (errors[i] == elprops::error_kind::none) continue;
        const std::size_t given = s.size() == 1 ? 0 : i;
        if (const auto own = substanceErrors.find(given); own != substanceErrors.end()) {
          failures.emplace_back(i, own->second);
        } else {
          failures.emplace_back(i, elprops::compute(at(s, i), at(xs, i), at(ts, i)).error().message);
        }
      }
      WarningCache cache(warningTable);
      for (std::size_t i = 0; i < n; ++i) {
        if (errors[i] != elprops::error_kind::none) continue;
        const std::uint32_t id = cache.Of(at(s, i), at(xs, i), at(ts, i));
        if (id != WarningCache::kNone) warned.emplace_back(i, id);
      }
    }
  }

  const py::array messages = MessageArray(shape, failures);
  const py::array warningTexts = SharedTextArray(shape, warned, warningTable);
  return py::reinterpret_borrow<py::object>(Types().propertyArrays)(columns[0], columns[1], columns[2], columns[3],
                                                                    columns[4], messages, warningTexts);
}

py::object Compute(py::handle substance, py::handle massFraction, py::handle temperature) {
  if (IsSingleValue(substance) && IsSingleValue(massFraction) && IsSingleValue(temperature)) {
    return ComputeOne(substance, massFraction, temperature);
  }
  return ComputeArrays(substance, massFraction, temperature);
}

// --- Units and the inverse question ------------------------------------------

class OutOfReach : public InadmissibleInput {
  using InadmissibleInput::InadmissibleInput;
};

// One substance for every point: an unknown name or index raises.
int OneSubstance(py::handle obj) {
  if (!IsSingleValue(obj)) throw py::type_error("substance must be one name, index or Substance, not an array");
  const SingleSubstance s = ScalarSubstance(obj);
  if (s.error) throw InadmissibleInput(*s.error);
  if (!elprops::find_substance(std::to_string(s.index)))
    throw InadmissibleInput(UnknownIndexText(std::to_string(s.index)));
  return s.index;
}

std::string TextArgument(py::handle obj, const char* what) {
  if (!PyUnicode_Check(obj.ptr())) throw py::type_error(std::string(what) + " must be a str, not " + TypeName(obj));
  return py::str(obj);
}

elprops::concentration_unit UnitArgument(py::handle obj) {
  const std::string text = TextArgument(obj, "unit");
  const auto unit = elprops::parse_concentration_unit(text);
  if (!unit) {
    throw py::value_error("unknown unit \"" + text + "\": give fraction, percent, molality, molarity or g/L");
  }
  return *unit;
}

elprops::property_kind PropertyArgument(py::handle obj) {
  const std::string text = TextArgument(obj, "property");
  const auto property = elprops::parse_property(text);
  if (!property) {
    throw py::value_error("unknown property \"" + text +
                          "\": give density, viscosity, surface_tension, heat_capacity or thermal_conductivity");
  }
  return *property;
}

// A mass fraction of a salt at a temperature in the unit; NaN when the
// unit needs the density and the point cannot be computed.
double InUnit(int substance, elprops::concentration_unit unit, float w, float t) {
  switch (unit) {
    case elprops::concentration_unit::mass_fraction:
      return static_cast<double>(w);
    case elprops::concentration_unit::mass_percent:
      return static_cast<double>(w) * 100.0;
    case elprops::concentration_unit::molality:
      return elprops::molality(substance, w);
    case elprops::concentration_unit::molarity:
    case elprops::concentration_unit::mass_concentration: {
      const elprops::result r = elprops::compute(substance, w, t);
      if (!r) return std::numeric_limits<double>::quiet_NaN();
      const double molar = elprops::molarity(substance, w, r->density);
      return unit == elprops::concentration_unit::molarity ? molar : molar * elprops::standard_molar_mass(substance);
    }
  }
  return std::numeric_limits<double>::quiet_NaN();
}

const char* SideName(elprops::concentration_root::side side) {
  switch (side) {
    case elprops::concentration_root::side::exact:
      return "exact";
    case elprops::concentration_root::side::lower:
      return "lower";
    case elprops::concentration_root::side::upper:
      return "upper";
  }
  return "";
}

// Arguments broadcast together, each contiguous in its dtype: n elements,
// or one for every point.
struct Broadcast {
  py::tuple shape;
  std::vector<py::ssize_t> dims;
  std::size_t count = 0;
  std::vector<py::array> arrays;
};

Broadcast BroadcastArguments(const std::vector<std::pair<py::array, py::object>>& inputs) {
  py::object np = NumPy();
  py::list shapes;
  for (const auto& input : inputs) shapes.append(ShapeOf(input.first));
  Broadcast b;
  b.shape = np.attr("broadcast_shapes")(*shapes);
  py::ssize_t count = 1;
  for (const py::handle extent : b.shape) {
    b.dims.push_back(extent.cast<py::ssize_t>());
    count *= b.dims.back();
  }
  b.count = static_cast<std::size_t>(count);
  for (const auto& [a, dtype] : inputs) b.arrays.push_back(Spread(a, b.shape, count, dtype));
  return b;
}

template <typename T>
std::span<const T> Elements(const py::array& a) {
  return {static_cast<const T*>(a.data()), static_cast<std::size_t>(a.size())};
}

template <typename T>
T At(std::span<const T> values, std::size_t i) {
  return values.size() == 1 ? values[0] : values[i];
}

double ScalarDouble(py::handle obj, const char* what) {
  if (IsText(obj) || IsBool(obj)) {
    throw py::type_error(std::string(what) + " must be a number or an array of numbers, not " + TypeName(obj));
  }
  const double value = PyFloat_AsDouble(obj.ptr());
  if (value == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  return value;
}

py::object Solve(py::handle substance, py::handle temperature, py::handle property, py::handle value,
                 py::handle unitName) {
  const int s = OneSubstance(substance);
  const elprops::property_kind kind = PropertyArgument(property);
  const elprops::concentration_unit unit = UnitArgument(unitName);
  if (IsSingleValue(temperature) && IsSingleValue(value)) {
    const float t = ScalarNumber(temperature, "temperature");
    const double target = ScalarDouble(value, "value");
    const elprops::concentration_solution solution = elprops::solve_concentration(s, t, kind, target);
    if (solution.roots.empty()) {
      const bool reached = solution.reachable_min != 0.0 || solution.reachable_max != 0.0;
      if (reached) throw OutOfReach(solution.error);
      throw InadmissibleInput(solution.error);
    }
    py::list answers;
    for (const elprops::concentration_root& root : solution.roots) {
      answers.append(py::reinterpret_borrow<py::object>(Types().answer)(
          Single(root.mass_fraction), InUnit(s, unit, root.mass_fraction, t), root.achieved, Single(root.below),
          Single(root.above), SideName(root.chosen)));
    }
    return answers;
  }

  py::object np = NumPy();
  const Broadcast b = BroadcastArguments({{NumberArray(value, "value"), np.attr("float64")},
                                          {NumberArray(temperature, "temperature"), np.attr("float32")}});
  py::array_t<float> fractions(b.dims);
  py::array_t<double> concentrations(b.dims);
  py::array_t<std::int32_t> counts(b.dims);
  std::vector<std::pair<std::size_t, std::string>> failures;
  if (b.count > 0) {
    const auto values = Elements<double>(b.arrays[0]);
    const auto temperatures = Elements<float>(b.arrays[1]);
    float* w = fractions.mutable_data();
    double* c = concentrations.mutable_data();
    std::int32_t* n = counts.mutable_data();
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < b.count; ++i) {
      const float t = At(temperatures, i);
      const elprops::concentration_solution solution = elprops::solve_concentration(s, t, kind, At(values, i));
      n[i] = static_cast<std::int32_t>(solution.roots.size());
      if (solution.roots.empty()) {
        w[i] = std::numeric_limits<float>::quiet_NaN();
        c[i] = std::numeric_limits<double>::quiet_NaN();
        failures.emplace_back(i, solution.error);
      } else {
        w[i] = solution.roots.front().mass_fraction;
        c[i] = InUnit(s, unit, w[i], t);
      }
    }
  }
  return py::reinterpret_borrow<py::object>(Types().solutions)(fractions, concentrations, counts,
                                                               MessageArray(b.shape, failures));
}

py::object ToMassFraction(py::handle substance, py::handle value, py::handle unitName, py::handle temperature) {
  const int s = OneSubstance(substance);
  const elprops::concentration_unit unit = UnitArgument(unitName);
  const bool needsDensity =
      unit == elprops::concentration_unit::molarity || unit == elprops::concentration_unit::mass_concentration;
  if (temperature.is_none() && needsDensity) {
    throw py::type_error("a molarity or a concentration in g/L needs the temperature: it depends on the density");
  }
  // Mass percent and molality do not depend on the temperature.
  const py::object t =
      temperature.is_none() ? py::object(py::float_(20.0)) : py::reinterpret_borrow<py::object>(temperature);
  if (IsSingleValue(value) && IsSingleValue(t)) {
    const elprops::conversion c =
        elprops::to_mass_fraction(s, unit, ScalarDouble(value, "value"), ScalarNumber(t, "temperature"));
    if (!c.ok) {
      if (c.error.find(" is out of reach ") != std::string::npos) throw OutOfReach(c.error);
      throw InadmissibleInput(c.error);
    }
    return Single(c.mass_fraction);
  }
  py::object np = NumPy();
  const Broadcast b = BroadcastArguments(
      {{NumberArray(value, "value"), np.attr("float64")}, {NumberArray(t, "temperature"), np.attr("float32")}});
  py::array_t<float> fractions(b.dims);
  py::array_t<double> achieved(b.dims);
  std::vector<std::pair<std::size_t, std::string>> failures;
  if (b.count > 0) {
    const auto values = Elements<double>(b.arrays[0]);
    const auto temperatures = Elements<float>(b.arrays[1]);
    float* w = fractions.mutable_data();
    double* a = achieved.mutable_data();
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < b.count; ++i) {
      const elprops::conversion c = elprops::to_mass_fraction(s, unit, At(values, i), At(temperatures, i));
      if (c.ok) {
        w[i] = c.mass_fraction;
        a[i] = c.achieved;
      } else {
        w[i] = std::numeric_limits<float>::quiet_NaN();
        a[i] = std::numeric_limits<double>::quiet_NaN();
        failures.emplace_back(i, c.error);
      }
    }
  }
  return py::reinterpret_borrow<py::object>(Types().conversions)(fractions, achieved, MessageArray(b.shape, failures));
}

// molality() and molarity(): a float for single values, a float64 array of
// the broadcast shape for arrays.
py::object Molality(py::handle substance, py::handle massFraction) {
  const int s = OneSubstance(substance);
  if (IsSingleValue(massFraction)) return py::float_(elprops::molality(s, ScalarNumber(massFraction, "mass_fraction")));
  const Broadcast b = BroadcastArguments({{NumberArray(massFraction, "mass_fraction"), NumPy().attr("float32")}});
  py::array_t<double> out(b.dims);
  const auto w = Elements<float>(b.arrays[0]);
  double* m = out.mutable_data();
  for (std::size_t i = 0; i < b.count; ++i) m[i] = elprops::molality(s, At(w, i));
  return out;
}

py::object Molarity(py::handle substance, py::handle massFraction, py::handle density) {
  const int s = OneSubstance(substance);
  if (IsSingleValue(massFraction) && IsSingleValue(density)) {
    return py::float_(
        elprops::molarity(s, ScalarNumber(massFraction, "mass_fraction"), ScalarNumber(density, "density")));
  }
  py::object np = NumPy();
  const Broadcast b = BroadcastArguments({{NumberArray(massFraction, "mass_fraction"), np.attr("float32")},
                                          {NumberArray(density, "density"), np.attr("float32")}});
  py::array_t<double> out(b.dims);
  const auto w = Elements<float>(b.arrays[0]);
  const auto rho = Elements<float>(b.arrays[1]);
  double* c = out.mutable_data();
  for (std::size_t i = 0; i < b.count; ++i) c[i] = elprops::molarity(s, At(w, i), At(rho, i));
  return out;
}

// --- Substances and the rest -------------------------------------------------

py::list Substances() {
  py::list list;
  for (const elprops::substance_info& s : elprops::substances()) list.append(MakeSubstance(s));
  return list;
}

py::object FindSubstance(py::handle nameOrIndex) {
  std::optional<elprops::substance_info> found;
  if (PyUnicode_Check(nameOrIndex.ptr())) {
    found = FindByName(nameOrIndex);
  } else if (IsInstance(nameOrIndex, Types().substance)) {
    found = elprops::find_substance(std::to_string(nameOrIndex.attr("index").cast<int>()));
  } else if (IsInteger(nameOrIndex)) {
    const SingleSubstance s = ScalarSubstance(nameOrIndex);
    if (!s.error) found = elprops::find_substance(std::to_string(s.index));
  } else {
    throw py::type_error("name_or_index must be a name (str) or an index (int), not " + TypeName(nameOrIndex));
  }
  if (!found) return py::none();
  return MakeSubstance(*found);
}

py::object Saturation(py::handle temperature) {
  if (IsSingleValue(temperature)) {
    return Single(elprops::calcium_chloride_saturation(ScalarNumber(temperature, "temperature")));
  }
  py::object np = NumPy();
  const py::array t = np.attr("ascontiguousarray")(NumberArray(temperature, "temperature"), np.attr("float32"));
  std::vector<py::ssize_t> dims(t.shape(), t.shape() + t.ndim());
  py::array_t<float> out(dims);
  const auto* in = static_cast<const float*>(t.data());
  float* values = out.mutable_data();
  for (py::ssize_t i = 0; i < t.size(); ++i) values[i] = elprops::calcium_chloride_saturation(in[i]);
  return out;
}

}  // namespace

// The module's functions as Python functions of their own, so that help()
// shows each with its signature; each hands its arguments to the compiled
// function of the same name with a leading underscore.
constexpr const char* kFunctions = R"(
def compute(substance, mass_fraction, temperature):
    return _compute(substance, mass_fraction, temperature)

def compute_many(substance, mass_fraction, temperature):
    return _compute_many(substance, mass_fraction, temperature)

def substances():
    return _substances()

def find_substance(name_or_index):
    return _find_substance(name_or_index)

def calcium_chloride_saturation(temperature):
    return _calcium_chloride_saturation(temperature)

def version():
    return _version()

def solve(substance, temperature, property, value, unit="fraction"):
    return _solve(substance, temperature, property, value, unit)

def to_mass_fraction(substance, value, unit, temperature=None):
    return _to_mass_fraction(substance, value, unit, temperature)

def molality(substance, mass_fraction):
    return _molality(substance, mass_fraction)

def molarity(substance, mass_fraction, density):
    return _molarity(substance, mass_fraction, density)

def standard_molar_mass(substance):
    return _standard_molar_mass(substance)
)";

PYBIND11_MODULE(elprops, m) {
  m.doc() = kModuleDoc;
  ModuleTypes& types = Types();
  const py::module_ np = py::module_::import("numpy");
  types.numpyGeneric = py::object(np.attr("generic")).release().ptr();
  types.numpyInteger = py::object(np.attr("integer")).release().ptr();
  types.numpyBool = py::object(np.attr("bool_")).release().ptr();
  types.single = MakeSingleType();
  m.attr("Single") = py::reinterpret_borrow<py::object>(types.single);
  types.properties = MakeRecordType(m, "Properties",
                                    {{"density", "density, kg/m3"},
                                     {"viscosity", "dynamic viscosity, Pa*s"},
                                     {"surface_tension", "surface tension, N/m"},
                                     {"heat_capacity", "specific heat capacity, J/(kg*K)"},
                                     {"thermal_conductivity", "thermal conductivity, W/(m*K)"}},
                                    kPropertiesDoc);
  types.properties = WithWarnings(m, types.properties);
  types.pointWarning = MakeRecordType(
      m, "PointWarning",
      {{"kind", "'above_solubility', 'ill_defined', 'no_solubility_data' or 'above_boiling'"},
       {"message", "the text elprops-cli prints"},
       {"note", "True for a note (ill_defined, no_solubility_data): worth knowing, no fault of the point"}},
      kPointWarningDoc);
  types.propertyArrays =
      MakeRecordType(m, "PropertyArrays",
                     {{"density", "float32 array: density, kg/m3"},
                      {"viscosity", "float32 array: dynamic viscosity, Pa*s"},
                      {"surface_tension", "float32 array: surface tension, N/m"},
                      {"heat_capacity", "float32 array: specific heat capacity, J/(kg*K)"},
                      {"thermal_conductivity", "float32 array: thermal conductivity, W/(m*K)"},
                      {"error", "str array: why a point failed, '' where it was computed"},
                      {"warning", "array of str (dtype object): a computed point's warnings, '' where none"}},
                     kPropertyArraysDoc);
  types.substance = MakeRecordType(m, "Substance",
                                   {{"index", "1 to 19, the position in the window's list (19 is water)"},
                                    {"formula", "chemical formula, e.g. 'NaCl'"},
                                    {"english_name", "English name, e.g. 'sodium chloride'"},
                                    {"russian_name", "Russian name as the window's list shows it"},
                                    {"molar_mass", "molar mass, g/mol"},
                                    {"temperature_limit", "highest temperature (excluded), degrees Celsius"}},
                                   kSubstanceDoc);

  types.answer = MakeRecordType(m, "Answer",
                                {{"mass_fraction", "kg/kg, the single whose property is nearest to the value"},
                                 {"concentration", "the mass fraction in the unit asked for"},
                                 {"achieved", "the property computed at mass_fraction"},
                                 {"below", "the neighbouring single below the value's crossing"},
                                 {"above", "the neighbouring single above it"},
                                 {"chosen", "'exact', 'lower' (below was taken) or 'upper' (above was)"}},
                                kAnswerDoc);
  types.solutions = MakeRecordType(m, "Solutions",
                                   {{"mass_fraction", "float32 array: the lowest answer, NaN where none"},
                                    {"concentration", "float64 array: it in the unit asked for, NaN where none"},
                                    {"count", "int32 array: the number of answers, 0 where none"},
                                    {"error", "str array: why there is no answer, '' where there is one"}},
                                   kSolutionsDoc);
  types.conversions = MakeRecordType(m, "Conversions",
                                     {{"mass_fraction", "float32 array: kg/kg, NaN where the conversion failed"},
                                      {"achieved", "float64 array: the concentration computed back from it"},
                                      {"error", "str array: why a conversion failed, '' where it did not"}},
                                     kConversionsDoc);

  static py::exception<InadmissibleInput> inadmissible(m, "InadmissibleError", PyExc_ValueError);
  static py::exception<ArithmeticFailure> arithmetic(m, "ArithmeticFault", PyExc_ValueError);
  static py::exception<OutOfReach> outOfReach(m, "OutOfReachError", inadmissible.ptr());
  inadmissible.attr("__doc__") = kInadmissibleDoc;
  arithmetic.attr("__doc__") = kArithmeticDoc;
  outOfReach.attr("__doc__") = kOutOfReachDoc;
  py::register_exception_translator([](std::exception_ptr raised) {
    try {
      if (raised) std::rethrow_exception(raised);
    } catch (const OutOfReach& e) {
      PyErr_SetString(outOfReach.ptr(), e.what());
    } catch (const InadmissibleInput& e) {
      PyErr_SetString(inadmissible.ptr(), e.what());
    } catch (const ArithmeticFailure& e) {
      PyErr_SetString(arithmetic.ptr(), e.what());
    }
  });

  m.def("_compute", &Compute, "The compiled part of compute().");
  m.def("_compute_many", &ComputeArrays, "The compiled part of compute_many().");
  m.def("_substances", &Substances, "The compiled part of substances().");
  m.def("_find_substance", &FindSubstance, "The compiled part of find_substance().");
  m.def("_solve", &Solve, "The compiled part of solve().");
  m.def("_to_mass_fraction", &ToMassFraction, "The compiled part of to_mass_fraction().");
  m.def("_molality", &Molality, "The compiled part of molality().");
  m.def("_molarity", &Molarity, "The compiled part of molarity().");
  m.def(
      "_standard_molar_mass",
      [](py::handle substance) { return elprops::standard_molar_mass(OneSubstance(substance)); },
      "The compiled part of standard_molar_mass().");
  m.def("_calcium_chloride_saturation", &Saturation, "The compiled part of calcium_chloride_saturation().");
  m.def(
      "_version", [] { return std::string(elprops::version()); }, "The compiled part of version().");
  const py::module_ builtins = py::module_::import("builtins");
  builtins.attr("exec")(builtins.attr("compile")(kFunctions, "<elprops>", "exec"), m.attr("__dict__"));
  const std::pair<const char*, const char*> docs[] = {
      {"compute", kComputeDoc},
      {"compute_many", kComputeManyDoc},
      {"substances", kSubstancesDoc},
      {"find_substance", kFindSubstanceDoc},
      {"calcium_chloride_saturation", kSaturationDoc},
      {"version", kVersionDoc},
      {"solve", kSolveDoc},
      {"to_mass_fraction", kToMassFractionDoc},
      {"molality", kMolalityDoc},
      {"molarity", kMolarityDoc},
      {"standard_molar_mass", kStandardMolarMassDoc},
  };
  for (const auto& [name, doc] : docs) m.attr(name).attr("__doc__") = doc;

  m.attr("__version__") = std::string(elprops::version());
  m.attr("__all__") =
      py::make_tuple("compute", "compute_many", "solve", "to_mass_fraction", "molality", "molarity",
                     "standard_molar_mass", "substances", "find_substance", "calcium_chloride_saturation", "version",
                     "Properties", "PropertyArrays", "PointWarning", "Answer", "Solutions", "Conversions", "Substance",
                     "Single", "InadmissibleError", "OutOfReachError", "ArithmeticFault");
}
