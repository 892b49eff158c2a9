#include "python/warning_texts.h"

#include "python/arrays.h"

#include <elprops/compute.hpp>

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>

namespace elprops::python {

namespace {

// The library works the points out in pieces of this many; its texts are
// reused from piece to piece.
constexpr std::size_t kPiece = 4096;

// The id of each distinct text. A grid runs over the substances faster than
// over the temperatures, so a point's text is first compared with the last
// one of its substance before it is looked up.
class TextIds {
 public:
  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

  explicit TextIds(std::vector<std::string>& table) : table_(table) { last_.fill(kNone); }

  std::uint32_t Of(elprops::substance_id substance, const std::string& text) {
    std::uint32_t& last = last_[static_cast<std::size_t>(elprops::index_of(substance))];
    if (last != kNone && table_[last] == text) return last;
    const auto [at, fresh] = ids_.try_emplace(text, static_cast<std::uint32_t>(table_.size()));
    if (fresh) table_.push_back(text);
    last = at->second;
    return last;
  }

 private:
  std::vector<std::string>& table_;
  std::unordered_map<std::string, std::uint32_t> ids_;
  std::array<std::uint32_t, 256> last_{};
};

}  // namespace

SharedTexts WarningsOfPoints(std::span<const elprops::substance_id> substances, std::span<const float> fractions,
                             std::span<const float> temperatures, std::size_t count) {
  SharedTexts shared;
  TextIds ids(shared.table);
  const std::size_t piece = std::min(count, kPiece);
  std::vector<double> concentrations(fractions.size() == 1 ? 1 : piece);
  std::vector<elprops::error_kind> errors(piece);
  std::vector<std::string> texts(piece);
  for (std::size_t begin = 0; begin < count; begin += kPiece) {
    const std::size_t n = std::min(kPiece, count - begin);
    const std::span<const float> x = Part(fractions, begin, n);
    std::copy(x.begin(), x.end(), concentrations.begin());
    elprops::point_outputs out;
    out.errors = std::span(errors).first(n);
    out.warnings = std::span(texts).first(n);
    elprops::compute_many(Part(substances, begin, n), std::span<const double>(concentrations).first(x.size()),
                          Part(temperatures, begin, n), {}, out);
    for (std::size_t k = 0; k < n; ++k) {
      if (!texts[k].empty()) shared.points.emplace_back(begin + k, ids.Of(At(substances, begin + k), texts[k]));
    }
  }
  return shared;
}

}  // namespace elprops::python
