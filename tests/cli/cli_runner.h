// Runs the command-line program as a child process with given arguments,
// standard input and regional settings, and collects what it wrote.
#pragma once

#include <string>
#include <vector>

namespace elprops::cli::testing {

struct CliRun {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

// `locale` becomes LC_ALL (and LANG) of the child. With `outputPath` the
// child's standard output goes to that file (or device) instead of being
// collected.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input = "",
              const std::string& locale = "C.UTF-8", const std::string& outputPath = "");

// A file in a fresh temporary folder, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::string& contents);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  std::string dir_;
  std::string path_;
};

}  // namespace elprops::cli::testing
