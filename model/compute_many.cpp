// Many points at once: for each point the same operations as
// ComputeProperties, in the same order and with the same stores, carried out
// for a group of points side by side so that the processor overlaps their
// logarithms and exponentials instead of waiting on one chain at a time.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "correlations.h"
#include "exact_reciprocal.h"

namespace elprops::model {
namespace {

constexpr std::size_t kWidth = kComputeManyGroupWidth;
#define UNROLL _Pragma("GCC unroll 16")

// Points sorted by substance at a time; bounds the index buffer.
constexpr std::size_t kBlock = 2048;

constexpr double Wide(float f) { return static_cast<double>(f); }
constexpr float Single(double d) { return static_cast<float>(d); }

// Which branches of the correlations a substance takes.
enum class Kind : std::uint8_t {
  Water,        // concentration 0, no corrections, tension factor 1
  Bicarbonate,  // tension factor 1 - 0.72 x
  Halving,      // tension factor from the tables, divisor with an exact reciprocal
  Dividing,     // tension factor from the tables, any other divisor
};

// One substance's row of the tables, widened once for all its points.
struct Row {
  double A0, A1, A2;
  double B0, B1, B2, B3, Exponent;
  double P0, P1, P2, MolarMass, Q0, Q1, Q2, Divisor, Inverse;
  double C0, C1, C2, C3, K;
};

Row Widened(const SubstanceTables& tables, std::uint8_t substance) {
  const Coefficients& c = tables.Row[substance];
  const double divisor = Wide(tables.TensionDivisor[substance]);
  return Row{
      Wide(c.DensityA0),      Wide(c.DensityA1),      Wide(c.DensityA2),      Wide(c.ViscosityB0),
      Wide(c.ViscosityB1),    Wide(c.ViscosityB2),    Wide(c.ViscosityB3),    Wide(tables.ViscosityExponent[substance]),
      Wide(c.TensionP0),      Wide(c.TensionP1),      Wide(c.TensionP2),      Wide(c.MolarMass),
      Wide(c.TensionQ0),      Wide(c.TensionQ1),      Wide(c.TensionQ2),      divisor,
      1.0 / divisor,          Wide(c.HeatCapacityC0), Wide(c.HeatCapacityC1), Wide(c.HeatCapacityC2),
      Wide(c.HeatCapacityC3), Wide(c.ConductivityK)};
}

Kind KindOf(const SubstanceTables& tables, std::uint8_t substance) {
  if (substance == kWater) return Kind::Water;
  if (substance == kAmmoniumBicarbonate) return Kind::Bicarbonate;
  return ExactReciprocal(Wide(tables.TensionDivisor[substance])) ? Kind::Halving : Kind::Dividing;
}

// Two points' doubles side by side. Each operation on a pair is the same
// IEEE operation on each of its two elements, so the bits are those of two
// scalar operations; the pair only halves the instructions.
using Pair = double __attribute__((vector_size(16)));
using SinglePair = float __attribute__((vector_size(8)));
using MaskPair = std::int64_t __attribute__((vector_size(16)));
constexpr std::size_t kPairs = kWidth / 2;
static_assert(kWidth % 2 == 0 && kWidth <= 32);

// Rounds both to single, as a store into a single variable does, and
// widens them again for the next step.
inline Pair Stored(Pair v) { return __builtin_convertvector(__builtin_convertvector(v, SinglePair), Pair); }
inline SinglePair Singles(Pair v) { return __builtin_convertvector(v, SinglePair); }

// 0 for finite values, NaN for an infinity or a NaN.
inline Pair NotFinite(Pair v) { return v - v; }

// A library call on each element.
template <double (*f)(double)>
inline Pair Each(Pair v) {
  return Pair{f(v[0]), f(v[1])};
}
double Log(double v) { return std::log(v); }
double Exp(double v) { return std::exp(v); }

// Computes one group of points of one substance: the first n of the points
// that `at` names in xs and ts (the others fill the group and are not
// written). Writes the results and statuses of the points without a fault
// and returns the others as a bit mask. A point is marked faulted when an infinity or a NaN
// reached one of the values looked at: every fault of the one-point
// computation leaves one there (a failed logarithm, division or store and an
// overflowing exponential all give an infinity or a NaN, which the later
// sums, products and stores carry on; the exponentials, which would turn a
// negative infinity into 0, have their arguments looked at).
template <Kind kind>
unsigned Group(const Row& c, double lnTen, const std::uint32_t* at, std::size_t n, const float* xs, const float* ts,
               PropertySet* out, ComputeStatus* status) {
  constexpr bool solution = kind != Kind::Water;
  constexpr bool tensionTables = kind == Kind::Halving || kind == Kind::Dividing;
  const double lnTenDouble = std::log(10.0);
  constexpr double kTensionScale = static_cast<double>(0.049f);

  Pair T[kPairs];
  Pair x[kPairs];
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
    T[j] = Pair{Wide(ts[at[2 * j]]), Wide(ts[at[2 * j + 1]])};
    x[j] = solution ? Pair{Wide(xs[at[2 * j]]), Wide(xs[at[2 * j + 1]])} : Pair{0.0, 0.0};
  }

  // The logarithms of the inputs.
  Pair lnViscosityBase[kPairs];
  Pair lnWaterDensity[kPairs];
  Pair lnTemperatureRatio[kPairs];
  Pair lnX[kPairs];
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) lnViscosityBase[j] = Each<Log>(T[j] + 43.252);
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
    lnWaterDensity[j] = Each<Log>((1002.164 - T[j] * 0.12728) - (T[j] * 0.003134) * T[j]);
  }
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) lnTemperatureRatio[j] = Each<Log>(T[j] / 100.0);
  if constexpr (solution) {
    // A concentration of 0 takes no power; its logarithm is not used.
    UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
      const MaskPair zero = x[j] == 0.0;
      const Pair argument = reinterpret_cast<Pair>((reinterpret_cast<MaskPair>(x[j]) & ~zero) |
                                                   (reinterpret_cast<MaskPair>(Pair{1.0, 1.0}) & zero));
      lnX[j] = Each<Log>(argument);
    }
  }

  // The exponentials that follow them.
  Pair W[kPairs];
  Pair L[kPairs];
  Pair density[kPairs];
  Pair p[kPairs];
  Pair g[kPairs];
  Pair a[kPairs];
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) W[j] = Stored(Each<Exp>(lnViscosityBase[j] * -1.5423));
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
    const Pair Lw = Stored(lnWaterDensity[j] / lnTen);
    const Pair Ls = Stored(((c.A0 - T[j] * c.A1) + (T[j] * c.A2) * T[j]) * x[j]);
    L[j] = Stored(Ls + Lw);
  }
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) density[j] = Stored(Each<Exp>(L[j] * lnTenDouble));
  if constexpr (solution) {
    UNROLL for (std::size_t j = 0; j < kPairs; ++j) p[j] = Stored(Each<Exp>(c.Exponent * lnX[j]));
  }
  if constexpr (tensionTables) {
    UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
      const Pair m = Stored((x[j] * 18020.0) / ((1.0 - x[j]) * c.MolarMass));
      const Pair P = Stored((-c.P0 - T[j] * c.P1) - (T[j] * c.P2) * T[j]);
      const Pair Q = Stored((-c.Q0 - T[j] * c.Q1) - (T[j] * c.Q2) * T[j]);
      if constexpr (kind == Kind::Halving) {
        g[j] = Stored(((Q * m) * c.Inverse + P) * m * c.Inverse);
      } else {
        g[j] = Stored((((Q * m) / c.Divisor + P) * m) / c.Divisor);
      }
    }
    UNROLL for (std::size_t j = 0; j < kPairs; ++j) a[j] = Stored(Each<Exp>(g[j] * lnTen));
  } else if constexpr (kind == Kind::Bicarbonate) {
    UNROLL for (std::size_t j = 0; j < kPairs; ++j) a[j] = Stored(1.0 - x[j] * 0.72);
  } else {
    UNROLL for (std::size_t j = 0; j < kPairs; ++j) a[j] = Pair{1.0, 1.0};
  }

  // The rest of the viscosity chain.
  Pair V[kPairs];
  Pair viscosity[kPairs];
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
    const Pair Vw = Stored(Each<Log>(W[j] * 0.59849) / lnTen);
    Pair Vs = Pair{0.0, 0.0};
    if constexpr (solution) {
      const Pair withPower = Stored((((T[j] * c.B1 + c.B0) + (T[j] * c.B2) * T[j]) + p[j] * c.B3) * x[j]);
      // 0 (all bits clear) where the concentration is 0.
      Vs = reinterpret_cast<Pair>(reinterpret_cast<MaskPair>(withPower) & reinterpret_cast<MaskPair>(x[j] != 0.0));
    }
    V[j] = Stored(Vs + Vw);
  }
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) viscosity[j] = Each<Exp>(V[j] * lnTen) + 5e-8;

  unsigned faulted = 0;
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
    const Pair cw = Stored((T[j] * 1.02) * lnTemperatureRatio[j] + 4215.45);
    Pair cs = Pair{0.0, 0.0};
    if constexpr (solution) cs = Stored(((((x[j] * c.C1) - c.C0) + T[j] * c.C2) - (T[j] * c.C3) * T[j]) * x[j]);
    const Pair heatCapacity = Stored(cs + cw);

    const Pair sigmaW = Stored((0.0756662 - T[j] * 0.000142937) - (T[j] * 2.52178e-7) * T[j]);
    const Pair sigma = Stored((1.0 - a[j]) * kTensionScale + sigmaW);
    const Pair surfaceTension = Stored(sigma + 5e-7);

    const Pair lambdaW = Stored((T[j] * 0.00246 + 0.5545) - (T[j] * 1.184e-5) * T[j]);
    const Pair lambda = Stored((1.0 - x[j] * c.K) * lambdaW);
    const Pair conductivity = Stored(lambda + 5e-5);

    const SinglePair D = Singles(density[j]);
    const SinglePair Vi = Singles(viscosity[j]);
    const SinglePair S = Singles(surfaceTension);
    const SinglePair H = Singles(heatCapacity);
    const SinglePair K = Singles(conductivity);
    Pair check = NotFinite(L[j]) + NotFinite(density[j]) + NotFinite(V[j]) + NotFinite(Stored(viscosity[j])) +
                 NotFinite(surfaceTension) + NotFinite(heatCapacity) + NotFinite(conductivity);
    if constexpr (tensionTables) check += NotFinite(g[j]);
    for (std::size_t e = 0; e < 2; ++e) {
      const std::size_t l = 2 * j + e;
      if (l >= n) break;
      if (check[e] == 0.0) [[likely]] {
        out[at[l]] = PropertySet{D[e], Vi[e], S[e], H[e], K[e]};
        status[at[l]] = ComputeStatus{};
      } else {
        faulted |= 1u << l;
      }
    }
  }
  return faulted;
}

// All points of one substance named by `order`, a group at a time.
template <Kind kind>
void Run(const SubstanceTables& tables, std::uint8_t substance, const std::uint32_t* order, std::size_t count,
         const float* xs, const float* ts, PropertySet* out, ComputeStatus* status) {
  const Row row = Widened(tables, substance);
  const double lnTen = Wide(tables.LnTen);
  for (std::size_t first = 0; first < count; first += kWidth) {
    const std::size_t n = std::min(kWidth, count - first);
    // A short last group repeats its last point to fill the width.
    std::uint32_t at[kWidth];
    UNROLL for (std::size_t l = 0; l < kWidth; ++l) at[l] = order[first + std::min(l, n - 1)];
    const unsigned faulted = Group<kind>(row, lnTen, at, n, xs, ts, out, status);
    if (faulted != 0) [[unlikely]] {
      // Names the first fault as the one-point computation does.
      for (std::size_t l = 0; l < n; ++l) {
        if ((faulted & (1u << l)) == 0) continue;
        const std::uint32_t k = at[l];
        float concentration = xs[k];
        float limit = 0.0f;
        status[k] = ComputeProperties(tables, substance, concentration, ts[k], limit, out[k]);
      }
    }
  }
}

}  // namespace

bool ComputeMany(const SubstanceTables& tables, std::span<const std::uint8_t> substances,
                 std::span<const float> concentrations, std::span<const float> temperatures, std::span<PropertySet> out,
                 std::span<ComputeStatus> status) noexcept {
  const std::size_t size = substances.size();
  if (concentrations.size() != size || temperatures.size() != size || out.size() != size || status.size() != size) {
    return false;
  }
  std::array<std::uint32_t, kBlock> order;
  for (std::size_t begin = 0; begin < size; begin += kBlock) {
    const std::size_t count = std::min(kBlock, size - begin);
    const std::uint8_t* s = substances.data() + begin;
    const float* xs = concentrations.data() + begin;
    const float* ts = temperatures.data() + begin;
    PropertySet* o = out.data() + begin;
    ComputeStatus* st = status.data() + begin;

    // The block's points sorted by substance, so that each group shares one
    // row of the tables; an index out of range is answered at once. A block
    // of one substance keeps its order.
    std::array<std::uint32_t, kSubstanceCount + 2> start{};
    unsigned differ = 0;
    for (std::size_t k = 0; k < count; ++k) differ |= static_cast<unsigned>(s[k] ^ s[0]);
    if (differ == 0 && s[0] >= 1 && s[0] <= kSubstanceCount) {
      for (std::size_t k = 0; k < count; ++k) order[k] = static_cast<std::uint32_t>(k);
      std::fill(start.begin() + s[0] + 1, start.end(), static_cast<std::uint32_t>(count));
    } else {
      for (std::size_t k = 0; k < count; ++k) {
        if (s[k] >= 1 && s[k] <= kSubstanceCount) {
          ++start[s[k] + 1];
        } else {
          float concentration = xs[k];
          float limit = 0.0f;
          st[k] = ComputeProperties(tables, s[k], concentration, ts[k], limit, o[k]);
        }
      }
      for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
      std::array<std::uint32_t, kSubstanceCount + 2> next = start;
      for (std::size_t k = 0; k < count; ++k) {
        if (s[k] >= 1 && s[k] <= kSubstanceCount) order[next[s[k]]++] = static_cast<std::uint32_t>(k);
      }
    }

    for (std::uint8_t i = 1; i <= kSubstanceCount; ++i) {
      const std::uint32_t* points = order.data() + start[i];
      const std::size_t n = start[i + 1] - start[i];
      if (n == 0) continue;
      switch (KindOf(tables, i)) {
        case Kind::Water:
          Run<Kind::Water>(tables, i, points, n, xs, ts, o, st);
          break;
        case Kind::Bicarbonate:
          Run<Kind::Bicarbonate>(tables, i, points, n, xs, ts, o, st);
          break;
        case Kind::Halving:
          Run<Kind::Halving>(tables, i, points, n, xs, ts, o, st);
          break;
        case Kind::Dividing:
          Run<Kind::Dividing>(tables, i, points, n, xs, ts, o, st);
          break;
      }
    }
  }
  return true;
}

}  // namespace elprops::model
