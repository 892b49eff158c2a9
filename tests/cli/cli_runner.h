// Runs the command-line program as a child process with given arguments,
// standard input and regional settings, and collects what it wrote.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace elprops::cli::testing {

struct CliRun {
  int exitStatus = -1;  // 128 + the signal when a signal ended it
  bool signalled = false;
  std::string out;
  std::string err;
};

// Where the child's standard streams point.
struct CliStreams {
  std::string input;
  std::string locale = "C.UTF-8";  // LC_ALL and LANG of the child
  bool closeInput = false;         // standard input closed
  bool closeOutput = false;        // standard output closed
  std::string outputPath;          // standard output to this file (e.g. /dev/full)
  int timeoutSeconds = 120;        // then the child is killed
};

// `locale` becomes LC_ALL (and LANG) of the child. A child that has not
// ended after two minutes (or the streams' timeout) is killed (exit status
// 128 + SIGKILL).
CliRun RunCli(const std::vector<std::string>& args, const std::string& input = "",
              const std::string& locale = "C.UTF-8");
CliRun RunCli(const std::vector<std::string>& args, const CliStreams& streams);
// With `outputPath` the child's standard output goes to that file (or
// device) instead of being collected.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input, const std::string& locale,
              const std::string& outputPath);

// The program running with pipes on its standard input and output, for
// tests that talk to it while it runs. Standard error goes to a file.
class PipedCli {
 public:
  // With `ignoreBrokenPipe`, the child starts with SIGPIPE ignored, as
  // some shells and language runtimes start their children.
  explicit PipedCli(const std::vector<std::string>& args, bool ignoreBrokenPipe = false);
  ~PipedCli();
  PipedCli(const PipedCli&) = delete;
  PipedCli& operator=(const PipedCli&) = delete;

  // Writes to the child's standard input; false once the child closed it.
  bool Write(std::string_view data);
  void CloseInput();
  // Closes the reading end of the child's standard output.
  void CloseOutput();
  // Reads what the child wrote until `text` holds `count` line feeds in
  // all, or the output ends, or a minute has passed; true when they came.
  bool ReadLines(std::string& text, std::size_t count);
  // Reads until the end of the output.
  void ReadToEnd(std::string& text);
  void Signal(int signal);
  // Waits up to `seconds` for the child to end; false (and the child
  // killed) when it did not.
  bool Wait(int seconds, CliRun& run);

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string dir_;
  std::string errPath_;
};

// A file in a fresh temporary folder, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::string& contents);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  [[nodiscard]] const std::string& Path() const { return path_; }
  [[nodiscard]] const std::string& Folder() const { return dir_; }

 private:
  std::string dir_;
  std::string path_;
};

}  // namespace elprops::cli::testing
