#include "cli_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace elprops::cli::testing {
namespace {

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

}  // namespace

TempFile::TempFile(const std::string& contents) : dir_(MakeTempDir()), path_(dir_ + "/input.csv") {
  std::ofstream(path_, std::ios::binary) << contents;
}

TempFile::~TempFile() {
  std::remove(path_.c_str());
  rmdir(dir_.c_str());
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& input, const std::string& locale,
              const std::string& outputPath) {
  const std::string dir = MakeTempDir();
  const std::string inPath = dir + "/stdin";
  const std::string outPath = dir + "/stdout";
  const std::string errPath = dir + "/stderr";
  std::ofstream(inPath, std::ios::binary) << input;

  std::vector<std::string> argStore{ELPROPS_CLI_PROGRAM};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> envStore;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    if (entry.starts_with("LC_") || entry.starts_with("LANG=") || entry.starts_with("LANGUAGE=")) continue;
    envStore.emplace_back(entry);
  }
  envStore.push_back("LC_ALL=" + locale);
  envStore.push_back("LANG=" + locale);
  std::vector<char*> envp;
  for (auto& e : envStore) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  const std::string& stdoutPath = outputPath.empty() ? outPath : outputPath;
  posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  CliRun run;
  if (spawned == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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

}  // namespace elprops::cli::testing
