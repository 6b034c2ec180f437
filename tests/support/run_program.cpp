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

}  // namespace

PreparedCommand::PreparedCommand(const RunOptions& options)
    : args_{options.program.empty() ? RUZOZAZE_BINARY : options.program},
      environment_(ChildEnvironment(options)),
      cwd_(options.cwd) {
  args_.insert(args_.end(), options.args.begin(), options.args.end());
  argv_ = Pointers(args_);
  envp_ = Pointers(environment_);
}

void PreparedCommand::Exec(int outFd, int errFd) const {
  if (outFd >= 0) {
    dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
  }
  if (!cwd_.empty() && chdir(cwd_.c_str()) != 0)
    _exit(127);
  execve(argv_[0], argv_.data(), envp_.data());
  _exit(127);
}

RunResult RunProgram(const RunOptions& options) {
  TempDir capture;
  std::string outPath = capture / "out", errPath = capture / "err";
  PreparedCommand command(options);
  int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  pid_t pid = fork();
  if (pid == 0)
    command.Exec(outFd, errFd);
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
  // The program loads its PostgreSQL store from beside itself.
  std::filesystem::create_symlink(RUZOZAZE_POSTGRES_MODULE, dir / "ruzozaze-postgres.so");
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
