#include "tests/support/run_program.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {
namespace {

[[noreturn]] void ExecChild(const RunOptions& o, int outFd, int errFd) {
  int in = open(o.stdinFile.c_str(), O_RDONLY);
  dup2(in, 0);
  dup2(outFd, 1);
  dup2(errFd, 2);
  if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0)
    _exit(127);
  unsetenv("logging");
  for (const auto& name : o.unset)
    unsetenv(name.c_str());
  for (const auto& [name, value] : o.env)
    setenv(name.c_str(), value.c_str(), 1);
  std::string program = o.program.empty() ? RUZOZAZE_BINARY : o.program;
  std::vector<char*> argv{program.data()};
  std::vector<std::string> args = o.args;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

}  // namespace

RunResult RunProgram(const RunOptions& options) {
  TempDir capture;
  std::string outPath = capture / "out", errPath = capture / "err";
  int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = fork();
  if (pid == 0)
    ExecChild(options, outFd, errFd);
  close(outFd);
  close(errFd);
  int status = 0;
  waitpid(pid, &status, 0);
  RunResult result;
  if (WIFEXITED(status)) {
    result.exitCode = static_cast<signed char>(WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    result.exitCode = -100 - WTERMSIG(status);
  }
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ruzozaze-XXXXXX").string();
  path_ = mkdtemp(pattern.data());
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string CopyProgram(const TempDir& dir) {
  std::string copy = dir / "ruzozaze";
  std::filesystem::copy_file(RUZOZAZE_BINARY, copy);
  return copy;
}

std::string FindOnPath(const std::string& name) {
  const char* path = getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    std::string candidate = folder + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return "";
}

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace testing_support
