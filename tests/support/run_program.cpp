#include "tests/support/run_program.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace testing_support {
namespace {

// The environment of the child: the test's own, without "logging" and `o.unset`, with `o.env`.
std::vector<std::string> ChildEnvironment(const RunOptions& o) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text = *entry;
    size_t equals = text.find('=');
    if (equals != std::string::npos)
      variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  variables.erase("logging");
  for (const auto& name : o.unset)
    variables.erase(name);
  for (const auto& [name, value] : o.env)
    variables[name] = value;
  std::vector<std::string> result;
  for (const auto& [name, value] : variables)
    result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Tests start programs from several threads at once: between fork and exec the child may only
// make system calls, since another thread may have held the allocator's lock at the fork.
[[noreturn]] void ExecChild(const RunOptions& o, int outFd, int errFd, char** argv, char** envp) {
  int in = open(o.stdinFile.c_str(), O_RDONLY | O_CLOEXEC);
  dup2(in, 0);
  dup2(outFd, 1);
  dup2(errFd, 2);
  if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0)
    _exit(127);
  execve(argv[0], argv, envp);
  _exit(127);
}

}  // namespace

RunResult RunProgram(const RunOptions& options) {
  TempDir capture;
  std::string outPath = capture / "out", errPath = capture / "err";
  std::vector<std::string> args{options.program.empty() ? RUZOZAZE_BINARY : options.program};
  args.insert(args.end(), options.args.begin(), options.args.end());
  std::vector<std::string> environment = ChildEnvironment(options);
  std::vector<char*> argv = Pointers(args), envp = Pointers(environment);
  int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  pid_t pid = fork();
  if (pid == 0)
    ExecChild(options, outFd, errFd, argv.data(), envp.data());
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
