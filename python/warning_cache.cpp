#include "python/warning_cache.h"

#include "python/arrays.h"

#include <elprops/elprops.hpp>

#include <array>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace elprops::python {

namespace {

std::string JoinedWarnings(const std::vector<elprops::warning>& warnings) {
  std::string text;
  for (const elprops::warning& w : warnings) {
    if (!text.empty()) text += "; ";
    text += w.message;
  }
  return text;
}

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
    Entry& entry = EntryOf(substance, temperature);
    if (entry.limit < 0.0 || !(static_cast<double>(massFraction) > entry.limit)) return entry.within;
    if (!entry.aboveKnown) {
      entry.above = Id(elprops::check_validity(substance, massFraction, temperature));
      entry.aboveKnown = true;
    }
    return entry.above;
  }

 private:
  struct Entry {
    double limit = -1.0;
    std::uint32_t within = kNone;
    std::uint32_t above = kNone;
    bool aboveKnown = false;
  };

  Entry& EntryOf(int substance, float temperature) {
    std::uint32_t bitsOfT = 0;
    std::memcpy(&bitsOfT, &temperature, sizeof bitsOfT);
    const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(substance)) << 32) | bitsOfT;
    // The entry of the substance's last temperature first: grids run over
    // the substances faster than over the temperatures.
    const std::size_t slot = substance >= 0 && substance < kSlots ? static_cast<std::size_t>(substance) : 0;
    if (last_[slot] != nullptr && lastKey_[slot] == key) return *last_[slot];
    auto [at, fresh] = entries_.try_emplace(key);
    if (fresh) {
      at->second.limit = elprops::solubility(substance, temperature);
      at->second.within = Id(elprops::check_validity(substance, 0.0f, temperature));
    }
    last_[slot] = &at->second;
    lastKey_[slot] = key;
    return at->second;
  }

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

}  // namespace

SharedTexts WarningsOfPoints(std::span<const std::int8_t> substances, std::span<const float> fractions,
                             std::span<const float> temperatures, std::size_t count,
                             std::span<const std::size_t> failed) {
  SharedTexts texts;
  WarningCache cache(texts.table);
  auto nextFailed = failed.begin();
  for (std::size_t i = 0; i < count; ++i) {
    if (nextFailed != failed.end() && *nextFailed == i) {
      ++nextFailed;
      continue;
    }
    const std::uint32_t id = cache.Of(At(substances, i), At(fractions, i), At(temperatures, i));
    if (id != WarningCache::kNone) texts.points.emplace_back(i, id);
  }
  return texts;
}

}  // namespace elprops::python
