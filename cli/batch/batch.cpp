#include "cli/batch/batch.h"

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

#include "cli/batch/block_rows.h"
#include "cli/output/record_writer.h"
#include "cli/output/stop_signal.h"

namespace elprops::cli {
namespace {

// Rows of the input handed to a worker at a time, fewer when they are
// long: a block holds at most about kBlockBytes of input.
constexpr std::size_t kBlockRows = 2048;
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

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

// One run: the reading thread's side, the workers and the writer.
class BatchRun {
 public:
  BatchRun(ByteSource& source, Format format, OutputBuffer& out, const std::atomic<int>* stop,
           const PointSettings& settings, unsigned jobs, char delimiter)
      : source_(source),
        format_(format),
        out_(out),
        stop_(stop),
        settings_(settings),
        jobs_(jobs),
        pipeline_(2 * std::size_t{jobs} + 2),
        input_(source, pipeline_),
        reader_(input_, delimiter) {}

  BatchOutcome Run() {
    // The header of the input says whether rows give their own units; an
    // unreadable one is reported below.
    const bool headerRead = reader_.ReadHeader();
    const bool unitColumns =
        settings_.allUnits || settings_.unit != concentration_unit::mass_fraction || reader_.HasUnitColumn();
    // Nothing goes out before the input's header is known good.
    if (headerRead) {
      RecordWriter(out_, format_, PointFields(unitColumns, settings_.reference, settings_.quantities.kinds))
          .WriteHeader();
    }
    // The header goes out at once when the rows may be slow to come.
    if (headerRead && !source_.Ready()) out_.Flush();
    if (headerRead) {
      StartThreads(unitColumns);
      ReadLines();
    } else {
      inputFailed_ = true;
      inputError_ = reader_.ErrorMessage();
    }
    input_.HandOn(false);
    pipeline_.EndInput();
    for (std::thread& thread : threads_) thread.join();
    if (!headerRead) StopAsked();
    return Conclude();
  }

 private:
  // Whether a stop was asked for; the first signal asked is kept.
  bool StopAsked() {
    if (stop_ == nullptr) return false;
    const int s = stop_->load(std::memory_order_relaxed);
    if (s == 0) return false;
    int none = 0;
    signal_.compare_exchange_strong(none, s);
    return true;
  }

  void StartThreads(bool unitColumns) {
    const SignalsBlocked blocked;
    for (unsigned k = 0; k < jobs_; ++k) {
      threads_.emplace_back([this, unitColumns] {
        BlockRows rows(format_, settings_, unitColumns, reader_.Parser());
        while (Block* block = pipeline_.NextWork()) {
          rows.Process(*block);
          pipeline_.Computed(block);
        }
      });
    }
    threads_.emplace_back([this] { WriteBlocks(); });
  }

  // The writer: blocks in input order, whole rows. A failed output or a
  // stop request ends the run before the next block is written.
  void WriteBlocks() {
    while (Block* block = pipeline_.NextInOrder()) {
      bool stopped = out_.Failed() || StopAsked();
      if (!stopped) {
        out_.AppendRows(block->output.View());
        outcome_.points += block->lines.size();
        outcome_.failed += block->failed;
        if (block->flush) out_.Flush();
        stopped = out_.Failed() || StopAsked();
      }
      if (stopped) {
        // The blocks still in flight are left as they are.
        pipeline_.End();
        return;
      }
      pipeline_.Written(block);
    }
  }

  // The reader: lines into blocks until the end of the input, a read
  // error, a stop or the end of the run.
  void ReadLines() {
    std::string_view line;
    std::size_t lineNumber = 0;
    for (;;) {
      const PointReader::LineResult next = reader_.NextLine(line, lineNumber);
      if (StopAsked() || pipeline_.Over()) {
        input_.Drop();
        return;
      }
      if (next == PointReader::LineResult::End) return;
      if (next == PointReader::LineResult::Error) {
        inputFailed_ = true;
        inputError_ = reader_.ErrorMessage();
        return;
      }
      Block* block = input_.Current();
      if (block == nullptr) return;
      if (next == PointReader::LineResult::TooLong) {
        block->Add(reader_.ErrorMessage(), lineNumber, true);
      } else {
        block->Add(line, lineNumber, false);
      }
      if (block->lines.size() == kBlockRows || block->text.size() >= kBlockBytes) input_.HandOn(false);
    }
  }

  // The exit status and the messages. Every failure is said, the input's
  // before the output's; once the output failed, the input was not read
  // further.
  BatchOutcome Conclude() {
    const bool written = out_.Flush();
    const int signal = signal_.load();
    if (inputFailed_ && !out_.Failed() && signal == 0) outcome_.messages.push_back(inputError_);
    if (!written) {
      outcome_.messages.push_back(std::string("cannot write the results: ") + std::strerror(out_.ErrorNumber()));
    }
    if (signal != 0) {
      outcome_.exitStatus = 128 + signal;
      outcome_.messages.push_back("stopped by " + SignalName(signal) + " after " + std::to_string(outcome_.points) +
                                  " rows; the output ends with a whole row");
    } else if (inputFailed_ || !written) {
      outcome_.exitStatus = kExitUsage;
    } else if (outcome_.failed > 0) {
      outcome_.exitStatus = kExitPointFailed;
      outcome_.messages.push_back(std::to_string(outcome_.failed) + " of " + std::to_string(outcome_.points) +
                                  " rows were not computed (see the error column)");
    }
    return std::move(outcome_);
  }

  ByteSource& source_;
  Format format_;
  OutputBuffer& out_;
  const std::atomic<int>* stop_;
  PointSettings settings_;
  unsigned jobs_;
  Pipeline pipeline_;
  BlockingSource input_;
  PointReader reader_;
  std::vector<std::thread> threads_;
  std::atomic<int> signal_{0};
  BatchOutcome outcome_;
  bool inputFailed_ = false;
  std::string inputError_;
};

}  // namespace

BatchOutcome RunBatch(ByteSource& source, Format format, OutputBuffer& out, const std::atomic<int>* stop,
                      const PointSettings& settings, unsigned jobs, char delimiter) {
  BatchRun run(source, format, out, stop, settings, std::clamp(jobs, 1u, kMaxJobs), delimiter);
  return run.Run();
}

}  // namespace elprops::cli
