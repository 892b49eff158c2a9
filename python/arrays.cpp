#include "python/arrays.h"

#include <algorithm>
#include <string_view>

namespace elprops::python {

namespace {

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

}  // namespace

py::module_ NumPy() { return py::module_::import("numpy"); }

py::array AsArray(py::handle obj) { return py::reinterpret_steal<py::array>(NumPy().attr("asarray")(obj).release()); }

py::array Spread(const py::array& a, const py::tuple& shape, py::ssize_t count, const py::object& dtype) {
  py::object np = NumPy();
  if (a.size() == 1 && count != 1) return np.attr("ascontiguousarray")(a.attr("reshape")(1), dtype);
  return np.attr("ascontiguousarray")(np.attr("broadcast_to")(a, shape), dtype);
}

Broadcast BroadcastArguments(const std::vector<std::pair<py::array, py::object>>& inputs) {
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
  return b;
}

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
