#include "python/compute_calls.h"

#include "python/arguments.h"
#include "python/arrays.h"
#include "python/memory_pool.h"
#include "python/records.h"
#include "python/warning_cache.h"

#include <elprops/elprops.hpp>

#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace elprops::python {

namespace {

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
    out[i] = Record(Types().pointWarning, KindName(w.kind), w.message, w.is_note());
  }
  return out;
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
  py::object values = Record(Types().properties, Single(r->density), Single(r->viscosity), Single(r->surface_tension),
                             Single(r->heat_capacity), Single(r->thermal_conductivity));
  values.attr("warnings") = Warnings(r.warnings());
  return values;
}

// --- The warnings of an array call -------------------------------------------

// The points of an array call as the call itself keeps them for its
// warnings: the substance index as int8 (0 for any index outside 1 to 127:
// such a point failed), the float32 mass fraction and temperature, each one
// element when it is the same for every point, and which points failed.
// Arrays the call made itself are kept as they are; what may be the
// caller's is copied into `copies`.
struct KeptPoints {
  Buffer copies;
  py::object ownFractions;
  py::object ownTemperatures;
  std::span<const std::int8_t> substances;
  std::span<const float> fractions;
  std::span<const float> temperatures;
  std::vector<std::size_t> failed;  // ascending
};

// The warnings of an array call, worked out when they are first read.
//
// Most callers never look at the warnings, and working them out costs about
// a third as much as computing the points. So the call keeps its points and
// the result's `warning` turns them into the text array on first access,
// once: later reads give the same array. The points are the call's own, so
// changing the caller's arrays afterwards changes no warning.
class PendingWarnings {
 public:
  PendingWarnings(py::tuple shape, std::size_t count, KeptPoints points)
      : shape_(std::move(shape)), count_(count), points_(std::make_shared<KeptPoints>(std::move(points))) {}

  py::object Texts() {
    if (texts_) return texts_;
    // Held by this call until it returns with the lock: another thread may
    // finish first and let go of the points meanwhile.
    const std::shared_ptr<KeptPoints> points = points_;
    SharedTexts warned;
    {
      py::gil_scoped_release unlocked;
      warned = WarningsOfPoints(points->substances, points->fractions, points->temperatures, count_, points->failed);
    }
    py::object texts = SharedTextArray(shape_, warned.points, warned.table);
    // The first array made is the one every read gives.
    if (!texts_) {
      texts_ = std::move(texts);
      points_.reset();
    }
    return texts_;
  }

  std::string Repr() const {
    return "<warnings of " + std::to_string(count_) + " points" +
           (texts_ ? ", worked out>" : ", worked out when first read>");
  }

 private:
  py::tuple shape_;
  std::size_t count_ = 0;
  std::shared_ptr<KeptPoints> points_;
  py::object texts_;
};

// --- Arrays of points --------------------------------------------------------

// The inputs of an array call, broadcast: the substance indices (0 with a
// message of their own where no substance is named) and the float32 mass
// fractions and temperatures, each one element or one per point.
struct ArrayInputs {
  py::tuple shape;
  std::vector<py::ssize_t> dims;
  std::size_t count = 0;
  py::array_t<std::int32_t> substances;
  std::map<std::size_t, std::string> substanceErrors;
  py::array fractions;
  py::array temperatures;
};

py::array_t<std::int32_t> SubstanceIndexArray(const py::array& source, const std::optional<std::string>& allPointsError,
                                              std::map<std::size_t, std::string>& errors) {
  const bool nativeInt32 = py::dtype::of<std::int32_t>().attr("__eq__")(source.dtype()).cast<bool>();
  if (nativeInt32 && !allPointsError) return py::reinterpret_borrow<py::array_t<std::int32_t>>(source);
  py::array_t<std::int32_t> indices(source.size());
  const std::span<std::int32_t> ids(indices.mutable_data(), static_cast<std::size_t>(indices.size()));
  if (allPointsError) {
    ids[0] = 0;
    errors[0] = *allPointsError;
  } else {
    SubstanceIndices(source, ids, errors);
  }
  return indices;
}

ArrayInputs BroadcastInputs(py::handle substance, py::handle massFraction, py::handle temperature) {
  std::optional<std::string> allPointsError;
  const py::array substances = SubstanceArray(substance, allPointsError);
  const py::array fractions = NumberArray(massFraction, "mass_fraction");
  const py::array temperatures = NumberArray(temperature, "temperature");
  ArrayInputs in;
  in.shape = NumPy().attr("broadcast_shapes")(ShapeOf(substances), ShapeOf(fractions), ShapeOf(temperatures));
  py::ssize_t count = 1;
  for (const py::handle extent : in.shape) {
    in.dims.push_back(extent.cast<py::ssize_t>());
    count *= in.dims.back();
  }
  in.count = static_cast<std::size_t>(count);
  if (in.count == 0) return in;
  const py::object float32 = NumPy().attr("float32");
  in.fractions = Spread(fractions, in.shape, count, float32);
  in.temperatures = Spread(temperatures, in.shape, count, float32);
  // Names and numbers beyond an int's range become index 0 with their own
  // message, replacing the library's.
  in.substances =
      SubstanceIndexArray(Spread(substances, in.shape, count, py::none()), allPointsError, in.substanceErrors);
  return in;
}

// Whether an array of the call's inputs is one the call made: not the
// caller's argument, nor a view of it.
bool MadeByCall(const py::array& a, py::handle given) { return a.ptr() != given.ptr() && a.owndata(); }

// The call's own copy of its points, the one the properties are computed
// from and the warnings worked out from. The copying itself is left to
// ComputeKept, which runs without the interpreter: the plan holds what to
// copy, nothing where the call made the array and keeps it as it is.
struct CopyPlan {
  std::span<const float> fractionsFrom;
  std::span<const float> temperaturesFrom;
};

CopyPlan KeepPoints(const ArrayInputs& in, py::handle massFraction, py::handle temperature, KeptPoints& kept) {
  const auto s = Elements<std::int32_t>(in.substances);
  const bool copyX = !MadeByCall(in.fractions, massFraction);
  const bool copyT = !MadeByCall(in.temperatures, temperature);
  const auto x = Elements<float>(in.fractions);
  const auto t = Elements<float>(in.temperatures);
  const std::size_t floatsAt = (s.size() + alignof(float) - 1) / alignof(float) * alignof(float);
  kept.copies = Buffer(floatsAt + ((copyX ? x.size() : 0) + (copyT ? t.size() : 0)) * sizeof(float));
  auto* copies = reinterpret_cast<float*>(kept.copies.data() + floatsAt);
  kept.substances = {reinterpret_cast<std::int8_t*>(kept.copies.data()), s.size()};
  CopyPlan plan;
  if (copyX) {
    kept.fractions = {copies, x.size()};
    plan.fractionsFrom = x;
    copies += x.size();
  } else {
    kept.ownFractions = in.fractions;
    kept.fractions = x;
  }
  if (copyT) {
    kept.temperatures = {copies, t.size()};
    plan.temperaturesFrom = t;
  } else {
    kept.ownTemperatures = in.temperatures;
    kept.temperatures = t;
  }
  return plan;
}

// Computes the points into the columns without the interpreter: copies the
// points first, then the messages of the failed points.
std::vector<std::pair<std::size_t, std::string>> ComputeKept(const ArrayInputs& in, const CopyPlan& plan,
                                                             KeptPoints& kept, const elprops::property_columns& out) {
  const auto s = Elements<std::int32_t>(in.substances);
  std::vector<std::pair<std::size_t, std::string>> failures;
  py::gil_scoped_release unlocked;
  if (!plan.fractionsFrom.empty()) {
    std::memcpy(const_cast<float*>(kept.fractions.data()), plan.fractionsFrom.data(), kept.fractions.size_bytes());
  }
  if (!plan.temperaturesFrom.empty()) {
    std::memcpy(const_cast<float*>(kept.temperatures.data()), plan.temperaturesFrom.data(),
                kept.temperatures.size_bytes());
  }
  auto* keptS = const_cast<std::int8_t*>(kept.substances.data());
  for (std::size_t i = 0; i < s.size(); ++i) {
    keptS[i] = s[i] > 0 && s[i] <= std::numeric_limits<std::int8_t>::max() ? static_cast<std::int8_t>(s[i]) : 0;
  }
  const Buffer scratch(in.count * sizeof(elprops::error_kind));
  const std::span<elprops::error_kind> errors(reinterpret_cast<elprops::error_kind*>(scratch.data()), in.count);
  const std::size_t failed = elprops::compute_many(s, kept.fractions, kept.temperatures, out, errors);
  // The messages of the failed points only: the one-point path says why.
  failures.reserve(failed);
  kept.failed.reserve(failed);
  for (std::size_t i = 0; i < in.count && failures.size() < failed; ++i) {
    if (errors[i] == elprops::error_kind::none) continue;
    kept.failed.push_back(i);
    const std::size_t given = s.size() == 1 ? 0 : i;
    if (const auto own = in.substanceErrors.find(given); own != in.substanceErrors.end()) {
      failures.emplace_back(i, own->second);
    } else {
      failures.emplace_back(
          i, elprops::compute(At(s, i), At(kept.fractions, i), At(kept.temperatures, i)).error().message);
    }
  }
  return failures;
}

py::object ComputeArrays(py::handle substance, py::handle massFraction, py::handle temperature) {
  const ArrayInputs in = BroadcastInputs(substance, massFraction, temperature);
  py::array_t<float> columns[5] = {py::array_t<float>(in.dims), py::array_t<float>(in.dims),
                                   py::array_t<float>(in.dims), py::array_t<float>(in.dims),
                                   py::array_t<float>(in.dims)};
  std::vector<std::pair<std::size_t, std::string>> failures;
  KeptPoints kept;
  if (in.count > 0) {
    const std::size_t n = in.count;
    const elprops::property_columns out{{columns[0].mutable_data(), n},
                                        {columns[1].mutable_data(), n},
                                        {columns[2].mutable_data(), n},
                                        {columns[3].mutable_data(), n},
                                        {columns[4].mutable_data(), n}};
    const CopyPlan plan = KeepPoints(in, massFraction, temperature, kept);
    failures = ComputeKept(in, plan, kept, out);
  }
  const py::array messages = MessageArray(in.shape, failures);
  const py::object warnings = py::cast(PendingWarnings(in.shape, in.count, std::move(kept)));
  return Record(Types().propertyArrays, columns[0], columns[1], columns[2], columns[3], columns[4], messages, warnings);
}

py::object Compute(py::handle substance, py::handle massFraction, py::handle temperature) {
  if (IsSingleValue(substance) && IsSingleValue(massFraction) && IsSingleValue(temperature)) {
    return ComputeOne(substance, massFraction, temperature);
  }
  return ComputeArrays(substance, massFraction, temperature);
}

}  // namespace

void DefineComputeFunctions(py::module_& m) {
  py::class_<PendingWarnings>(m, "PendingWarnings",
                              "The warnings of an array call until they are first read: the call's own copy of "
                              "its points. Calling it gives the text array, the same one every time.")
      .def("__call__", &PendingWarnings::Texts)
      .def("__repr__", &PendingWarnings::Repr);
  m.def("compute", &Compute, "The compiled part of compute().");
  m.def("compute_many", &ComputeArrays, "The compiled part of compute_many().");
}

}  // namespace elprops::python
