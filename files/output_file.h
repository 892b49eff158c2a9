// The one way the programs write an output file they are given by name.
//
// "-" is standard output. A FIFO, a character device or a socket is written
// in place: it is never replaced or removed. A symbolic link is followed to
// the file it names. A regular file (or a name not yet taken) is written
// under a temporary name in the folder of that file, synced to disk and
// renamed over it only when every byte was written: a failure leaves the
// older file as it was and no part of the new one anywhere. A folder is
// refused (EISDIR), and so is a block device. The names /dev/stdout,
// /dev/stderr and /dev/fd/1 (and 2) are the standard streams, written in
// place like "-"; other descriptors' names (/dev/fd/63 of "--pdf >(lpr)")
// are links to a FIFO, a device or a file like any other. Nothing the program did not create is ever
// removed. Every write is checked (short writes, a full disk, the file-size
// limit, whose signal is ignored while the output is open).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <string_view>

namespace elprops::files {

class OutputFile {
 public:
  OutputFile() = default;
  // An output neither committed nor abandoned is abandoned.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens the output named by `path`; false with Error() set when it
  // cannot be opened.
  bool Open(const std::string& path);
  // Writes all of `bytes`. After the first failure nothing more is written
  // and every call returns false.
  bool Write(std::string_view bytes);
  // Finishes the output: a temporary file is synced, closed and renamed to
  // its final name. False with Error() set when any step (or an earlier
  // write) failed; the temporary file is then removed.
  bool Commit();
  // Gives up the output: a temporary file is removed; what was written in
  // place stays.
  void Abandon();

  // The system's reason for the first failure ("No space left on device"),
  // or empty.
  [[nodiscard]] const std::string& Error() const { return error_; }
  [[nodiscard]] std::uint64_t Written() const { return written_; }
  // Whether the output is written in place (standard output, a FIFO, a
  // device, a socket) rather than replaced whole.
  [[nodiscard]] bool InPlace() const { return inPlace_; }

 private:
  bool Fail(int error);
  bool Fail(std::string reason);
  bool OpenResolved(const std::string& path, int hops);
  bool OpenInPlace(const std::string& path, mode_t type);
  bool OpenDescriptor(int fd);
  bool OpenReplacement(const std::string& target, const struct stat* existing);
  void Close();

  int fd_ = -1;
  bool ownFd_ = false;  // whether closing is ours to do
  bool inPlace_ = false;
  bool open_ = false;
  std::string target_;     // the final name of a replaced file
  std::string temporary_;  // the temporary file, while it exists
  std::string error_;
  std::uint64_t written_ = 0;
  struct sigaction previousXfsz_ {};
  bool xfszIgnored_ = false;
};

// Writes `bytes` as the whole of the output named by `path`, as OutputFile
// does. Returns an empty text, or the reason it failed.
std::string WriteOutputFile(const std::string& path, std::string_view bytes);

}  // namespace elprops::files
