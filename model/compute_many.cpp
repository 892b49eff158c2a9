// Many points at once: for each point the same operations as
// ComputeProperties, in the same order and with the same stores, carried out
// for a group of points side by side so that the processor overlaps their
// logarithms and exponentials instead of waiting on one chain at a time, and
// does the arithmetic between them two points to an instruction.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "model/correlations.h"
#include "model/exact_reciprocal.h"

namespace elprops::model {
namespace {

constexpr std::size_t kWidth = kComputeManyGroupWidth;
#define UNROLL _Pragma("GCC unroll 32")

// Points sorted by substance at a time; bounds the index buffer.
constexpr std::size_t kBlock = 2048;

constexpr double Wide(float f) { return static_cast<double>(f); }

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
// IEEE operation on each of its two elements, so the bits are those of the
// scalar operations; the pair only halves the instructions.
using Pair = double __attribute__((vector_size(16)));
using SinglePair = float __attribute__((vector_size(8)));
using MaskPair = std::int64_t __attribute__((vector_size(16)));
constexpr std::size_t kPairs = kWidth / 2;
static_assert(kWidth % 2 == 0 && kWidth <= 32);

// Rounds both to single, as a store into a single variable does, and
// widens them again for the next step.
inline Pair Stored(Pair v) {
#if defined(__SSE2__)
  // What the generic form below does, without the move GCC puts between.
  return _mm_cvtps_pd(_mm_cvtpd_ps(v));
#else
  return __builtin_convertvector(__builtin_convertvector(v, SinglePair), Pair);
#endif
}

constexpr Pair kOnes{1.0, 1.0};

// 0 for finite values, NaN for an infinity or a NaN.
inline Pair NotFinite(Pair v) { return v - v; }

// a where the mask is set, b elsewhere.
inline Pair Select(MaskPair m, Pair a, Pair b) {
  return reinterpret_cast<Pair>((reinterpret_cast<MaskPair>(a) & m) | (reinterpret_cast<MaskPair>(b) & ~m));
}

// Doubles of a group, laid out so that a library call reads and writes
// each in place and the arithmetic takes them two at a time: pair j is
// elements 2j and 2j+1.
template <std::size_t N>
struct Lanes {
  alignas(16) double v[N];

  Pair operator[](std::size_t j) const {
    Pair p;
    std::memcpy(&p, &v[2 * j], sizeof p);
    return p;
  }
  void Set(std::size_t j, Pair p) { std::memcpy(&v[2 * j], &p, sizeof p); }
};

// The library function on the first `count` elements, each call on its own
// so that the processor overlaps them.
//
// The empty statements that take the arrays' addresses keep the arrays in
// memory, where a call takes its argument and leaves its result with one
// move each; without them the compiler keeps the pairs in registers and
// takes them apart and together again around every call.
template <std::size_t count, std::size_t N>
inline void LogEach(Lanes<N>& in, Lanes<N>& out) {
  static_assert(count <= N);
  asm volatile("" : : "r"(in.v), "r"(out.v) : "memory");
  UNROLL for (std::size_t i = 0; i < count; ++i) out.v[i] = std::log(in.v[i]);
  asm volatile("" : : "r"(in.v), "r"(out.v) : "memory");
}
template <std::size_t count, std::size_t N>
inline void ExpEach(Lanes<N>& in, Lanes<N>& out) {
  static_assert(count <= N);
  asm volatile("" : : "r"(in.v), "r"(out.v) : "memory");
  UNROLL for (std::size_t i = 0; i < count; ++i) out.v[i] = std::exp(in.v[i]);
  asm volatile("" : : "r"(in.v), "r"(out.v) : "memory");
}

// Writes element e's five results to `out`, as singles.
inline void Put(std::size_t e, Pair density, Pair viscosity, Pair surfaceTension, Pair heatCapacity, Pair conductivity,
                PropertySet& out) {
#if defined(__SSE2__)
  // The first four fields of the point side by side, one store for them.
  static_assert(offsetof(PropertySet, Viscosity) == 4 && offsetof(PropertySet, SurfaceTension) == 8 &&
                offsetof(PropertySet, HeatCapacity) == 12 && offsetof(PropertySet, ThermalConductivity) == 16);
  const __m128 dv = _mm_unpacklo_ps(_mm_cvtpd_ps(density), _mm_cvtpd_ps(viscosity));
  const __m128 sh = _mm_unpacklo_ps(_mm_cvtpd_ps(surfaceTension), _mm_cvtpd_ps(heatCapacity));
  const __m128 four = e == 0 ? _mm_movelh_ps(dv, sh) : _mm_movehl_ps(sh, dv);
  std::memcpy(static_cast<void*>(&out), &four, sizeof four);
  out.ThermalConductivity = static_cast<float>(conductivity[e]);
#else
  out = PropertySet{static_cast<float>(density[e]), static_cast<float>(viscosity[e]),
                    static_cast<float>(surfaceTension[e]), static_cast<float>(heatCapacity[e]),
                    static_cast<float>(conductivity[e])};
#endif
}

// A group's points: the width of points from `first` on, ...
struct Consecutive {
  std::size_t first;
  static constexpr std::size_t size() { return kWidth; }
  std::size_t operator[](std::size_t l) const { return first + l; }
};

// ... or up to the width of points named one by one.
struct Listed {
  std::array<std::uint32_t, kWidth> at;
  std::size_t n;
  std::size_t size() const { return n; }
  std::size_t operator[](std::size_t l) const { return at[l]; }
};

// Computes one group of points of one substance: the points that `at`
// names in xs and ts (when fewer than the width, the last is repeated to
// fill the group, and written once). Writes the results and statuses of the
// points without a fault and returns the others as a bit mask.
//
// A point is marked faulted when an infinity or a NaN reached one of the
// values looked at: every fault of the one-point computation leaves one
// there. A failed logarithm, division or store and an overflowing
// exponential all give an infinity or a NaN, which the later sums, products,
// stores and library calls carry on, except an exponential, which turns a
// negative infinity into 0: the arguments of those exponentials are looked
// at too.
template <Kind kind, class Points>
unsigned Group(const Row& c, double lnTen, const Points& at, const float* xs, const float* ts, PropertySet* out,
               ComputeStatus* status) {
  const std::size_t n = at.size();
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

  // The logarithms of the inputs, for every point of the group: of the
  // viscosity base, the water density, the temperature ratio and the
  // concentration (counted in pairs from these offsets).
  constexpr std::size_t kBase = 0, kWaterDensity = kPairs, kRatio = 2 * kPairs, kX = 3 * kPairs;
  constexpr std::size_t kLogs = (solution ? 4 : 3) * kWidth;
  Lanes<4 * kWidth> argument;
  Lanes<4 * kWidth> ln;
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
    argument.Set(kBase + j, T[j] + 43.252);
    argument.Set(kWaterDensity + j, (1002.164 - T[j] * 0.12728) - (T[j] * 0.003134) * T[j]);
    argument.Set(kRatio + j, T[j] / 100.0);
    // A concentration of 0 takes no power; the logarithm of 1 in its place
    // is not used.
    if constexpr (solution) argument.Set(kX + j, Select(x[j] == 0.0, kOnes, x[j]));
  }
  LogEach<kLogs>(argument, ln);

  // The exponentials that follow: the water viscosity power, the density,
  // the concentration power and the tension factor.
  constexpr std::size_t kPower = 0, kDensity = kPairs, kConcentrationPower = 2 * kPairs, kFactor = 3 * kPairs;
  constexpr std::size_t kExps = (tensionTables ? 4 : solution ? 3 : 2) * kWidth;
  Lanes<4 * kWidth> exps;
  Pair L[kPairs];
  Pair g[kPairs];
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
    argument.Set(kPower + j, ln[kBase + j] * -1.5423);
    const Pair Lw = Stored(ln[kWaterDensity + j] / lnTen);
    const Pair Ls = Stored(((c.A0 - T[j] * c.A1) + (T[j] * c.A2) * T[j]) * x[j]);
    L[j] = Stored(Ls + Lw);
    argument.Set(kDensity + j, L[j] * lnTenDouble);
    if constexpr (solution) argument.Set(kConcentrationPower + j, c.Exponent * ln[kX + j]);
    if constexpr (tensionTables) {
      const Pair m = Stored((x[j] * 18020.0) / ((1.0 - x[j]) * c.MolarMass));
      const Pair P = Stored((-c.P0 - T[j] * c.P1) - (T[j] * c.P2) * T[j]);
      const Pair Q = Stored((-c.Q0 - T[j] * c.Q1) - (T[j] * c.Q2) * T[j]);
      if constexpr (kind == Kind::Halving) {
        g[j] = Stored(((Q * m) * c.Inverse + P) * m * c.Inverse);
      } else {
        g[j] = Stored((((Q * m) / c.Divisor + P) * m) / c.Divisor);
      }
      argument.Set(kFactor + j, g[j] * lnTen);
    }
  }
  ExpEach<kExps>(argument, exps);

  // The rest of the viscosity chain: log10 of the water viscosity, then the
  // viscosity.
  Lanes<kWidth> chainArgument;
  Lanes<kWidth> chain;
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) chainArgument.Set(j, Stored(exps[kPower + j]) * 0.59849);
  LogEach<kWidth>(chainArgument, chain);
  Pair V[kPairs];
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
    const Pair Vw = Stored(chain[j] / lnTen);
    Pair Vs = Pair{0.0, 0.0};
    if constexpr (solution) {
      const Pair p = Stored(exps[kConcentrationPower + j]);
      const Pair withPower = Stored((((T[j] * c.B1 + c.B0) + (T[j] * c.B2) * T[j]) + p * c.B3) * x[j]);
      Vs = Select(x[j] == 0.0, Pair{0.0, 0.0}, withPower);
    }
    V[j] = Stored(Vs + Vw);
    chainArgument.Set(j, V[j] * lnTen);
  }
  ExpEach<kWidth>(chainArgument, chain);

  unsigned faulted = 0;
  UNROLL for (std::size_t j = 0; j < kPairs; ++j) {
    const Pair density = Stored(exps[kDensity + j]);
    const Pair viscosity = Stored(chain[j] + 5e-8);
    Pair a = kOnes;  // water
    if constexpr (tensionTables) {
      a = Stored(exps[kFactor + j]);
    } else if constexpr (kind == Kind::Bicarbonate) {
      a = Stored(1.0 - x[j] * 0.72);
    }

    const Pair cw = Stored((T[j] * 1.02) * ln[kRatio + j] + 4215.45);
    Pair cs = Pair{0.0, 0.0};
    if constexpr (solution) cs = Stored(((((x[j] * c.C1) - c.C0) + T[j] * c.C2) - (T[j] * c.C3) * T[j]) * x[j]);
    const Pair heatCapacity = Stored(cs + cw);

    const Pair sigmaW = Stored((0.0756662 - T[j] * 0.000142937) - (T[j] * 2.52178e-7) * T[j]);
    const Pair sigma = Stored((1.0 - a) * kTensionScale + sigmaW);
    const Pair surfaceTension = Stored(sigma + 5e-7);

    const Pair lambdaW = Stored((T[j] * 0.00246 + 0.5545) - (T[j] * 1.184e-5) * T[j]);
    const Pair lambda = Stored((1.0 - x[j] * c.K) * lambdaW);
    const Pair conductivity = Stored(lambda + 5e-5);

    // All are singles, so their sum cannot overflow: it is finite exactly
    // when each of them is.
    Pair sum = L[j] + density + V[j] + viscosity + surfaceTension + heatCapacity + conductivity;
    if constexpr (tensionTables) sum += g[j];
    const Pair check = NotFinite(sum);
    for (std::size_t e = 0; e < 2; ++e) {
      const std::size_t l = 2 * j + e;
      if (l >= n) break;
      if (check[e] == 0.0) [[likely]] {
        Put(e, density, viscosity, surfaceTension, heatCapacity, conductivity, out[at[l]]);
        status[at[l]] = ComputeStatus{};
      } else {
        faulted |= 1u << l;
      }
    }
  }
  return faulted;
}

// All points of one substance named by `order`, or the first `count` points
// when there is no order, a group at a time.
template <Kind kind>
void Run(const SubstanceTables& tables, std::uint8_t substance, const std::uint32_t* order, std::size_t count,
         const float* xs, const float* ts, PropertySet* out, ComputeStatus* status) {
  const Row row = Widened(tables, substance);
  const double lnTen = Wide(tables.LnTen);
  for (std::size_t first = 0; first < count; first += kWidth) {
    const std::size_t n = std::min(kWidth, count - first);
    Listed listed{{}, n};
    unsigned faulted = 0;
    if (order == nullptr && n == kWidth) {
      faulted = Group<kind>(row, lnTen, Consecutive{first}, xs, ts, out, status);
      if (faulted != 0) [[unlikely]] {
        for (std::size_t l = 0; l < kWidth; ++l) listed.at[l] = static_cast<std::uint32_t>(first + l);
      }
    } else {
      // A short last group repeats its last point to fill the width.
      for (std::size_t l = 0; l < kWidth; ++l) {
        const std::size_t k = first + std::min(l, n - 1);
        listed.at[l] = order == nullptr ? static_cast<std::uint32_t>(k) : order[k];
      }
      faulted = Group<kind>(row, lnTen, listed, xs, ts, out, status);
    }
    if (faulted != 0) [[unlikely]] {
      // Names the first fault as the one-point computation does.
      for (std::size_t l = 0; l < n; ++l) {
        if ((faulted & (1u << l)) == 0) continue;
        const std::uint32_t k = listed.at[l];
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
    const bool uniform = differ == 0 && s[0] >= 1 && s[0] <= kSubstanceCount;
    if (uniform) {
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
      const std::size_t n = start[i + 1] - start[i];
      if (n == 0) continue;
      const std::uint32_t* points = uniform ? nullptr : order.data() + start[i];
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
