#include "files/output_file.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace elprops::files {
namespace {

// Symbolic links followed before the name counts as a loop, as the system
// counts them.
constexpr int kMostLinks = 40;

// The standard stream that a name such as /dev/stdout or /proc/self/fd/1
// stands for: a link to whatever the stream is open on (a pipe has no name
// to follow), so it is written through the descriptor itself, as "-" is.
std::optional<int> StandardStreamNamed(const std::string& path) {
  for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    const std::string number = std::to_string(fd);
    if (path == "/dev/fd/" + number || path == "/proc/self/fd/" + number) return fd;
  }
  if (path == "/dev/stdout") return STDOUT_FILENO;
  if (path == "/dev/stderr") return STDERR_FILENO;
  return std::nullopt;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where a link leads: its text, taken from the link's folder when relative.
std::optional<std::string> LinkTarget(const std::string& link) {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t length = readlink(link.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      break;
    }
    target.resize(target.size() * 2);
  }
  if (!target.starts_with('/')) target = FolderOf(link) + "/" + target;
  return target;
}

// A name for the temporary file beside `target`, hidden and unlikely to be
// taken: the time, the process and a count, mixed (splitmix64).
std::string TemporaryName(const std::string& target) {
  static unsigned long long counter = 0;
  unsigned long long mix =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<unsigned long long>(getpid()) << 40) ^ ++counter;
  mix = (mix ^ (mix >> 30)) * 0xbf58476d1ce4e5b9ULL;
  mix = (mix ^ (mix >> 27)) * 0x94d049bb133111ebULL;
  mix ^= mix >> 31;
  char suffix[17];
  std::snprintf(suffix, sizeof suffix, "%016llx", mix);
  return FolderOf(target) + "/." + NameOf(target) + "." + std::string(suffix, 12);
}

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::Fail(int error) { return Fail(std::strerror(error)); }

bool OutputFile::Fail(std::string reason) {
  if (error_.empty()) error_ = std::move(reason);
  return false;
}

bool OutputFile::Open(const std::string& path) {
  Abandon();
  error_.clear();
  written_ = 0;
  inPlace_ = false;
  // A write beyond the file-size limit (ulimit -f) then fails with "File
  // too large" instead of ending the program, so that it can be reported.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  xfszIgnored_ = sigaction(SIGXFSZ, &ignore, &previousXfsz_) == 0;
  if (path.empty()) return Fail(ENOENT);
  const bool opened = path == "-" ? OpenDescriptor(STDOUT_FILENO) : OpenResolved(path, 0);
  if (!opened) {
    Close();
    return false;
  }
  open_ = true;
  return true;
}

bool OutputFile::OpenResolved(const std::string& path, int hops) {
  if (const std::optional<int> fd = StandardStreamNamed(path)) return OpenDescriptor(*fd);
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) {
    if (errno == ENOENT) return OpenReplacement(path, nullptr);
    return Fail(errno);
  }
  if (S_ISLNK(status.st_mode)) {
    // A link that ends at a FIFO or a device is opened as it is: the name
    // such a link holds may be no path at all (/dev/fd/63 of the shell's
    // "--pdf >(lpr)" holds "pipe:[...]").
    struct stat followed {};
    if (stat(path.c_str(), &followed) == 0 && (S_ISFIFO(followed.st_mode) || S_ISCHR(followed.st_mode))) {
      return OpenInPlace(path, followed.st_mode & S_IFMT);
    }
    if (hops >= kMostLinks) return Fail(ELOOP);
    const std::optional<std::string> target = LinkTarget(path);
    if (!target) return Fail(errno);
    return OpenResolved(*target, hops + 1);
  }
  if (S_ISDIR(status.st_mode)) return Fail(EISDIR);
  if (S_ISBLK(status.st_mode)) return Fail("it is a block device, which is never written to");
  if (S_ISREG(status.st_mode)) return OpenReplacement(path, &status);
  return OpenInPlace(path, status.st_mode & S_IFMT);
}

bool OutputFile::OpenDescriptor(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return Fail(errno);
  if ((flags & O_ACCMODE) == O_RDONLY) return Fail(EBADF);
  // What the program wrote through the C library goes first.
  if (fd == STDOUT_FILENO && std::fflush(stdout) != 0) return Fail(errno);
  if (fd == STDERR_FILENO) std::fflush(stderr);
  fd_ = fd;
  ownFd_ = false;
  inPlace_ = true;
  return true;
}

// A FIFO or a character device is opened for writing as it is (a FIFO
// waits for its reader); a socket is connected to.
bool OutputFile::OpenInPlace(const std::string& path, mode_t type) {
  if (type == S_IFSOCK) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return Fail(ENAMETOOLONG);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return Fail(errno);
    ownFd_ = true;
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return Fail(errno);
  } else {
    do {
      fd_ = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) return Fail(errno);
    ownFd_ = true;
  }
  inPlace_ = true;
  return true;
}

// A new file beside `target`, with the permissions of the file it is to
// replace (a new name gets those the umask leaves).
bool OutputFile::OpenReplacement(const std::string& target, const struct stat* existing) {
  if (existing != nullptr && access(target.c_str(), W_OK) != 0) return Fail(errno);
  for (unsigned attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    const std::string name = TemporaryName(target);
    fd_ = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd_ >= 0) {
      temporary_ = name;
    } else if (errno != EEXIST) {
      return Fail(errno);
    }
  }
  if (fd_ < 0) return Fail(EEXIST);
  ownFd_ = true;
  target_ = target;
  if (existing != nullptr) {
    // The owner too, where the program may give it (as the superuser); else
    // the file becomes the program's, as any new file would.
    if (geteuid() == 0 && fchown(fd_, existing->st_uid, existing->st_gid) != 0) {
    }
    if (fchmod(fd_, existing->st_mode & 07777) != 0) return Fail(errno);
  }
  return true;
}

bool OutputFile::Write(std::string_view bytes) {
  if (!open_ || !error_.empty()) return Fail(EBADF);
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(errno);
    if (n == 0) return Fail(ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(n));
    written_ += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool OutputFile::Commit() {
  if (!open_) return Fail(EBADF);
  if (!error_.empty()) {
    Abandon();
    return false;
  }
  if (!temporary_.empty()) {
    // The bytes are on the disk before the name is given to them.
    if (fsync(fd_) != 0) Fail(errno);
    const int fd = std::exchange(fd_, -1);
    if (close(fd) != 0 && error_.empty()) Fail(errno);
    if (error_.empty() && rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
    if (!error_.empty()) {
      Abandon();
      return false;
    }
    temporary_.clear();
    const int folder = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      (void)fsync(folder);  // the new name on disk, where the system can tell
      close(folder);
    }
  }
  Close();
  return error_.empty();
}

void OutputFile::Abandon() {
  if (fd_ >= 0 && ownFd_) close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
  Close();
}

void OutputFile::Close() {
  if (fd_ >= 0 && ownFd_ && close(fd_) != 0) Fail(errno);
  fd_ = -1;
  ownFd_ = false;
  open_ = false;
  if (xfszIgnored_) sigaction(SIGXFSZ, &previousXfsz_, nullptr);
  xfszIgnored_ = false;
}

std::string WriteOutputFile(const std::string& path, std::string_view bytes) {
  OutputFile output;
  if (output.Open(path) && output.Write(bytes) && output.Commit()) return {};
  return output.Error();
}

}  // namespace elprops::files
