// Runs the real program for end-to-end tests: given arguments, environment and working folder,
// with the output of both streams captured.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct RunResult {
  int exitCode = -1000;  // the process's exit code as a signed byte (-1 for 255), or -signal-100
  std::string out;
  std::string err;
};

struct RunOptions {
  std::string program;  // defaults to the built ruzozaze
  std::vector<std::string> args;
  std::map<std::string, std::string> env;  // set on top of the test's environment
  std::vector<std::string> unset;          // removed from it ("logging" always is)
  std::string cwd;
};

RunResult RunProgram(const RunOptions& options);

// A command made ready in full before a fork: tests start programs from several threads at once,
// and between fork and exec the child may only make system calls, since another thread may have
// held the allocator's lock at the fork.
class PreparedCommand {
 public:
  explicit PreparedCommand(const RunOptions& options);
  // In the child: the standard streams (input from /dev/null) unless `outFd` is -1, the folder,
  // then the program; exits with 127 when it cannot be started.
  [[noreturn]] void Exec(int outFd = -1, int errFd = -1) const;

 private:
  std::vector<std::string> args_, environment_;
  std::string cwd_;
  std::vector<char*> argv_, envp_;
};

// A fresh folder under the system temporary folder, removed with its content at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Copies the built program into `dir`, its PostgreSQL module beside it, so that its log file
// (named after the program file) is the test's own; returns the copy's path.
std::string CopyProgram(const TempDir& dir);

// The full path of a program found on PATH, or "" when there is none.
std::string FindOnPath(const std::string& name);

std::string ReadFile(const std::string& path);
// How often `what` occurs in `text`, overlapping occurrences included.
size_t CountOf(const std::string& text, const std::string& what);
void WriteFile(const std::string& path, const std::string& content);

}  // namespace testing_support
