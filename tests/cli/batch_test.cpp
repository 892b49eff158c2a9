#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <elprops/compute.hpp>
#include <elprops/substance.hpp>
#include <elprops/text.hpp>
#include <elprops/validity.hpp>
#include <mutex>

#include "cli/batch/batch.h"
#include "model/correlations.h"
#include "tests/cli/csv_table.h"
#include "tests/cli/published_points.h"
#include "tests/cli/text_lines.h"

namespace elprops::cli {
namespace {

using testing::CsvTable;
using testing::Lines;

struct Captured {
  std::string text;
  std::size_t pieces = 0;
};

BatchOutcome RunOn(std::string_view input, Format format, Captured& captured) {
  MemorySource source(input);
  OutputBuffer out([&captured](std::string_view data) {
    captured.text += data;
    ++captured.pieces;
    return true;
  });
  return RunBatch(source, format, out);
}

// Unquoted cells only; error cells are compared as whole line endings.
std::vector<std::string> Cells(const std::string& line, std::size_t count) {
  std::vector<std::string> cells;
  std::size_t pos = 0;
  for (std::size_t k = 0; k + 1 < count; ++k) {
    const std::size_t comma = line.find(',', pos);
    cells.push_back(line.substr(pos, comma - pos));
    pos = comma + 1;
  }
  cells.push_back(line.substr(pos));
  return cells;
}

std::uint32_t Bits(const std::string& text) {
  float v = -1.0f;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  EXPECT_EQ(r.ptr, text.data() + text.size()) << text;
  return std::bit_cast<std::uint32_t>(v);
}

// The numbers of a computed row read back to the model's own singles.
void ExpectComputed(const std::vector<std::string>& cells, std::uint8_t substance, float x, float t) {
  const model::SubstanceTables tables = model::MakeSubstanceTables();
  model::PropertySet p;
  float limit = 0.0f;
  ASSERT_TRUE(model::ComputeProperties(tables, substance, x, t, limit, p).ok());
  ASSERT_EQ(cells.size(), 10u);
  EXPECT_EQ(Bits(cells[1]), std::bit_cast<std::uint32_t>(x));
  EXPECT_EQ(Bits(cells[2]), std::bit_cast<std::uint32_t>(t));
  EXPECT_EQ(Bits(cells[3]), std::bit_cast<std::uint32_t>(p.Density));
  EXPECT_EQ(Bits(cells[4]), std::bit_cast<std::uint32_t>(p.Viscosity));
  EXPECT_EQ(Bits(cells[5]), std::bit_cast<std::uint32_t>(p.SurfaceTension));
  EXPECT_EQ(Bits(cells[6]), std::bit_cast<std::uint32_t>(p.HeatCapacity));
  EXPECT_EQ(Bits(cells[7]), std::bit_cast<std::uint32_t>(p.ThermalConductivity));
  EXPECT_EQ(cells[8], "");
}

// The published digits of a worked example in a computed row; fails for a
// point that was not published.
void ExpectPublished(const std::vector<std::string>& cells, std::uint8_t substance, float x, float t) {
  ASSERT_EQ(cells.size(), 10u);
  EXPECT_TRUE(testing::ExpectPublishedDigits({cells[3], cells[4], cells[5], cells[6], cells[7]}, substance, x, t))
      << "not a published point";
}

TEST(Batch, GoodAndBadRowsInInputOrder) {
  Captured c;
  const BatchOutcome o = RunOn(
      "substance,concentration,temperature\n"
      "NaCl,0.1,20\n"
      "K2CO3,0.99,20\n"
      "H2O,,100\n"
      "NaCl,0.1,270\n"
      "unobtainium,0.1,20\n",
      Format::Csv, c);
  EXPECT_EQ(o.exitStatus, kExitPointFailed);
  EXPECT_EQ(o.points, 5u);
  EXPECT_EQ(o.failed, 3u);
  EXPECT_EQ(o.messages, (std::vector<std::string>{"3 of 5 rows were not computed (see the error column)"}));
  const std::vector<std::string> lines = Lines(c.text);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0],
            "substance,concentration,temperature,density,viscosity,surface_tension,heat_capacity,"
            "thermal_conductivity,error,warning");
  EXPECT_EQ(lines[1].substr(0, 5), "NaCl,");
  ExpectComputed(Cells(lines[1], 10), 17, 0.1f, 20.0f);
  ExpectPublished(Cells(lines[1], 10), 17, 0.1f, 20.0f);
  EXPECT_EQ(lines[2],
            "K2CO3,0.99,20,,,,,,arithmetic error: value beyond the single-precision range in surface tension factor,");
  EXPECT_EQ(lines[3].substr(0, 12), "H2O,0,100,95");
  ExpectComputed(Cells(lines[3], 10), 19, 0.0f, 100.0f);
  ExpectPublished(Cells(lines[3], 10), 19, 0.0f, 100.0f);
  EXPECT_EQ(lines[4],
            "NaCl,0.1,270,,,,,,temperature 270 °C is outside the range: above 0 °C and below 270 °C; 270 °C and above "
            "are not covered,");
  EXPECT_EQ(lines[5],
            "unobtainium,0.1,20,,,,,,\"unknown substance \"\"unobtainium\"\": give its index 1 to 19, its formula "
            "(NaCl) or its name (sodium chloride)\",");
}

// Read back with an independent CSV reader and looked up by column name:
// every record has the header's cells; a computed row has numbers and an
// empty error, a refused or failing row empty property cells and the
// reason under "error".
TEST(Batch, EveryCsvRecordHasTheHeadersCells) {
  Captured c;
  RunOn(
      "substance,concentration,temperature\n"
      "NaCl,0.1,20\n"
      "K2CO3,0.99,20\n"
      "NaCl,0.1,270\n"
      "H2O,0.5,20\n"
      "CaCl2,0.3,60\n"
      "unobtainium,0.1,20\n",
      Format::Csv, c);
  const CsvTable table(c.text);
  ASSERT_EQ(table.Error(), "");
  ASSERT_EQ(table.RowCount(), 6u);
  ASSERT_EQ(table.Records()[0].size(), 10u);
  const bool computed[6] = {true, false, false, false, true, false};
  for (std::size_t row = 0; row < 6; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(table.FieldCount(row), 10u);
    const std::string error = table.Get(row, "error").value_or("<missing>");
    for (const char* column : {"density", "viscosity", "surface_tension", "heat_capacity", "thermal_conductivity"}) {
      const std::string cell = table.Get(row, column).value_or("<missing>");
      if (computed[row]) {
        float v = 0.0f;
        const auto r = std::from_chars(cell.data(), cell.data() + cell.size(), v);
        EXPECT_TRUE(r.ec == std::errc() && r.ptr == cell.data() + cell.size()) << column << " \"" << cell << '"';
      } else {
        EXPECT_EQ(cell, "") << column;
      }
    }
    if (computed[row]) {
      EXPECT_EQ(error, "");
    } else {
      EXPECT_NE(error, "");
      EXPECT_NE(error, "<missing>");
    }
  }
  EXPECT_EQ(table.Get(1, "error"),
            "arithmetic error: value beyond the single-precision range in surface tension factor");
  EXPECT_EQ(table.Get(5, "substance"), "unobtainium");
  EXPECT_EQ(table.Get(2, "temperature"), "270");
}

TEST(Batch, ARowThatIsNotAPointGetsItsOwnRowAndTheRunGoesOn) {
  constexpr std::string_view input =
      "substance,concentration,temperature\n"
      "NaCl,0.1,20\n"
      "NaCl,zero,20\n"
      "KCl,0.2\n"
      "substance,concentration,temperature\n"
      "nacl,\"0,1\",hot\n"
      "NaCl,0.1,20\n";
  Captured csv;
  const BatchOutcome o = RunOn(input, Format::Csv, csv);
  EXPECT_EQ(o.exitStatus, kExitPointFailed);
  EXPECT_EQ(o.points, 6u);
  EXPECT_EQ(o.failed, 4u);
  EXPECT_EQ(o.messages, (std::vector<std::string>{"4 of 6 rows were not computed (see the error column)"}));
  const std::vector<std::string> lines = Lines(csv.text);
  ASSERT_EQ(lines.size(), 7u);
  ExpectComputed(Cells(lines[1], 10), 17, 0.1f, 20.0f);
  EXPECT_EQ(lines[2], "NaCl,zero,20,,,,,,\"line 3: concentration \"\"zero\"\" is not a number\",");
  EXPECT_EQ(lines[3], "KCl,0.2,,,,,,,\"line 4: expected 3 cells (substance,concentration,temperature), found 2\",");
  EXPECT_EQ(lines[4],
            "substance,concentration,temperature,,,,,,line 5: the header line again (were two inputs joined?); it is "
            "not a point,");
  // The cells of a row that cannot be read are echoed as given.
  EXPECT_EQ(lines[5], "NaCl,\"0,1\",hot,,,,,,\"line 6: temperature \"\"hot\"\" is not a number\",");
  ExpectComputed(Cells(lines[6], 10), 17, 0.1f, 20.0f);
  ExpectPublished(Cells(lines[6], 10), 17, 0.1f, 20.0f);

  Captured json;
  RunOn(input, Format::Json, json);
  const std::vector<std::string> objects = Lines(json.text);
  ASSERT_EQ(objects.size(), 6u);
  EXPECT_EQ(objects[1],
            "{\"substance\":\"NaCl\",\"concentration\":\"zero\",\"temperature\":20,\"density\":null,\"viscosity\":null,"
            "\"surface_tension\":null,\"heat_capacity\":null,\"thermal_conductivity\":null,\"error\":\"line 3: "
            "concentration \\\"zero\\\" is not a number\",\"warning\":null}");
  EXPECT_TRUE(objects[2].starts_with("{\"substance\":\"KCl\",\"concentration\":0.2,\"temperature\":null,"))
      << objects[2];
}

// A row names its substance in any way the library takes: each row below is
// sodium chloride, written by its formula.
TEST(Batch, EveryNameTheLibraryTakesIsTheSameSubstance) {
  Captured c;
  const BatchOutcome o = RunOn(
      "substance,concentration,temperature\n"
      "NaCl,0.1,20\n"
      "17,0.1,20\n"
      " nacl ,0.1,20\n"
      "sodium chloride,0.1,20\n"
      "Sodium Chloride,0.1,20\n"
      "НАТРИЯ ХЛОРИД,0.1,20\n",
      Format::Csv, c);
  EXPECT_EQ(o.exitStatus, kExitOk);
  const std::vector<std::string> lines = Lines(c.text);
  ASSERT_EQ(lines.size(), 7u);
  ExpectPublished(Cells(lines[1], 10), 17, 0.1f, 20.0f);
  for (std::size_t k = 2; k < lines.size(); ++k) EXPECT_EQ(lines[k], lines[1]) << "row " << k;
}

// A source that gives its bytes, then fails.
class FailingSource final : public ByteSource {
 public:
  explicit FailingSource(std::string_view data) : data_(data) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, data_.size());
    std::memcpy(buffer, data_.data(), n);
    data_.remove_prefix(n);
    failed_ = n == 0;
    return n;
  }
  [[nodiscard]] bool Failed() const override { return failed_; }
  [[nodiscard]] int ErrorNumber() const override { return failed_ ? EIO : 0; }

 private:
  std::string_view data_;
  bool failed_ = false;
};

TEST(Batch, OnlyAnUnreadableInputStopsTheRun) {
  FailingSource source("substance,concentration,temperature\nNaCl,0.1,20\nNaCl,x,20\n");
  Captured c;
  OutputBuffer out([&c](std::string_view data) {
    c.text += data;
    return true;
  });
  const BatchOutcome o = RunBatch(source, Format::Csv, out);
  EXPECT_EQ(o.exitStatus, kExitUsage);
  EXPECT_EQ(o.points, 2u);
  EXPECT_EQ(Lines(c.text).size(), 3u);
  EXPECT_EQ(o.messages, (std::vector<std::string>{"cannot read the input after line 3: Input/output error"}));
}

TEST(Batch, JsonLinesCarryTheSameFields) {
  Captured c;
  const BatchOutcome o =
      RunOn("substance,concentration,temperature\n17,0.1,20\nh2o,0,20\nNaCl,2,20\n", Format::Json, c);
  EXPECT_EQ(o.exitStatus, kExitPointFailed);
  const std::vector<std::string> lines = Lines(c.text);
  ASSERT_EQ(lines.size(), 3u);
  // Turn a computed object into the CSV cells and check the numbers.
  for (std::size_t k = 0; k < 2; ++k) {
    std::vector<std::string> cells;
    for (const char* name :
         {"\"substance\":", "\"concentration\":", "\"temperature\":", "\"density\":", "\"viscosity\":",
          "\"surface_tension\":", "\"heat_capacity\":", "\"thermal_conductivity\":", "\"error\":", "\"warning\":"}) {
      const std::size_t at = lines[k].find(name);
      ASSERT_NE(at, std::string::npos) << name;
      const std::size_t from = at + std::strlen(name);
      cells.push_back(lines[k].substr(from, lines[k].find_first_of(",}", from) - from));
    }
    EXPECT_EQ(cells[8], "null");
    // Neither point is beyond the solubility or the boiling point.
    EXPECT_EQ(cells[9], "null");
    cells[8] = "";
    ExpectComputed(cells, k == 0 ? 17 : 19, k == 0 ? 0.1f : 0.0f, 20.0f);
    ExpectPublished(cells, k == 0 ? 17 : 19, k == 0 ? 0.1f : 0.0f, 20.0f);
  }
  EXPECT_EQ(lines[2],
            "{\"substance\":\"NaCl\",\"concentration\":2,\"temperature\":20,\"density\":null,\"viscosity\":null,"
            "\"surface_tension\":null,\"heat_capacity\":null,\"thermal_conductivity\":null,\"error\":"
            "\"concentration 2 is not between 0 and 1 (both excluded)\",\"warning\":null}");
}

// Generates a long input on demand and checks, when asked for more input,
// that the rows of the input read so far have already been written.
class GeneratedPoints final : public ByteSource {
 public:
  GeneratedPoints(std::size_t points, const Captured& output) : remaining_(points), output_(output) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    ++reads_;
    if (reads_ > 2 && output_.text.empty()) streamed_ = false;
    std::size_t n = 0;
    if (!headerSent_) {
      constexpr std::string_view header = "substance,concentration,temperature\n";
      std::memcpy(buffer, header.data(), header.size());
      n = header.size();
      headerSent_ = true;
    }
    constexpr std::string_view row = "CaCl2,0.3,60\n";
    while (remaining_ > 0 && size - n >= row.size()) {
      std::memcpy(buffer + n, row.data(), row.size());
      n += row.size();
      --remaining_;
    }
    return n;
  }
  [[nodiscard]] bool Streamed() const { return streamed_; }
  [[nodiscard]] std::size_t Reads() const { return reads_; }

 private:
  std::size_t remaining_;
  const Captured& output_;
  std::size_t reads_ = 0;
  bool headerSent_ = false;
  bool streamed_ = true;
};

TEST(Batch, StreamsLongInputs) {
  Captured c;
  std::size_t rows = 0;
  std::size_t bytes = 0;
  GeneratedPoints source(100000, c);
  OutputBuffer out([&](std::string_view data) {
    // Count, and keep only the beginning, so memory stays small here too.
    for (const char ch : data) rows += ch == '\n' ? 1 : 0;
    bytes += data.size();
    if (c.text.size() < 400) c.text += data.substr(0, 400 - c.text.size());
    ++c.pieces;
    return true;
  });
  const BatchOutcome o = RunBatch(source, Format::Csv, out);
  EXPECT_EQ(o.exitStatus, kExitOk);
  EXPECT_EQ(o.points, 100000u);
  EXPECT_EQ(rows, 100001u);
  EXPECT_GT(source.Reads(), 3u);
  EXPECT_TRUE(source.Streamed());
  EXPECT_GT(c.pieces, 3u);
  const std::vector<std::string> lines = Lines(c.text);
  ASSERT_GE(lines.size(), 2u);
  ExpectComputed(Cells(lines[1], 10), 11, 0.3f, 60.0f);
  ExpectPublished(Cells(lines[1], 10), 11, 0.3f, 60.0f);
}

// A sweep over more neighbouring temperatures than a worker's warning
// table keeps: around 100 °C (where the boiling warning starts) and where
// each text names its own temperature, every row has the warnings that
// compute() gives its point alone.
TEST(Batch, AFineTemperatureSweepKeepsEachPointsWarnings) {
  // Each side: over 65,536 temperatures in all, enough for the table to be
  // set aside and taken up again.
  constexpr int kSteps = 40000;
  std::vector<float> temperatures(2 * kSteps + 1, 100.0f);
  for (int k = 1; k <= kSteps; ++k) {
    temperatures[kSteps - k] = std::nextafter(temperatures[kSteps - k + 1], 0.0f);
    temperatures[kSteps + k] = std::nextafter(temperatures[kSteps + k - 1], 200.0f);
  }
  std::string input = "substance,concentration,temperature\n";
  for (const float t : temperatures) input += "NaCl,0.3," + shortest_text(t) + "\n";
  MemorySource source(input);
  Captured c;
  OutputBuffer out([&c](std::string_view data) {
    c.text += data;
    return true;
  });
  ASSERT_EQ(RunBatch(source, Format::Csv, out, nullptr, {}, 1).points, temperatures.size());
  const std::vector<std::string> lines = Lines(c.text);
  ASSERT_EQ(lines.size(), temperatures.size() + 1);
  const substance_id nacl = find_substance("NaCl")->id();
  std::size_t warned = 0;
  for (std::size_t k = 0; k < temperatures.size(); ++k) {
    const result alone = compute(nacl, 0.3, temperatures[k], concentration_unit::mass_fraction);
    ASSERT_TRUE(alone.has_value());
    const std::string text = join_warnings(alone->warnings);
    const std::string& line = lines[k + 1];
    warned += text.empty() ? 0 : 1;
    const bool matches =
        text.empty() ? line.ends_with(",") : line.ends_with("," + text) || line.ends_with(",\"" + text + "\"");
    ASSERT_TRUE(matches) << "at " << shortest_text(temperatures[k]) << ": " << line << "\nexpected: " << text;
  }
  EXPECT_GT(warned, temperatures.size() / 3);
}

// A program at the other end of two pipes: it writes one row, waits for
// that row's answer, then writes the next. Its input never has more ready.
class Conversation final : public ByteSource {
 public:
  explicit Conversation(std::size_t rows) : rows_(rows) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    std::string_view text = given_ == 0 ? "substance,concentration,temperature\nNaCl,0.1,20\n" : "KCl,0.2,30\n";
    if (given_ == rows_ || size < text.size()) return 0;
    if (given_ > 0) {
      std::unique_lock lock(mutex_);
      // Without the answer the real program would wait for ever.
      if (!answered_.wait_for(lock, std::chrono::seconds(5), [&] { return rows_answered_ >= given_; })) {
        unanswered_ = true;
        return 0;
      }
    }
    ++given_;
    std::memcpy(buffer, text.data(), text.size());
    return text.size();
  }
  bool Ready() override { return false; }
  void Answered(std::string_view data) {
    const std::lock_guard lock(mutex_);
    rows_answered_ += static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n'));
    answered_.notify_all();
  }
  bool unanswered_ = false;

 private:
  std::size_t rows_;
  std::size_t given_ = 0;
  std::mutex mutex_;
  std::condition_variable answered_;
  std::size_t rows_answered_ = 0;  // the header counts as the first row's line
};

TEST(Batch, EachRowIsAnsweredBeforeTheNextIsAwaited) {
  for (const unsigned jobs : {1u, 2u}) {
    Conversation source(4);
    std::string text;
    OutputBuffer out([&](std::string_view data) {
      text += data;
      source.Answered(data);
      return true;
    });
    const BatchOutcome o = RunBatch(source, Format::Csv, out, nullptr, {}, jobs);
    EXPECT_FALSE(source.unanswered_) << jobs << " jobs";
    EXPECT_EQ(o.points, 4u) << jobs << " jobs";
    EXPECT_EQ(Lines(text).size(), 5u) << jobs << " jobs";
  }
}

// A sink that takes `accepted` pieces, then fails with ENOSPC.
OutputBuffer::Sink FailingSink(std::string& text, int accepted) {
  return [&text, accepted, calls = 0](std::string_view data) mutable {
    if (calls++ >= accepted) {
      errno = ENOSPC;
      return false;
    }
    text += data;
    return true;
  };
}

// Gives an endless input and counts how often it was asked.
class EndlessPoints final : public ByteSource {
 public:
  std::size_t Read(char* buffer, std::size_t size) override {
    ++reads_;
    std::string_view chunk = reads_ == 1 ? "substance,concentration,temperature\n" : "NaCl,0.1,20\n";
    std::size_t n = 0;
    while (size - n >= chunk.size()) {
      std::memcpy(buffer + n, chunk.data(), chunk.size());
      n += chunk.size();
      if (reads_ == 1) break;
    }
    return n;
  }
  std::size_t reads_ = 0;
};

TEST(Batch, AFailedWriteIsReportedWithItsReasonAndEndsTheRead) {
  for (const int accepted : {0, 1, 3}) {
    SCOPED_TRACE(accepted);
    EndlessPoints source;
    std::string text;
    OutputBuffer out(FailingSink(text, accepted), 4096);
    const BatchOutcome o = RunBatch(source, Format::Csv, out);
    EXPECT_EQ(o.exitStatus, kExitUsage);
    EXPECT_EQ(o.messages, (std::vector<std::string>{"cannot write the results: No space left on device"}));
    // Reading stopped at the failure: no more than one read after it.
    EXPECT_LE(source.reads_, static_cast<std::size_t>(accepted) + 2);
    EXPECT_TRUE(text.empty() || text.ends_with('\n'));
  }
}

// Asks the run to stop when the input is read for the `at`-th time.
class StoppingSource final : public ByteSource {
 public:
  StoppingSource(std::atomic<int>& stop, std::size_t at) : stop_(stop), at_(at) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    if (++reads_ == at_) stop_.store(SIGTERM);
    constexpr std::string_view header = "substance,concentration,temperature\n";
    if (reads_ == 1) {
      std::memcpy(buffer, header.data(), header.size());
      return header.size();
    }
    // Ends in the middle of a row, as a pipe may.
    constexpr std::string_view rows = "KCl,0.1,20\nKCl,0.2,2";
    const std::size_t n = std::min(size, rows.size());
    std::memcpy(buffer, rows.data(), n);
    return n;
  }

 private:
  std::atomic<int>& stop_;
  std::size_t at_;
  std::size_t reads_ = 0;
};

TEST(Batch, AStopRequestEndsTheRunAfterAWholeRow) {
  std::atomic<int> stop{0};
  StoppingSource source(stop, 3);
  std::string text;
  OutputBuffer out([&text](std::string_view data) {
    text += data;
    return true;
  });
  const BatchOutcome o = RunBatch(source, Format::Csv, out, &stop);
  EXPECT_EQ(o.exitStatus, 128 + SIGTERM);
  EXPECT_EQ(o.points, 1u);
  EXPECT_EQ(o.messages,
            (std::vector<std::string>{"stopped by SIGTERM after 1 rows; the output ends with a whole row"}));
  // The header and the one whole row; the half row "KCl,0.2,2" is not
  // taken for a point at 2 degrees.
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 2u) << text;
  EXPECT_TRUE(lines[1].starts_with("KCl,0.1,20,")) << lines[1];
  EXPECT_TRUE(text.ends_with('\n'));
}

TEST(OutputRows, OnlyWholeRowsReachTheSink) {
  std::vector<std::string> pieces;
  {
    OutputBuffer out(
        [&pieces](std::string_view data) {
          pieces.emplace_back(data);
          return true;
        },
        64);
    for (int k = 0; k < 10; ++k) {
      out.Append("row " + std::to_string(k) + " " + std::string(20, 'x') + "\n");
      out.EndRow();
    }
    // A row longer than the buffer is kept whole.
    out.Append(std::string(150, 'y'));
    out.Append('\n');
    out.EndRow();
    // An unfinished row is never written.
    out.Append("half");
  }
  ASSERT_FALSE(pieces.empty());
  std::string all;
  for (const std::string& piece : pieces) {
    EXPECT_TRUE(piece.ends_with('\n')) << piece;
    all += piece;
  }
  EXPECT_TRUE(all.ends_with(std::string(150, 'y') + "\n"));
  EXPECT_EQ(Lines(all).size(), 11u);
  EXPECT_GT(pieces.size(), 2u);
}

TEST(OutputRows, TheSinksReasonIsKept) {
  std::string text;
  OutputBuffer out(FailingSink(text, 0));
  out.Append("a\n");
  out.EndRow();
  EXPECT_FALSE(out.Flush());
  EXPECT_TRUE(out.Failed());
  EXPECT_EQ(out.ErrorNumber(), ENOSPC);
}

}  // namespace
}  // namespace elprops::cli
