#include "cli/batch/batch.h"

#include <pthread.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/output/safe_text.h"
#include "cli/output/stop_signal.h"
#include "model/admissible.h"
#include "model/units.h"
#include "model/validity.h"

namespace elprops::cli {
namespace {

// Rows of the input handed to a worker at a time, fewer when they are
// long: a block holds at most about kBlockBytes of input.
constexpr std::size_t kBlockRows = 2048;
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

// Text written through a pointer into a buffer that only grows, so that a
// row is made without a check on every character.
class TextBuffer {
 public:
  void Clear() { size_ = 0; }
  // Room for `n` more characters at the returned place; Commit says how
  // many were written.
  char* Reserve(std::size_t n) {
    if (data_.size() - size_ < n) data_.resize(std::max(data_.size() * 2, size_ + n));
    return data_.data() + size_;
  }
  void Commit(char* end) { size_ = static_cast<std::size_t>(end - data_.data()); }
  void Append(std::string_view text) {
    if (text.empty()) return;
    char* at = Reserve(text.size());
    std::memcpy(at, text.data(), text.size());
    size_ += text.size();
  }
  [[nodiscard]] std::size_t Size() const { return size_; }
  [[nodiscard]] std::string_view View() const { return {data_.data(), size_}; }

 private:
  std::vector<char> data_;
  std::size_t size_ = 0;
};

// A block of input lines and, once a worker has been at it, their output
// rows.
struct Block {
  struct Line {
    std::size_t begin = 0;  // in `text`
    std::size_t size = 0;
    std::size_t number = 0;
    bool tooLong = false;  // `text` holds the reason instead of the line
  };
  std::vector<char> text;
  std::vector<Line> lines;
  // The output rows of all the lines, in order.
  TextBuffer output;
  std::size_t failed = 0;  // rows with an error
  // The whole rows up to this block go out before the reader waits for
  // more input.
  bool flush = false;
  bool done = false;

  void Clear() {
    text.clear();
    lines.clear();
    output.Clear();
    failed = 0;
    flush = false;
    done = false;
  }
  void Add(std::string_view line, std::size_t number, bool tooLong) {
    lines.push_back({text.size(), line.size(), number, tooLong});
    text.insert(text.end(), line.begin(), line.end());
  }
  [[nodiscard]] std::string_view LineText(const Line& line) const { return {text.data() + line.begin, line.size}; }
};

// The shortest text of a single, remembered for the values met before:
// concentrations and temperatures repeat from row to row.
class ShortestCache {
 public:
  ShortestCache() : entries_(kSize) {}
  char* Write(char* out, float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    Entry& e = entries_[(bits * 0x9E3779B1u) >> (32 - kBits)];
    if (e.bits != bits || e.size == 0) {
      e.bits = bits;
      e.size = static_cast<std::uint8_t>(WriteShortest(e.text, value) - e.text);
    }
    std::memcpy(out, e.text, sizeof e.text);
    return out + e.size;
  }

 private:
  static constexpr unsigned kBits = 11;
  static constexpr std::size_t kSize = std::size_t{1} << kBits;
  struct Entry {
    std::uint32_t bits = 0;
    std::uint8_t size = 0;  // 0: empty
    char text[27] = {};
  };
  std::vector<Entry> entries_;
};

// The warning cells of the computed points of one substance at one
// temperature, remembered: whether a point has a warning is known from its
// mass fraction and the limit, and a text is made once, when a point first
// needs it. An open-addressed table of a bounded size, emptied when full.
class WarningCache {
 public:
  explicit WarningCache(Format format) : json_(format == Format::Json), slots_(kSlots) {}

  // The warning cell, as CSV or JSON, of the computed point.
  std::string_view Cell(std::uint8_t substance, float massFraction, float temperature) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &temperature, sizeof bits);
    const std::uint64_t key = (std::uint64_t{substance} << 32) | bits;
    Slot& slot = Find(key);
    const bool above = static_cast<double>(massFraction) > slot.limit;
    if (!above && !slot.withinWarned) return json_ ? "null" : "";
    if (slot.texts == kNoTexts) {
      const model::ValidityAt validity = model::CheckValidityAt(substance, temperature);
      slot.texts = static_cast<std::uint32_t>(texts_.size());
      texts_.push_back({Encoded(model::JoinWarnings(validity.within)), Encoded(model::JoinWarnings(validity.above))});
    }
    const Texts& texts = texts_[slot.texts];
    return above ? texts.above : texts.within;
  }

 private:
  static constexpr std::size_t kSlots = std::size_t{1} << 15;
  static constexpr std::size_t kMostKeys = kSlots / 2;
  static constexpr std::uint32_t kNoTexts = UINT32_MAX;
  struct Slot {
    std::uint64_t key = 0;  // substance and temperature bits; 0: empty
    double limit = 0.0;
    std::uint32_t texts = kNoTexts;
    bool withinWarned = false;
  };
  struct Texts {
    std::string within;
    std::string above;
  };

  Slot& Find(std::uint64_t key) {
    std::size_t at = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 40) & (kSlots - 1);
    for (;;) {
      Slot& slot = slots_[at];
      if (slot.key == key) return slot;
      if (slot.key == 0) break;
      at = (at + 1) & (kSlots - 1);
    }
    if (keys_ == kMostKeys) {
      // Full: start again rather than grow.
      std::fill(slots_.begin(), slots_.end(), Slot{});
      texts_.clear();
      keys_ = 0;
      return Find(key);
    }
    ++keys_;
    Slot& slot = slots_[at];
    const model::ValidityLimit validity = model::ValidityLimitAt(static_cast<std::uint8_t>(key >> 32),
                                                                 std::bit_cast<float>(static_cast<std::uint32_t>(key)));
    slot.key = key;
    slot.limit = validity.limit;
    slot.withinWarned = validity.withinWarned;
    slot.texts = kNoTexts;
    return slot;
  }

  [[nodiscard]] std::string Encoded(const std::string& text) const {
    if (!json_) return CsvCellText(text);
    if (text.empty()) return "null";
    std::string json;
    AppendJsonString(json, text);
    return json;
  }

  bool json_;
  std::vector<Slot> slots_;
  std::size_t keys_ = 0;
  std::vector<Texts> texts_;
};

// Turns a block's lines into output rows, the same bytes as WriteCsvRow or
// WriteJsonRow give for each. The admissible points given as mass fractions
// are computed together and written here; every other row goes the
// one-point way.
class Worker {
 public:
  Worker(const model::SubstanceTables& tables, Format format, const PointSettings& settings, bool unitColumns,
         const RowParser& parser)
      : tables_(tables),
        format_(format),
        settings_(settings),
        unitColumns_(unitColumns),
        parser_(parser),
        warnings_(format),
        out_([this](std::string_view data) {
          target_->Append(data);
          return true;
        }) {
    for (std::uint8_t s = 1; s <= model::kSubstanceCount; ++s) {
      const std::string_view formula = model::kCatalogue[s - 1u].Formula;
      std::string json;
      AppendJsonString(json, formula);
      substanceCells_[s] =
          format == Format::Json ? "{\"substance\":" + json + ",\"concentration\":" : CsvCellText(formula) + ",";
    }
  }

  void Process(Block& block) {
    const std::size_t n = block.lines.size();
    substances_.clear();
    concentrations_.clear();
    temperatures_.clear();
    computed_.assign(n, kNotComputed);
    CsvPoint point;
    for (std::size_t k = 0; k < n; ++k) {
      const Block::Line& line = block.lines[k];
      if (line.tooLong) continue;
      if (parser_.Parse(block.LineText(line), line.number, point) != RowParser::Result::Point) continue;
      if (point.unitValue.value_or(settings_.unit) != model::ConcentrationUnit::MassFraction) continue;
      const std::optional<std::uint8_t> substance = substanceNames_.Get(point.substance, FindSubstance);
      if (!substance || !point.concentrationValue.ok() || !point.temperatureValue.ok()) continue;
      if (!model::IsAdmissible(*substance, point.concentrationValue.value, point.temperatureValue.value)) continue;
      computed_[k] = static_cast<std::uint32_t>(substances_.size());
      substances_.push_back(*substance);
      concentrations_.push_back(point.concentrationValue.value);
      temperatures_.push_back(point.temperatureValue.value);
    }
    results_.resize(substances_.size());
    status_.resize(substances_.size());
    (void)model::ComputeMany(tables_, substances_, concentrations_, temperatures_, results_, status_);

    target_ = &block.output;
    for (std::size_t k = 0; k < n; ++k) {
      const std::uint32_t c = computed_[k];
      if (c != kNotComputed && status_[c].ok()) {
        WriteComputed(block.output, c);
        continue;
      }
      // Refused, faulted or not a point: the one-point way names the
      // reason.
      const Block::Line& line = block.lines[k];
      const RowParser::Result parsed = line.tooLong ? parser_.Unreadable(line.number, block.LineText(line), point)
                                                    : parser_.Parse(block.LineText(line), line.number, point);
      if (parsed == RowParser::Result::BadRow) {
        UnreadablePoint(point.substance, point.concentration, point.temperature, parser_.ErrorMessage(), outcome_);
        outcome_.unitText = TrimBlanks(point.unit).empty() ? model::UnitName(settings_.unit) : TrimBlanks(point.unit);
      } else {
        EvaluatePoint(tables_, point.substance, point.concentrationValue, point.temperatureValue, outcome_,
                      point.unitValue.value_or(settings_.unit), settings_.warnings);
        outcome_.concentrationText = TrimBlanks(point.concentration);
        outcome_.temperatureText = TrimBlanks(point.temperature);
      }
      if (format_ == Format::Json) {
        WriteJsonRow(out_, outcome_, unitColumns_);
      } else {
        WriteCsvRow(out_, outcome_, unitColumns_);
      }
      out_.Flush();
      if (!outcome_.ok()) ++block.failed;
    }
  }

 private:
  static constexpr std::uint32_t kNotComputed = UINT32_MAX;

  // An empty view may have no data at all, which memcpy must not be given.
  static char* Put(char* out, std::string_view text) {
    if (text.empty()) return out;
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
  }
  // A molality or molarity as WriteCsvRow writes it.
  static char* PutDecimal(char* out, double value) {
    return std::to_chars(out, out + 40, value, std::chars_format::general, 9).ptr;
  }

  // The row of computed point `c`, given as a mass fraction.
  void WriteComputed(TextBuffer& output, std::uint32_t c) {
    const std::uint8_t substance = substances_[c];
    // The model takes water at concentration 0, and its row says so.
    const float x = substance == model::kWater ? 0.0f : concentrations_[c];
    const float t = temperatures_[c];
    const model::PropertySet& p = results_[c];
    std::string_view warning;
    if (settings_.warnings) {
      warning = warnings_.Cell(substance, x, t);
    } else if (format_ == Format::Json) {
      warning = "null";
    }
    const std::string_view head = substanceCells_[substance];
    char* out = output.Reserve(head.size() + warning.size() + kRowRoom);
    out = Put(out, head);
    const bool json = format_ == Format::Json;
    out = concentrationTexts_.Write(out, x);
    out = Put(out, json ? ",\"temperature\":" : ",");
    out = temperatureTexts_.Write(out, t);
    if (unitColumns_) {
      double molality = 0.0;
      double molarity = 0.0;
      if (substance != model::kWater) {
        molality = model::MolalityOf(substance, x);
        molarity = model::MolarityOf(substance, x, p.Density);
      }
      out = Put(out, json ? ",\"unit\":\"fraction\",\"mass_fraction\":" : ",fraction,");
      out = WriteShortest(out, x);
      out = Put(out, json ? ",\"molality\":" : ",");
      out = PutDecimal(out, molality);
      out = Put(out, json ? ",\"molarity\":" : ",");
      out = PutDecimal(out, molarity);
    }
    if (json) {
      out = Put(out, ",\"density\":");
      out = WriteShortest(out, p.Density);
      out = Put(out, ",\"viscosity\":");
      out = WriteShortest(out, p.Viscosity);
      out = Put(out, ",\"surface_tension\":");
      out = WriteShortest(out, p.SurfaceTension);
      out = Put(out, ",\"heat_capacity\":");
      out = WriteShortest(out, p.HeatCapacity);
      out = Put(out, ",\"thermal_conductivity\":");
      out = WriteShortest(out, p.ThermalConductivity);
      out = Put(out, ",\"error\":null,\"warning\":");
      out = Put(out, warning);
      out = Put(out, "}\n");
    } else {
      for (const float v : {p.Density, p.Viscosity, p.SurfaceTension, p.HeatCapacity, p.ThermalConductivity}) {
        *out++ = ',';
        out = WriteShortest(out, v);
      }
      // An empty error cell, then the warning cell.
      out = Put(out, ",,");
      out = Put(out, warning);
      *out++ = '\n';
    }
    output.Commit(out);
  }

  // Room for a computed row besides its substance and warning: nine
  // numbers of at most 32 characters (as WriteShortest and to_chars are
  // given) and the names between them.
  static constexpr std::size_t kRowRoom = 9 * 40 + 400;

  const model::SubstanceTables& tables_;
  Format format_;
  PointSettings settings_;
  bool unitColumns_;
  RowParser parser_;
  WarningCache warnings_;
  TextBuffer* target_ = nullptr;
  OutputBuffer out_;
  PointOutcome outcome_;
  // What a computed row starts with, by substance index.
  std::string substanceCells_[model::kSubstanceCount + 1];
  ShortTextMemo<std::optional<std::uint8_t>, 6> substanceNames_;
  ShortestCache concentrationTexts_;
  ShortestCache temperatureTexts_;
  std::vector<std::uint32_t> computed_;
  std::vector<std::uint8_t> substances_;
  std::vector<float> concentrations_;
  std::vector<float> temperatures_;
  std::vector<model::PropertySet> results_;
  std::vector<model::ComputeStatus> status_;
};

// The blocks between the reader, the workers and the writer. At most
// `limit` blocks are in flight, so memory does not grow with the input.
class Pipeline {
 public:
  explicit Pipeline(std::size_t limit) : limit_(limit) {}

  // A block to fill, or null once the run is over.
  Block* Take() {
    std::unique_lock lock(mutex_);
    space_.wait(lock, [&] { return over_ || inFlight_ < limit_; });
    if (over_) return nullptr;
    ++inFlight_;
    Block* block = nullptr;
    if (spare_.empty()) {
      blocks_.push_back(std::make_unique<Block>());
      block = blocks_.back().get();
    } else {
      block = spare_.back();
      spare_.pop_back();
    }
    block->Clear();
    return block;
  }
  void Submit(Block* block) {
    {
      const std::lock_guard lock(mutex_);
      order_.push_back(block);
      work_.push_back(block);
    }
    workReady_.notify_one();
  }
  // The reader has given its last block.
  void EndInput() {
    {
      const std::lock_guard lock(mutex_);
      inputEnded_ = true;
    }
    workReady_.notify_all();
    written_.notify_all();
  }
  // The writer stopped: nothing more is read or computed.
  void End() {
    {
      const std::lock_guard lock(mutex_);
      over_ = true;
      overSeen_.store(true, std::memory_order_relaxed);
    }
    space_.notify_all();
    workReady_.notify_all();
  }
  // Waits until every block taken has been written; false once the run is
  // over.
  bool Drain() {
    std::unique_lock lock(mutex_);
    space_.wait(lock, [&] { return over_ || inFlight_ == 0; });
    return !over_;
  }
  [[nodiscard]] bool Over() const { return overSeen_.load(std::memory_order_relaxed); }

  // For a worker: the next block to compute, or null when there is none.
  Block* NextWork() {
    std::unique_lock lock(mutex_);
    workReady_.wait(lock, [&] { return over_ || inputEnded_ || !work_.empty(); });
    if (over_ || work_.empty()) return nullptr;
    Block* block = work_.front();
    work_.pop_front();
    return block;
  }
  void Computed(Block* block) {
    {
      const std::lock_guard lock(mutex_);
      block->done = true;
    }
    written_.notify_one();
  }

  // For the writer: the next block in input order once computed, or null
  // at the end of the input.
  Block* NextInOrder() {
    std::unique_lock lock(mutex_);
    written_.wait(lock, [&] { return (!order_.empty() && order_.front()->done) || (order_.empty() && inputEnded_); });
    if (order_.empty()) return nullptr;
    Block* block = order_.front();
    order_.pop_front();
    return block;
  }
  void Written(Block* block) {
    {
      const std::lock_guard lock(mutex_);
      spare_.push_back(block);
      --inFlight_;
    }
    space_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable space_;
  std::condition_variable workReady_;
  std::condition_variable written_;
  std::size_t limit_;
  std::size_t inFlight_ = 0;
  bool inputEnded_ = false;
  bool over_ = false;
  std::atomic<bool> overSeen_{false};  // over_, for a look without the lock
  std::vector<std::unique_ptr<Block>> blocks_;
  std::vector<Block*> spare_;
  std::deque<Block*> work_;
  std::deque<Block*> order_;
};

// The reader's side: lines into blocks. Before every read of the input
// the rows read so far are handed on, marked to be written out at once;
// before a read that may wait for input, they are written, so that a
// reader at the other end of a pipe sees results while input still comes
// and a stop or a failed output ends the run without waiting for input.
// Once the run is over, nothing more is read.
class BlockingSource final : public ByteSource {
 public:
  BlockingSource(ByteSource& source, Pipeline& pipeline) : source_(source), pipeline_(pipeline) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    if (!HandOn(true) || (!source_.Ready() && !pipeline_.Drain())) {
      ended_ = true;
      return 0;
    }
    return source_.Read(buffer, size);
  }
  [[nodiscard]] bool Failed() const override { return ended_ || source_.Failed(); }
  [[nodiscard]] int ErrorNumber() const override { return source_.ErrorNumber(); }
  [[nodiscard]] std::string Name() const override { return source_.Name(); }

  // The block being filled, or null once the run is over.
  Block* Current() {
    if (current_ == nullptr && !ended_) {
      current_ = pipeline_.Take();
      if (current_ == nullptr) ended_ = true;
    }
    return current_;
  }
  // Hands on the block being filled (with `flush`, even an empty one when
  // rows went on since the last flush); false once the run is over.
  bool HandOn(bool flush) {
    if (ended_) return false;
    if (current_ == nullptr && flush && unflushed_) Current();
    if (current_ == nullptr) return !ended_;
    current_->flush = flush;
    unflushed_ = !flush;
    pipeline_.Submit(current_);
    current_ = nullptr;
    return true;
  }
  // The block in hand is dropped (a stop): its rows are not written.
  void Drop() { current_ = nullptr; }

 private:
  ByteSource& source_;
  Pipeline& pipeline_;
  Block* current_ = nullptr;
  bool unflushed_ = false;
  bool ended_ = false;
};

// Threads started with SIGINT and SIGTERM blocked, so that the signals
// reach the reading thread and wake a read that waits for input.
class SignalsBlocked {
 public:
  SignalsBlocked() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, &saved_);
  }
  ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  SignalsBlocked(const SignalsBlocked&) = delete;
  SignalsBlocked& operator=(const SignalsBlocked&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace

BatchOutcome RunBatch(const model::SubstanceTables& tables, ByteSource& source, Format format, OutputBuffer& out,
                      const std::atomic<int>* stop, const PointSettings& settings, unsigned jobs) {
  jobs = std::clamp(jobs, 1u, kMaxJobs);
  BatchOutcome outcome;
  Pipeline pipeline(2 * std::size_t{jobs} + 2);
  BlockingSource input(source, pipeline);
  PointReader reader(input);
  // The header of the input says whether rows give their own units; an
  // unreadable one is reported below.
  const bool headerRead = reader.ReadHeader();
  const bool unitColumns =
      settings.allUnits || settings.unit != model::ConcentrationUnit::MassFraction || reader.HasUnitColumn();
  if (format != Format::Json) WriteCsvHeader(out, unitColumns);
  // The header goes out at once when the rows may be slow to come.
  if (headerRead && !source.Ready()) out.Flush();

  std::atomic<int> signal{0};
  const auto stopAsked = [&] {
    if (stop == nullptr) return false;
    const int s = stop->load(std::memory_order_relaxed);
    if (s == 0) return false;
    int expected = 0;
    signal.compare_exchange_strong(expected, s);
    return true;
  };

  std::vector<std::thread> threads;
  if (headerRead) {
    const SignalsBlocked blocked;
    for (unsigned k = 0; k < jobs; ++k) {
      threads.emplace_back([&] {
        Worker worker(tables, format, settings, unitColumns, reader.Parser());
        while (Block* block = pipeline.NextWork()) {
          worker.Process(*block);
          pipeline.Computed(block);
        }
      });
    }
    // The writer: blocks in input order, whole rows. A failed output or a
    // stop request ends the run before the next block is written.
    threads.emplace_back([&] {
      while (Block* block = pipeline.NextInOrder()) {
        bool stopped = out.Failed() || stopAsked();
        if (!stopped) {
          out.AppendRows(block->output.View());
          outcome.points += block->lines.size();
          outcome.failed += block->failed;
          if (block->flush) out.Flush();
          stopped = out.Failed() || stopAsked();
        }
        if (stopped) {
          // The blocks still in flight are left as they are.
          pipeline.End();
          return;
        }
        pipeline.Written(block);
      }
    });
  }

  bool inputFailed = !headerRead;
  std::string inputError = headerRead ? std::string() : reader.ErrorMessage();
  std::string_view line;
  std::size_t lineNumber = 0;
  while (headerRead) {
    const PointReader::LineResult next = reader.NextLine(line, lineNumber);
    if (stopAsked() || pipeline.Over()) {
      input.Drop();
      break;
    }
    if (next == PointReader::LineResult::End) break;
    if (next == PointReader::LineResult::Error) {
      inputFailed = true;
      inputError = reader.ErrorMessage();
      break;
    }
    Block* block = input.Current();
    if (block == nullptr) break;
    if (next == PointReader::LineResult::TooLong) {
      block->Add(reader.ErrorMessage(), lineNumber, true);
    } else {
      block->Add(line, lineNumber, false);
    }
    if (block->lines.size() == kBlockRows || block->text.size() >= kBlockBytes) input.HandOn(false);
  }
  input.HandOn(false);
  pipeline.EndInput();
  for (std::thread& thread : threads) thread.join();
  if (!headerRead) stopAsked();

  const bool written = out.Flush();
  // Every failure is said, the input's before the output's; once the
  // output failed, the input was not read further.
  if (inputFailed && !out.Failed() && signal == 0) outcome.messages.push_back(inputError);
  if (!written) {
    outcome.messages.push_back(std::string("cannot write the results: ") + std::strerror(out.ErrorNumber()));
  }
  if (signal != 0) {
    outcome.exitStatus = 128 + signal;
    outcome.messages.push_back("stopped by " + SignalName(signal) + " after " + std::to_string(outcome.points) +
                               " rows; the output ends with a whole row");
  } else if (inputFailed || !written) {
    outcome.exitStatus = kExitUsage;
  } else if (outcome.failed > 0) {
    outcome.exitStatus = kExitPointFailed;
    outcome.messages.push_back(std::to_string(outcome.failed) + " of " + std::to_string(outcome.points) +
                               " rows were not computed (see the error column)");
  }
  return outcome;
}

}  // namespace elprops::cli
