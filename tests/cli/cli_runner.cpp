#include "tests/cli/cli_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace elprops::cli::testing {
namespace {

// The longest a test waits for output.
constexpr int kReadSeconds = 60;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string MakeTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/elprops-cli-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

// The environment of the child: this one with the regional settings
// replaced.
std::vector<std::string> ChildEnvironment(const std::string& locale) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    if (entry.starts_with("LC_") || entry.starts_with("LANG=") || entry.starts_with("LANGUAGE=")) continue;
    env.emplace_back(entry);
  }
  env.push_back("LC_ALL=" + locale);
  env.push_back("LANG=" + locale);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (auto& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

// Signal dispositions and mask of the child: SIGPIPE (and the stop
// signals) as the default says, or SIGPIPE ignored, whatever the test
// process does.
class SpawnAttributes {
 public:
  explicit SpawnAttributes(bool ignoreBrokenPipe) {
    posix_spawnattr_init(&attr_);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    if (!ignoreBrokenPipe) sigaddset(&defaults, SIGPIPE);
    sigset_t mask;
    sigemptyset(&mask);
    posix_spawnattr_setsigdefault(&attr_, &defaults);
    posix_spawnattr_setsigmask(&attr_, &mask);
    posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    // An ignored signal stays ignored across exec; the test process
    // ignores SIGPIPE itself, so that writing to a child that has ended
    // does not end it.
    std::signal(SIGPIPE, SIG_IGN);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  posix_spawnattr_t* Get() { return &attr_; }

 private:
  posix_spawnattr_t attr_;
};

void Collect(int status, CliRun& run) {
  run.signalled = WIFSIGNALED(status);
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TempFile::TempFile(const std::string& contents) : dir_(MakeTempDir()), path_(dir_ + "/input.csv") {
  std::ofstream(path_, std::ios::binary) << contents;
}

TempFile::~TempFile() {
  std::remove(path_.c_str());
  rmdir(dir_.c_str());
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& input, const std::string& locale) {
  CliStreams streams;
  streams.input = input;
  streams.locale = locale;
  return RunCli(args, streams);
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& input, const std::string& locale,
              const std::string& outputPath) {
  CliStreams streams;
  streams.input = input;
  streams.locale = locale;
  streams.outputPath = outputPath;
  return RunCli(args, streams);
}

CliRun RunCli(const std::vector<std::string>& args, const CliStreams& streams) {
  const std::string dir = MakeTempDir();
  const std::string inPath = dir + "/stdin";
  const std::string outPath = dir + "/stdout";
  const std::string errPath = dir + "/stderr";
  std::ofstream(inPath, std::ios::binary) << streams.input;

  std::vector<std::string> argStore{ELPROPS_CLI_PROGRAM};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv = Pointers(argStore);
  std::vector<std::string> envStore = ChildEnvironment(streams.locale);
  std::vector<char*> envp = Pointers(envStore);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (streams.closeInput) {
    posix_spawn_file_actions_addclose(&actions, 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  }
  if (streams.closeOutput) {
    posix_spawn_file_actions_addclose(&actions, 1);
  } else if (!streams.outputPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, streams.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  SpawnAttributes attributes(false);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, attributes.Get(), argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  CliRun run;
  if (spawned == 0) {
    // A program that runs away fails the test instead of hanging it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(streams.timeoutSeconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Collect(status, run);
    run.out = Slurp(outPath);
    run.err = Slurp(errPath);
  } else {
    run.err = std::string("cannot start the program: ") + std::strerror(spawned);
  }
  std::remove(inPath.c_str());
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  rmdir(dir.c_str());
  return run;
}

PipedCli::PipedCli(const std::vector<std::string>& args, bool ignoreBrokenPipe)
    : dir_(MakeTempDir()), errPath_(dir_ + "/stderr") {
  int in[2];
  int out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> argStore{ELPROPS_CLI_PROGRAM};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv = Pointers(argStore);
  std::vector<std::string> envStore = ChildEnvironment("C.UTF-8");
  std::vector<char*> envp = Pointers(envStore);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  SpawnAttributes attributes(ignoreBrokenPipe);
  const int spawned = posix_spawn(&pid_, argv[0], &actions, attributes.Get(), argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  input_ = in[1];
  output_ = out[0];
  if (spawned != 0) throw std::runtime_error(std::string("cannot start the program: ") + std::strerror(spawned));
}

PipedCli::~PipedCli() {
  CloseInput();
  CloseOutput();
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  std::remove(errPath_.c_str());
  rmdir(dir_.c_str());
}

bool PipedCli::Write(std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(input_, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void PipedCli::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

void PipedCli::CloseOutput() {
  if (output_ >= 0) close(output_);
  output_ = -1;
}

bool PipedCli::ReadLines(std::string& text, std::size_t count) {
  std::size_t lines = 0;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  char buffer[65536];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kReadSeconds);
  while (lines < count) {
    // A program that does not answer fails the test instead of hanging it.
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    pollfd ready{output_, POLLIN, 0};
    if (left <= 0) return false;
    const int polled = poll(&ready, 1, static_cast<int>(left));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return false;
    const ssize_t n = read(output_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    for (ssize_t k = 0; k < n; ++k) lines += buffer[k] == '\n' ? 1 : 0;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

void PipedCli::ReadToEnd(std::string& text) { ReadLines(text, static_cast<std::size_t>(-1)); }

void PipedCli::Signal(int signal) { kill(pid_, signal); }

bool PipedCli::Wait(int seconds, CliRun& run) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      Collect(status, run);
      run.err = Slurp(errPath_);
      return true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      run.err = Slurp(errPath_);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace elprops::cli::testing
