// NumPy arrays for the calls on many points: broadcasting the arguments,
// their elements, and the arrays of messages the results carry.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "python/warning_texts.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace elprops::python {

namespace py = pybind11;

py::module_ NumPy();

// An argument as a NumPy array (a single value as a 0-d array).
py::array AsArray(py::handle obj);

inline char KindOf(const py::array& a) { return a.dtype().kind(); }

inline py::tuple ShapeOf(const py::array& a) { return a.attr("shape"); }

// The elements of a contiguous array; At() takes element i, or the only one
// of an input that is the same for every point.
template <typename T>
std::span<const T> Elements(const py::array& a) {
  return {static_cast<const T*>(a.data()), static_cast<std::size_t>(a.size())};
}

template <typename T>
T At(std::span<const T> values, std::size_t i) {
  return values.size() == 1 ? values[0] : values[i];
}

// The elements of an input for points begin to begin + count: the input
// itself when it is one element for every point.
template <typename T>
std::span<const T> Part(std::span<const T> values, std::size_t begin, std::size_t count) {
  return values.size() == 1 ? values : values.subspan(begin, count);
}

// An input for many points, contiguous in the dtype (None: its own): one
// element for every point, or one per point in the broadcast shape. A
// value too large for the dtype becomes an infinity without NumPy's
// warning: its point is refused with its message.
py::array Spread(const py::array& a, const py::tuple& shape, py::ssize_t count, const py::object& dtype);

// Arguments broadcast together, each spread in its dtype; `masked` lists
// the points that the masks of the arguments as given hide.
struct Broadcast {
  py::tuple shape;
  std::vector<py::ssize_t> dims;
  std::size_t count = 0;
  std::vector<py::array> arrays;
  std::vector<std::size_t> masked;
};

Broadcast BroadcastArguments(const std::vector<std::pair<py::array, py::object>>& inputs,
                             const std::vector<py::object>& masks = {});

// `a` as a contiguous array of the dtype, a value too large for it an
// infinity without NumPy's warning.
py::array Contiguous(const py::array& a, const py::object& dtype);

// The message of a point that a masked array's mask hides: it is not
// computed.
inline constexpr std::string_view kMaskedMessage = "masked";

// The mask of a NumPy masked array that hides any point, as a bool array;
// None for any other argument.
py::object MaskOf(py::handle obj);

// The flat indices, ascending, of the points of the shape that any of the
// masks (None: hides nothing) hides, each broadcast to the shape.
std::vector<std::size_t> MaskedPoints(const py::tuple& shape, const std::vector<py::object>& masks);

// An array of str objects for texts that many points share: point i has
// table[id], the others ''. Each text is one Python str that its points
// refer to: a fixed-width str array would hold the longest text (a warning
// runs to some hundred characters, 400 bytes) for every point.
py::array SharedTextArray(const py::tuple& shape, const std::vector<std::pair<std::size_t, std::uint32_t>>& points,
                          const std::vector<std::string>& table);

inline py::array SharedTextArray(const py::tuple& shape, const SharedTexts& texts) {
  return SharedTextArray(shape, texts.points, texts.table);
}

}  // namespace elprops::python
