#include "batch.h"

#include <pthread.h>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "admissible.h"
#include "stop_signal.h"

namespace elprops::cli {
namespace {

// Rows of the input handed to a worker at a time.
constexpr std::size_t kBlockRows = 2048;

// A block of input lines and, once a worker has been at it, their output
// rows.
struct Block {
  struct Line {
    std::size_t begin = 0;  // in `text`
    std::size_t size = 0;
    std::size_t number = 0;
    bool tooLong = false;  // `text` holds the message instead of the line
  };
  std::vector<char> text;
  std::vector<Line> lines;
  // The output of row k is output[ends[k - 1], ends[k]).
  std::string output;
  std::vector<std::size_t> ends;
  std::vector<std::uint8_t> failed;
  // The whole rows up to this block go out before the reader waits for
  // more input.
  bool flush = false;
  bool done = false;

  void Clear() {
    text.clear();
    lines.clear();
    output.clear();
    ends.clear();
    failed.clear();
    flush = false;
    done = false;
  }
  void Add(std::string_view line, std::size_t number, bool tooLong) {
    lines.push_back({text.size(), line.size(), number, tooLong});
    text.insert(text.end(), line.begin(), line.end());
  }
  [[nodiscard]] std::string_view LineText(const Line& line) const { return {text.data() + line.begin, line.size}; }
};

// Turns a block's lines into output rows: the admissible points of the
// block are computed together, every other row as the one-point path
// does.
class Worker {
 public:
  Worker(const model::SubstanceTables& tables, Format format)
      : tables_(tables), format_(format), out_([this](std::string_view data) {
          target_->append(data);
          return true;
        }) {}

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
      const std::optional<std::uint8_t> substance = FindSubstance(point.substance);
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
      const Block::Line& line = block.lines[k];
      const std::uint32_t c = computed_[k];
      if (c != kNotComputed && status_[c].ok()) {
        const std::uint8_t substance = substances_[c];
        outcome_.error.clear();
        outcome_.substance = substance;
        outcome_.substanceText = model::kCatalogue[substance - 1u].Formula;
        outcome_.concentration = substance == model::kWater ? 0.0f : concentrations_[c];
        outcome_.temperature = temperatures_[c];
        outcome_.concentrationText = {};
        outcome_.temperatureText = {};
        outcome_.properties = results_[c];
      } else if (line.tooLong) {
        UnreadablePoint({}, {}, {}, std::string(block.LineText(line)), outcome_);
      } else if (parser_.Parse(block.LineText(line), line.number, point) == RowParser::Result::Point) {
        // Refused, or faulted: the one-point path names the reason.
        EvaluatePoint(tables_, point.substance, point.concentrationValue, point.temperatureValue, outcome_);
        outcome_.concentrationText = TrimBlanks(point.concentration);
        outcome_.temperatureText = TrimBlanks(point.temperature);
      } else {
        UnreadablePoint(point.substance, point.concentration, point.temperature, parser_.ErrorMessage(), outcome_);
      }
      if (format_ == Format::Json) {
        WriteJsonRow(out_, outcome_);
      } else {
        WriteCsvRow(out_, outcome_);
      }
      out_.Flush();
      block.ends.push_back(block.output.size());
      block.failed.push_back(outcome_.ok() ? 0 : 1);
    }
  }

 private:
  static constexpr std::uint32_t kNotComputed = UINT32_MAX;

  const model::SubstanceTables& tables_;
  Format format_;
  RowParser parser_;
  std::string* target_ = nullptr;
  OutputBuffer out_;
  PointOutcome outcome_;
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
  [[nodiscard]] bool Over() {
    const std::lock_guard lock(mutex_);
    return over_;
  }

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
                      const std::atomic<int>* stop, unsigned jobs) {
  jobs = std::clamp(jobs, 1u, kMaxJobs);
  BatchOutcome outcome;
  Pipeline pipeline(2 * std::size_t{jobs} + 2);
  BlockingSource input(source, pipeline);
  PointReader reader(input);
  if (format != Format::Json) WriteCsvHeader(out);

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
  {
    const SignalsBlocked blocked;
    for (unsigned k = 0; k < jobs; ++k) {
      threads.emplace_back([&] {
        Worker worker(tables, format);
        while (Block* block = pipeline.NextWork()) {
          worker.Process(*block);
          pipeline.Computed(block);
        }
      });
    }
    // The writer: blocks in input order, a whole row at a time.
    threads.emplace_back([&] {
      bool stopped = false;
      while (Block* block = pipeline.NextInOrder()) {
        std::size_t begin = 0;
        for (std::size_t k = 0; k < block->ends.size(); ++k) {
          // A failed output or a stop request ends the run before
          // anything more is written.
          if (out.Failed() || stopAsked()) {
            stopped = true;
            break;
          }
          out.Append(std::string_view(block->output).substr(begin, block->ends[k] - begin));
          out.EndRow();
          begin = block->ends[k];
          ++outcome.points;
          outcome.failed += block->failed[k];
        }
        if (!stopped && block->flush) out.Flush();
        if (out.Failed() || stopAsked()) stopped = true;
        if (stopped) {
          // The blocks still in flight are left as they are.
          pipeline.End();
          return;
        }
        pipeline.Written(block);
      }
    });
  }

  bool inputFailed = false;
  std::string inputError;
  std::string_view line;
  std::size_t lineNumber = 0;
  for (;;) {
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
    if (next == PointReader::LineResult::BadRow) {
      block->Add(reader.ErrorMessage(), lineNumber, true);
    } else {
      block->Add(line, lineNumber, false);
    }
    if (block->lines.size() == kBlockRows) input.HandOn(false);
  }
  input.HandOn(false);
  pipeline.EndInput();
  for (std::thread& thread : threads) thread.join();

  const bool written = out.Flush();
  // Every failure is said, the input's before the output's; once the
  // output failed, the input was not read further.
  if (inputFailed && !out.Failed()) outcome.messages.push_back(inputError);
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
