#include "python/arrays.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace elprops::python {

namespace {

// NumPy's warning of an overflow held off while arrays are cast: a value
// too large for a single is an infinity, which its point refuses with its
// message, as a single value is.
class QuietOverflow {
 public:
  QuietOverflow() : state_(NumPy().attr("errstate")(py::arg("over") = "ignore")) { state_.attr("__enter__")(); }
  QuietOverflow(const QuietOverflow&) = delete;
  QuietOverflow& operator=(const QuietOverflow&) = delete;
  ~QuietOverflow() {
    try {
      state_.attr("__exit__")(py::none(), py::none(), py::none());
    } catch (const py::error_already_set&) {  // nothing to undo that could fail
    }
  }

 private:
  py::object state_;
};

// Whether casting `a` to the dtype may overflow: a float to a narrower
// float (an integer never exceeds a single).
bool MayOverflow(const py::array& a, const py::object& dtype) {
  return !dtype.is_none() && KindOf(a) == 'f' && a.dtype().itemsize() > py::dtype::from_args(dtype).itemsize();
}

// NumPy's masked-array type, owned for the life of the process (see
// PackageTypes).
PyObject* MaskedArrayType() {
  static PyObject* const type = py::object(NumPy().attr("ma").attr("MaskedArray")).release().ptr();
  return type;
}

}  // namespace

py::module_ NumPy() { return py::module_::import("numpy"); }

py::array AsArray(py::handle obj) { return py::reinterpret_steal<py::array>(NumPy().attr("asarray")(obj).release()); }

py::array Contiguous(const py::array& a, const py::object& dtype) {
  if (!MayOverflow(a, dtype)) return NumPy().attr("ascontiguousarray")(a, dtype);
  const QuietOverflow quiet;
  return NumPy().attr("ascontiguousarray")(a, dtype);
}

py::array Spread(const py::array& a, const py::tuple& shape, py::ssize_t count, const py::object& dtype) {
  py::object np = NumPy();
  std::optional<QuietOverflow> quiet;
  if (MayOverflow(a, dtype)) quiet.emplace();
  if (a.size() == 1 && count != 1) return np.attr("ascontiguousarray")(a.attr("reshape")(1), dtype);
  return np.attr("ascontiguousarray")(np.attr("broadcast_to")(a, shape), dtype);
}

Broadcast BroadcastArguments(const std::vector<std::pair<py::array, py::object>>& inputs,
                             const std::vector<py::object>& masks) {
  py::list shapes;
  for (const auto& input : inputs) shapes.append(ShapeOf(input.first));
  Broadcast b;
  b.shape = NumPy().attr("broadcast_shapes")(*shapes);
  py::ssize_t count = 1;
  for (const py::handle extent : b.shape) {
    b.dims.push_back(extent.cast<py::ssize_t>());
    count *= b.dims.back();
  }
  b.count = static_cast<std::size_t>(count);
  for (const auto& [a, dtype] : inputs) b.arrays.push_back(Spread(a, b.shape, count, dtype));
  b.masked = MaskedPoints(b.shape, masks);
  return b;
}

py::object MaskOf(py::handle obj) {
  const int masked = PyObject_IsInstance(obj.ptr(), MaskedArrayType());
  if (masked < 0) throw py::error_already_set();
  if (masked == 0) return py::none();
  py::object mask = NumPy().attr("ma").attr("getmaskarray")(obj);
  return mask.attr("any")().cast<bool>() ? mask : py::none();
}

std::vector<std::size_t> MaskedPoints(const py::tuple& shape, const std::vector<py::object>& masks) {
  std::vector<std::size_t> masked;
  py::object all = py::none();
  for (const py::object& mask : masks) {
    if (mask.is_none()) continue;
    all = all.is_none() ? NumPy().attr("broadcast_to")(mask, shape) : all | mask;
  }
  if (all.is_none()) return masked;
  const py::array_t<std::int64_t> points = NumPy().attr("flatnonzero")(all);
  masked.assign(points.data(), points.data() + points.size());
  return masked;
}

py::array SharedTextArray(const py::tuple& shape, const std::vector<std::pair<std::size_t, std::uint32_t>>& points,
                          const std::vector<std::string>& table) {
  std::vector<py::ssize_t> dims;
  for (const py::handle extent : shape) dims.push_back(extent.cast<py::ssize_t>());
  // A new object array: every slot is written here once, in order, which
  // costs less than NumPy filling it first.
  py::array texts(py::dtype("O"), dims);
  std::vector<py::str> objects;
  objects.reserve(table.size());
  for (const std::string& text : table) objects.emplace_back(text);
  const py::str empty("");
  auto** slots = static_cast<PyObject**>(texts.mutable_data());
  auto next = points.begin();
  for (py::ssize_t i = 0; i < texts.size(); ++i) {
    PyObject* text = empty.ptr();
    if (next != points.end() && next->first == static_cast<std::size_t>(i)) text = objects[(next++)->second].ptr();
    Py_INCREF(text);
    Py_XSETREF(slots[i], text);
  }
  return texts;
}

}  // namespace elprops::python
