#include "cli/batch/block_rows.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <span>

#include <elprops/substance.hpp>
#include <elprops/text.hpp>
#include <elprops/vocabulary.hpp>

namespace elprops::cli {

void TextBuffer::Append(std::string_view text) {
  // An empty view may have no data at all, which memcpy must not be given.
  if (text.empty()) return;
  if (data_.size() - size_ < text.size()) data_.resize(std::max(data_.size() * 2, size_ + text.size()));
  std::memcpy(data_.data() + size_, text.data(), text.size());
  size_ += text.size();
}

bool TextBuffer::TakeRows(OutputBuffer& out) {
  if (size_ != 0) return false;
  const std::size_t rows = out.TradeRows(data_);
  if (rows == std::string_view::npos) return false;
  size_ = rows;
  return true;
}

void Block::Clear() {
  text.clear();
  lines.clear();
  output.Clear();
  failed = 0;
  flush = false;
  done = false;
}

void Block::Add(std::string_view line, std::size_t number, bool tooLong) {
  lines.push_back({text.size(), line.size(), number, tooLong});
  text.insert(text.end(), line.begin(), line.end());
}

std::string_view ShortestTexts::Text(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  Entry& e = entries_[(bits * 0x9E3779B1u) >> (32 - kBits)];
  if (e.bits != bits || e.size == 0) {
    e.bits = bits;
    e.size = static_cast<std::uint8_t>(shortest_chars(e.text, value) - e.text);
  }
  return {e.text, e.size};
}

WarningCells::Entry& WarningCells::Find(substance_id substance, float temperature) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &temperature, sizeof bits);
  const std::uint64_t key = (std::uint64_t{static_cast<std::uint8_t>(index_of(substance))} << 32) | bits;
  std::size_t at = (key * 0x9E3779B97F4A7C15ull) >> (64 - kBits);
  for (;; at = (at + 1) & (kSize - 1)) {
    if (entries_[at].key == key) {
      ++found_;
      return entries_[at];
    }
    if (entries_[at].key == 0) break;
  }
  // Emptied when half full, so that a fine temperature sweep never grows it;
  // the cells' strings keep their room. Set aside for a while when it
  // saved less than a lookup in four.
  if (used_ >= kSize / 2) {
    std::fill(entries_.begin(), entries_.end(), Entry{});
    if (found_ < used_ / 4) unkept_ = kUnkeptRun;
    used_ = 0;
    found_ = 0;
    cellsUsed_ = 0;
    return Find(substance, temperature);
  }
  ++used_;
  const expected<validity_threshold> threshold = validity_threshold_at(substance, temperature);
  entries_[at] = Entry{key, threshold ? threshold->limit : 0.0, threshold && threshold->warned_below, 0};
  return entries_[at];
}

std::string_view WarningCells::Made(Entry& e, bool above, substance_id substance, float massFraction,
                                    float temperature) {
  if (e.cells == 0) {
    if (cellsUsed_ == cells_.size()) cells_.emplace_back();
    Cells& c = cells_[cellsUsed_++];
    c.madeBelow = c.madeAbove = false;
    e.cells = static_cast<std::uint32_t>(cellsUsed_);
  }
  Cells& c = cells_[e.cells - 1];
  bool& made = above ? c.madeAbove : c.madeBelow;
  std::string& cell = above ? c.above : c.below;
  if (!made) {
    text_.clear();
    append_warning_text(text_, substance, massFraction, temperature);
    RecordWriter::Escape(format_, text_, cell);
    made = true;
  }
  return cell;
}

WarningCells::Found WarningCells::Unkept(substance_id substance, float massFraction, float temperature) {
  // Used once: escaped as it is written, not copied first.
  text_.clear();
  append_warning_text(text_, substance, massFraction, temperature);
  return {text_, false};
}

WarningCells::Found WarningCells::Cell(substance_id substance, float massFraction, float temperature,
                                       const properties& values) {
  if (!(values.density > 0.0f && values.viscosity > 0.0f && values.surface_tension > 0.0f &&
        values.heat_capacity > 0.0f && values.thermal_conductivity > 0.0f)) {
    // Rare: the point's own warnings, values that cannot be true among them.
    const result r = compute(substance, massFraction, temperature);
    RecordWriter::Escape(format_, r ? join_warnings(r->warnings) : std::string(), single_);
    return {single_};
  }
  if (unkept_ > 0) {
    --unkept_;
    return Unkept(substance, massFraction, temperature);
  }
  Entry& e = Find(substance, temperature);
  const bool above = static_cast<double>(massFraction) > e.limit;
  if (!above && !e.warnedBelow) return {};
  return {Made(e, above, substance, massFraction, temperature)};
}

std::uint8_t SubstanceNames::Lookup(std::string_view text) {
  const expected<substance_info> substance = find_substance(text);
  return substance ? static_cast<std::uint8_t>(substance->index) : 0;
}

std::uint8_t SubstanceNames::Find(std::string_view text) {
  if (text.size() <= ShortTextMemo<std::uint8_t, 9>::kLongest) return shortNames_.Get(text, Lookup);
  if (const auto found = longNames_.find(text); found != longNames_.end()) return found->second;
  // Many different long names: start again rather than grow.
  if (longNames_.size() == kMostLongNames) longNames_.clear();
  return longNames_.emplace(std::string(text), Lookup(text)).first->second;
}

BlockRows::BlockRows(Format format, const PointSettings& settings, bool unitColumns, const RowParser& parser)
    : format_(format),
      settings_(settings),
      unitColumns_(unitColumns),
      parser_(parser),
      warningCells_(format),
      out_(
          [this](std::string_view data) {
            target_->Append(data);
            return true;
          },
          std::size_t{1} << 20),
      writer_(out_, format, PointFields(unitColumns, settings.reference, settings.quantities.kinds)),
      chosenQuantities_(!settings.quantities.IsDefault()),
      anyDerived_(settings.quantities.AnyDerived()),
      referenceProperties_(settings.quantities.BaseProperties()) {
  for (const substance_info& substance : substances()) {
    RecordWriter::Escape(format, substance.formula, formulaCells_.emplace_back());
  }
}

void BlockRows::Process(Block& block) {
  Read(block);
  Compute();
  target_ = &block.output;
  for (const Row& row : rows_) {
    if (row.point != kNone) {
      WritePoint(row.point);
      if (errors_[row.point] != error_kind::none) ++block.failed;
    } else {
      WriteEcho(echoes_[row.echo]);
      ++block.failed;
    }
  }
  if (!block.output.TakeRows(out_)) out_.Flush();
}

void BlockRows::Read(const Block& block) {
  rows_.clear();
  echoCount_ = 0;
  substances_.clear();
  concentrations_.clear();
  temperatures_.clear();
  units_.clear();
  concentrationCells_.clear();
  temperatureCells_.clear();
  mixedUnits_ = false;
  CsvPoint point;
  for (const Block::Line& line : block.lines) {
    const std::string_view text = block.LineText(line);
    const RowParser::Result parsed =
        line.tooLong ? parser_.Unreadable(line.number, text, point) : parser_.Parse(text, line.number, point);
    if (parsed == RowParser::Result::BadRow) {
      rows_.push_back(EchoUnreadable(point));
      continue;
    }
    const std::uint8_t substance = names_.Find(point.substance);
    const concentration_unit unit = point.unitValue.value_or(settings_.unit);
    // A mass fraction is read as the window reads it, to the nearest float;
    // a concentration in another unit keeps every digit given.
    const bool fraction = unit == concentration_unit::mass_fraction;
    const bool concentrationRead = fraction ? point.concentrationValue.ok() : point.concentrationDecimal.ok();
    if (substance == 0 || !concentrationRead || !point.temperatureValue.ok()) {
      rows_.push_back(EchoRefused(point, substance, unit));
    } else {
      const double concentration =
          fraction ? static_cast<double>(point.concentrationValue.value) : point.concentrationDecimal.value;
      rows_.push_back(AddPoint(substance, concentration, point.temperatureValue.value, unit));
      AddEchoCells(text, point, fraction);
    }
  }
}

void BlockRows::AddEchoCells(std::string_view line, const CsvPoint& point, bool fraction) {
  // A cell that was in quotes is a copy the next line overwrites.
  const auto echoable = [line](std::string_view cell, bool shortest) {
    const bool inLine = std::greater_equal<const char*>{}(cell.data(), line.data()) &&
                        std::less_equal<const char*>{}(cell.data() + cell.size(), line.data() + line.size());
    return shortest && inLine ? cell : std::string_view();
  };
  concentrationCells_.push_back(fraction ? echoable(point.concentration, point.concentrationShortest)
                                         : std::string_view());
  temperatureCells_.push_back(echoable(point.temperature, point.temperatureShortest));
}

BlockRows::Row BlockRows::AddPoint(std::uint8_t substance, double concentration, float temperature,
                                   concentration_unit unit) {
  if (!units_.empty() && unit != units_.front()) mixedUnits_ = true;
  substances_.push_back(substance_id{substance});
  concentrations_.push_back(concentration);
  temperatures_.push_back(temperature);
  units_.push_back(unit);
  return {static_cast<std::uint32_t>(substances_.size() - 1), kNone};
}

BlockRows::Echo& BlockRows::NewEcho(const CsvPoint& point, std::uint8_t substance) {
  if (echoCount_ == echoes_.size()) echoes_.emplace_back();
  Echo& echo = echoes_[echoCount_++];
  echo.substance = substance;
  echo.substanceText = TrimBlanks(point.substance);
  echo.concentrationText = TrimBlanks(point.concentration);
  echo.temperatureText = TrimBlanks(point.temperature);
  return echo;
}

BlockRows::Row BlockRows::EchoUnreadable(const CsvPoint& point) {
  Echo& echo = NewEcho(point, names_.Find(point.substance));
  // The cells of a row that cannot be read are written as given.
  echo.concentration.reset();
  echo.temperature.reset();
  const std::string_view unit = TrimBlanks(point.unit);
  echo.unitText = unit.empty() ? describe(settings_.unit).name : unit;
  echo.error = parser_.ErrorMessage();
  return {kNone, static_cast<std::uint32_t>(echoCount_ - 1)};
}

BlockRows::Row BlockRows::EchoRefused(const CsvPoint& point, std::uint8_t substance, concentration_unit unit) {
  Echo& echo = NewEcho(point, substance);
  echo.concentration.reset();
  echo.temperature.reset();
  // An empty cell stays empty; a number is written as it was read.
  const bool fraction = unit == concentration_unit::mass_fraction;
  const bool concentrationRead = fraction ? point.concentrationValue.ok() : point.concentrationDecimal.ok();
  if (concentrationRead && !echo.concentrationText.empty()) {
    echo.concentration =
        fraction ? static_cast<double>(point.concentrationValue.value) : point.concentrationDecimal.value;
  }
  if (point.temperatureValue.ok() && !echo.temperatureText.empty()) echo.temperature = point.temperatureValue.value;
  echo.unitText = describe(unit).name;
  if (substance == 0) {
    echo.error = unknown_substance_message(point.substance);
  } else if (!concentrationRead) {
    echo.error = fraction ? "concentration beyond the single-precision range"
                          : "concentration beyond the double-precision range";
  } else {
    echo.error = "temperature beyond the single-precision range";
  }
  return {kNone, static_cast<std::uint32_t>(echoCount_ - 1)};
}

void BlockRows::Compute() {
  const std::size_t n = substances_.size();
  if (n == 0) return;
  properties_.resize(n);
  errors_.resize(n);
  messages_.resize(n);
  massFractions_.resize(n);
  point_outputs outputs;
  outputs.rows = properties_;
  outputs.errors = errors_;
  outputs.messages = messages_;
  outputs.mass_fractions = massFractions_;
  if (unitColumns_) {
    molalities_.resize(n);
    molarities_.resize(n);
    outputs.molalities = molalities_;
    outputs.molarities = molarities_;
  }
  const std::span<const concentration_unit> units(units_.data(), mixedUnits_ ? n : 1);
  (void)compute_many(substances_, concentrations_, temperatures_, units, outputs);
  if (anyDerived_) ComputeDerived();
  if (!settings_.reference) return;
  references_.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (errors_[i] == error_kind::none) {
      FindReference(substances_[i], massFractions_[i], temperatures_[i], references_[i]);
    } else {
      references_[i].known = false;
    }
  }
}

void BlockRows::ComputeDerived() {
  const std::size_t n = substances_.size();
  derived_.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (errors_[i] != error_kind::none) continue;
    const expected<derived_properties> d =
        compute_derived(substances_[i], massFractions_[i], temperatures_[i], settings_.quantities.derived);
    if (d) {
      derived_[i] = *d;
    } else {
      // The point's row gets the error, as a refused point's does.
      errors_[i] = d.error().kind;
      messages_[i] = d.error().message;
    }
  }
}

concentration_unit BlockRows::UnitOf(std::size_t point) const { return units_[mixedUnits_ ? point : 0]; }

void BlockRows::WritePoint(std::size_t point) {
  const bool computed = errors_[point] == error_kind::none;
  const concentration_unit unit = UnitOf(point);
  writer_.Written(formulaCells_[static_cast<std::size_t>(index_of(substances_[point])) - 1]);
  // A mass fraction is echoed as the correlations took it (0 for water).
  const float given = static_cast<float>(concentrations_[point]);
  const float massFraction = massFractions_[point];
  const bool fraction = unit == concentration_unit::mass_fraction;
  if (fraction) {
    // The cell as it stands when it is the text of the value taken (not
    // for water, whose fraction is always 0).
    const float taken = computed ? massFraction : given;
    const std::string_view cell = concentrationCells_[point];
    const bool asGiven = !cell.empty() && std::bit_cast<std::uint32_t>(taken) == std::bit_cast<std::uint32_t>(given);
    writer_.Raw(asGiven ? cell : concentrationTexts_.Text(taken));
  } else {
    writer_.Double(concentrations_[point]);
  }
  const std::string_view temperatureCell = temperatureCells_[point];
  writer_.Raw(temperatureCell.empty() ? temperatureTexts_.Text(temperatures_[point]) : temperatureCell);
  if (unitColumns_) {
    writer_.Text(describe(unit).name);
    // A point whose correlations faulted still has the mass fraction it
    // was given.
    writer_.FloatOrNull(std::isnan(massFraction) ? std::nullopt : std::optional<float>(massFraction));
    if (computed) {
      writer_.Double(molalities_[point]).Double(molarities_[point]);
    } else {
      writer_.Null().Null();
    }
  }
  if (computed) {
    WriteProperties(point);
  } else {
    WriteNoProperties(messages_[point]);
  }
  if (settings_.reference && chosenQuantities_) {
    WriteReferenceFields(writer_, computed ? &references_[point] : nullptr, referenceProperties_);
  } else if (settings_.reference) {
    WriteReferenceFields(writer_, computed ? &references_[point] : nullptr);
  }
  writer_.EndRecord();
}

void BlockRows::WriteProperties(std::size_t point) {
  const properties& p = properties_[point];
  if (chosenQuantities_) {
    for (const quantity_kind k : settings_.quantities.kinds) {
      if (const std::optional<property_kind> base = base_property(k)) {
        writer_.Float(property_value(p, *base));
      } else {
        writer_.Shortest(quantity_value(p, derived_[point], k));
      }
    }
    writer_.Null();
  } else {
    writer_.Float(p.density).Float(p.viscosity).Float(p.surface_tension).Float(p.heat_capacity);
    writer_.Float(p.thermal_conductivity).Null();
  }
  const WarningCells::Found found =
      settings_.warnings ? warningCells_.Cell(substances_[point], massFractions_[point], temperatures_[point], p)
                         : WarningCells::Found{};
  if (found.cell.empty()) {
    writer_.Null();
  } else if (found.escaped) {
    writer_.Written(found.cell);
  } else {
    writer_.Text(found.cell);
  }
}

void BlockRows::WriteNoProperties(std::string_view error) {
  for (std::size_t k = 0; k < settings_.quantities.kinds.size(); ++k) writer_.Null();
  writer_.Text(error).Null();
}

void BlockRows::WriteEcho(const Echo& echo) {
  if (echo.substance != 0) {
    writer_.Text(substances()[echo.substance - 1u].formula);
  } else {
    writer_.Text(echo.substanceText);
  }
  if (echo.concentration) {
    if (echo.unitText == describe(concentration_unit::mass_fraction).name) {
      writer_.Float(static_cast<float>(*echo.concentration));
    } else {
      writer_.Double(*echo.concentration);
    }
  } else {
    writer_.Echo(echo.concentrationText);
  }
  if (echo.temperature) {
    writer_.Float(*echo.temperature);
  } else {
    writer_.Echo(echo.temperatureText);
  }
  if (unitColumns_) writer_.Text(echo.unitText).Null().Null().Null();
  WriteNoProperties(echo.error);
  if (settings_.reference && chosenQuantities_) {
    WriteReferenceFields(writer_, nullptr, referenceProperties_);
  } else if (settings_.reference) {
    WriteReferenceFields(writer_, nullptr);
  }
  writer_.EndRecord();
}

}  // namespace elprops::cli
