#include "python/compute_calls.h"

#include "python/arguments.h"
#include "python/arrays.h"
#include "python/memory_pool.h"
#include "python/records.h"
#include "python/warning_texts.h"

#include <elprops/elprops.hpp>

#include <algorithm>
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

py::object ComputeOne(py::handle substance, py::handle massFraction, py::handle temperature) {
  const elprops::expected<elprops::substance_id> id = ScalarSubstance(substance);
  const float x = ScalarNumber(massFraction, "mass_fraction");
  const float t = ScalarNumber(temperature, "temperature");
  if (!id) Raise(id.error());
  const elprops::result r = elprops::compute(*id, x, t);
  if (!r) Raise(r.error());
  py::object values = Record(Types().properties, Single(r->density), Single(r->viscosity), Single(r->surface_tension),
                             Single(r->heat_capacity), Single(r->thermal_conductivity));
  values.attr("warnings") = WarningRecords(r->warnings);
  return values;
}

// --- The warnings of an array call -------------------------------------------

// The points of an array call as the call itself keeps them for its
// warnings: the substance (substance_id{0} where none is named: such a
// point failed), the float32 mass fraction and temperature, each one
// element when it is the same for every point, the computed values and
// which points failed. Arrays the call made itself are kept as they are;
// what may be the caller's, and the values, are copied into `copies`.
struct KeptPoints {
  Buffer copies;
  py::object ownFractions;
  py::object ownTemperatures;
  std::span<const elprops::substance_id> substances;
  std::span<const float> fractions;
  std::span<const float> temperatures;
  elprops::const_property_columns values;
  std::vector<std::size_t> failed;  // ascending
};

// How many computed points of an array call carry warnings or notes: those
// above the solubility and the others, with the first such point and its
// text.
struct WarnedPoints {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t aboveSolubility = 0;
  std::size_t other = 0;
  std::size_t first = kNone;
  std::string firstText;
};

// Whether a computed value cannot be true: at or below zero.
bool NotPhysical(const elprops::const_property_columns& v, std::size_t i) {
  return v.density[i] <= 0.0f || v.viscosity[i] <= 0.0f || v.surface_tension[i] <= 0.0f || v.heat_capacity[i] <= 0.0f ||
         v.thermal_conductivity[i] <= 0.0f;
}

// Counts them with the quick form of the check (the threshold of each
// substance and temperature), which makes no text but the first point's.
WarnedPoints CountWarned(const KeptPoints& p, std::size_t count) {
  WarnedPoints w;
  auto nextFailed = p.failed.begin();
  elprops::substance_id lastSubstance{0};
  float lastTemperature = std::numeric_limits<float>::quiet_NaN();
  elprops::validity_threshold threshold;
  for (std::size_t i = 0; i < count; ++i) {
    if (nextFailed != p.failed.end() && *nextFailed == i) {
      ++nextFailed;
      continue;
    }
    const elprops::substance_id s = At(p.substances, i);
    const float t = At(p.temperatures, i);
    if (s != lastSubstance || t != lastTemperature) {
      threshold = elprops::validity_threshold_at(s, t).value_or(elprops::validity_threshold{});
      lastSubstance = s;
      lastTemperature = t;
    }
    const bool above = static_cast<double>(At(p.fractions, i)) > threshold.limit;
    if (!above && !threshold.warned_below && !NotPhysical(p.values, i)) continue;
    ++(above ? w.aboveSolubility : w.other);
    if (w.first == WarnedPoints::kNone) w.first = i;
  }
  if (w.first != WarnedPoints::kNone) {
    const std::size_t i = w.first;
    const elprops::const_property_columns one{
        p.values.density.subspan(i, 1), p.values.viscosity.subspan(i, 1), p.values.surface_tension.subspan(i, 1),
        p.values.heat_capacity.subspan(i, 1), p.values.thermal_conductivity.subspan(i, 1)};
    elprops::check_validity_many(std::span(&p.substances[p.substances.size() == 1 ? 0 : i], 1),
                                 std::span(&p.fractions[p.fractions.size() == 1 ? 0 : i], 1),
                                 std::span(&p.temperatures[p.temperatures.size() == 1 ? 0 : i], 1), one,
                                 std::span(&w.firstText, 1));
  }
  return w;
}

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
      warned = WarningsOfPoints(points->substances, points->fractions, points->temperatures, points->values, count_,
                                points->failed);
    }
    py::object texts = SharedTextArray(shape_, warned.points, warned.table);
    // The first array made is the one every read gives.
    if (!texts_) {
      texts_ = std::move(texts);
      points_.reset();
    }
    return texts_;
  }

  // (above the solubility, other, first point or None, its text): how many
  // points carry warnings or notes, without making their texts; None once
  // the texts are made, which say it themselves.
  py::object Summary() {
    if (texts_) return py::none();
    const std::shared_ptr<KeptPoints> points = points_;
    WarnedPoints w;
    {
      py::gil_scoped_release unlocked;
      w = CountWarned(*points, count_);
    }
    const py::object first = w.first == WarnedPoints::kNone ? py::object(py::none()) : py::int_(w.first);
    return py::make_tuple(w.aboveSolubility, w.other, first, w.firstText);
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

// The messages of an array call's failed points, made into the text array
// when first read: the array holds a reference for every point, which costs
// more to make and to let go of than computing a few points does.
class PendingMessages {
 public:
  PendingMessages(py::tuple shape, SharedTexts failures) : shape_(std::move(shape)), failures_(std::move(failures)) {}

  py::object Texts() {
    if (!texts_) {
      texts_ = SharedTextArray(shape_, failures_);
      failures_ = {};
    }
    return texts_;
  }

 private:
  py::tuple shape_;
  SharedTexts failures_;
  py::object texts_;
};

// --- Arrays of points --------------------------------------------------------

// The library computes the points in pieces of this many, into messages
// reused from piece to piece.
constexpr std::size_t kPiece = 4096;

// The inputs of an array call, broadcast: the substances as given (one
// element or one per point, with the message of one unknown index for
// every point) and the float32 mass fractions and temperatures, each one
// element or one per point.
struct ArrayInputs {
  py::tuple shape;
  std::vector<py::ssize_t> dims;
  std::size_t count = 0;
  py::array substances;
  std::optional<std::string> allPointsError;
  py::array fractions;
  py::array temperatures;
  std::vector<std::size_t> masked;  // the points a mask hides, ascending
};

ArrayInputs BroadcastInputs(py::handle substance, py::handle massFraction, py::handle temperature) {
  ArrayInputs in;
  const py::array substances = SubstanceArray(substance, in.allPointsError);
  const py::array fractions = NumberArray(massFraction, "mass_fraction");
  const py::array temperatures = NumberArray(temperature, "temperature");
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
  in.masked = MaskedPoints(in.shape, {MaskOf(substance), MaskOf(massFraction), MaskOf(temperature)});
  // A hidden point is given no substance, so each point needs its own
  // (unless no point has one).
  in.substances = in.masked.empty() || in.allPointsError
                      ? Spread(substances, in.shape, count, py::none())
                      : Contiguous(NumPy().attr("broadcast_to")(substances, in.shape), py::none());
  return in;
}

// Whether an array of the call's inputs is one the call made: not the
// caller's argument, nor a view of it.
bool MadeByCall(const py::array& a, py::handle given) { return a.ptr() != given.ptr() && a.owndata(); }

// The call's own copy of its points, the one the properties are computed
// from and the warnings worked out from: the substances are looked up into
// it here; the copying of the numbers is left to ComputeKept, which runs
// without the interpreter: the plan holds what to copy (nothing where the
// call made the array and keeps it as it is) and where the computed values
// go, one column of count after the other.
struct CopyPlan {
  std::span<const float> fractionsFrom;
  std::span<const float> temperaturesFrom;
  float* valuesTo = nullptr;
};

// The kept values: five columns of count floats from `at`.
elprops::const_property_columns ValueColumns(const float* at, std::size_t count) {
  return {{at, count}, {at + count, count}, {at + 2 * count, count}, {at + 3 * count, count}, {at + 4 * count, count}};
}

CopyPlan KeepPoints(const ArrayInputs& in, py::handle massFraction, py::handle temperature, KeptPoints& kept,
                    std::map<std::size_t, std::string>& substanceErrors) {
  const auto substanceCount = static_cast<std::size_t>(in.substances.size());
  const bool copyX = !MadeByCall(in.fractions, massFraction);
  const bool copyT = !MadeByCall(in.temperatures, temperature);
  const auto x = Elements<float>(in.fractions);
  const auto t = Elements<float>(in.temperatures);
  const std::size_t floatsAt = (substanceCount + alignof(float) - 1) / alignof(float) * alignof(float);
  const std::size_t valueCount = elprops::property_count * in.count;
  kept.copies = Buffer(floatsAt + ((copyX ? x.size() : 0) + (copyT ? t.size() : 0) + valueCount) * sizeof(float));
  auto* copies = reinterpret_cast<float*>(kept.copies.data() + floatsAt);
  CopyPlan plan;
  plan.valuesTo = copies;
  kept.values = ValueColumns(copies, in.count);
  copies += valueCount;
  const std::span ids(reinterpret_cast<elprops::substance_id*>(kept.copies.data()), substanceCount);
  if (in.allPointsError) {
    ids[0] = elprops::substance_id{0};
    substanceErrors[0] = *in.allPointsError;
  } else {
    SubstanceIds(in.substances, ids, substanceErrors);
  }
  // Not computed: compute_many refuses a point without a substance at once.
  if (!in.allPointsError) {
    for (const std::size_t i : in.masked) ids[i] = elprops::substance_id{0};
  }
  kept.substances = ids;
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

// The columns of the points begin to begin + count.
elprops::property_columns Columns(const elprops::property_columns& all, std::size_t begin, std::size_t count) {
  return {all.density.subspan(begin, count), all.viscosity.subspan(begin, count),
          all.surface_tension.subspan(begin, count), all.heat_capacity.subspan(begin, count),
          all.thermal_conductivity.subspan(begin, count)};
}

// Copies the values of points begin to begin + n into the kept columns.
void KeepValues(const elprops::property_columns& out, std::size_t begin, std::size_t n, float* to, std::size_t count) {
  const std::span<float> columns[] = {out.density, out.viscosity, out.surface_tension, out.heat_capacity,
                                      out.thermal_conductivity};
  for (const std::span<float>& column : columns) {
    std::memcpy(to + begin, column.data() + begin, n * sizeof(float));
    to += count;
  }
}

// The messages of the failed points of a piece: "masked" for a point a
// mask hides, the substance's own for a substance that names none, else
// the library's.
struct FailureMessages {
  const std::map<std::size_t, std::string>& substanceErrors;
  std::span<const std::size_t> masked;  // ascending; the front is the next one to come
  TextCollector texts;

  void Add(std::size_t i, std::size_t substanceAt, const std::string& library) {
    while (!masked.empty() && masked.front() < i) masked = masked.subspan(1);
    if (!masked.empty() && masked.front() == i) return texts.Add(i, kMaskedMessage);
    const auto own = substanceErrors.find(substanceAt);
    texts.Add(i, own != substanceErrors.end() ? own->second : library);
  }
};

// Computes the points into the columns without the interpreter: copies the
// points first, then computes them piece by piece with the messages of the
// failed ones, and keeps each piece's values.
SharedTexts ComputeKept(std::size_t count, const CopyPlan& plan, KeptPoints& kept, FailureMessages failures,
                        const elprops::property_columns& out) {
  py::gil_scoped_release unlocked;
  if (!plan.fractionsFrom.empty()) {
    std::memcpy(const_cast<float*>(kept.fractions.data()), plan.fractionsFrom.data(), kept.fractions.size_bytes());
  }
  if (!plan.temperaturesFrom.empty()) {
    std::memcpy(const_cast<float*>(kept.temperatures.data()), plan.temperaturesFrom.data(),
                kept.temperatures.size_bytes());
  }
  std::vector<elprops::error_kind> errors(std::min(count, kPiece));
  std::vector<std::string> messages(errors.size());
  for (std::size_t begin = 0; begin < count; begin += kPiece) {
    const std::size_t n = std::min(kPiece, count - begin);
    const std::size_t failed = elprops::compute_many(Part(kept.substances, begin, n), Part(kept.fractions, begin, n),
                                                     Part(kept.temperatures, begin, n), Columns(out, begin, n),
                                                     std::span(errors).first(n), std::span(messages).first(n));
    KeepValues(out, begin, n, plan.valuesTo, count);
    for (std::size_t k = 0, found = 0; k < n && found < failed; ++k) {
      if (errors[k] == elprops::error_kind::none) continue;
      ++found;
      const std::size_t i = begin + k;
      kept.failed.push_back(i);
      failures.Add(i, kept.substances.size() == 1 ? 0 : i, messages[k]);
    }
  }
  return failures.texts.Take();
}

py::object ComputeArrays(py::handle substance, py::handle massFraction, py::handle temperature) {
  const ArrayInputs in = BroadcastInputs(substance, massFraction, temperature);
  py::array_t<float> columns[5] = {py::array_t<float>(in.dims), py::array_t<float>(in.dims),
                                   py::array_t<float>(in.dims), py::array_t<float>(in.dims),
                                   py::array_t<float>(in.dims)};
  SharedTexts failures;
  KeptPoints kept;
  if (in.count > 0) {
    const std::size_t n = in.count;
    const elprops::property_columns out{{columns[0].mutable_data(), n},
                                        {columns[1].mutable_data(), n},
                                        {columns[2].mutable_data(), n},
                                        {columns[3].mutable_data(), n},
                                        {columns[4].mutable_data(), n}};
    std::map<std::size_t, std::string> substanceErrors;
    const CopyPlan plan = KeepPoints(in, massFraction, temperature, kept, substanceErrors);
    failures = ComputeKept(n, plan, kept, FailureMessages{substanceErrors, in.masked, {}}, out);
  }
  const py::object messages = py::cast(PendingMessages(in.shape, std::move(failures)));
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
      .def("summary", &PendingWarnings::Summary)
      .def("__repr__", &PendingWarnings::Repr);
  py::class_<PendingMessages>(m, "PendingMessages",
                              "The messages of an array call's failed points until they are first read. Calling it "
                              "gives the text array, the same one every time.")
      .def("__call__", &PendingMessages::Texts);
  m.def("compute", &Compute, "The compiled part of compute().");
  m.def("compute_many", &ComputeArrays, "The compiled part of compute_many().");
}

}  // namespace elprops::python
