#include "tests/gui/gui_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace gui_testing {
namespace {

using testing_support::RunOptions;
using testing_support::RunResult;

constexpr double kPollSeconds = 0.1;
constexpr char kTimeout[] = "/usr/bin/timeout";
constexpr char kCommandLimit[] = "10";  // seconds for one xdotool or x_tool call

void Pause(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::chrono::steady_clock::time_point After(double seconds) {
  return std::chrono::steady_clock::now() +
         std::chrono::duration_cast<std::chrono::steady_clock::duration>(
             std::chrono::duration<double>(seconds));
}

bool Before(std::chrono::steady_clock::time_point deadline) {
  return std::chrono::steady_clock::now() < deadline;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty())
      lines.push_back(line);
  }
  return lines;
}

// Reads the display number Xvfb writes to `fd` once it accepts connections.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  auto deadline = After(10);
  while (Before(deadline)) {
    struct pollfd wait = {fd, POLLIN, 0};
    if (poll(&wait, 1, 100) <= 0)
      continue;
    char c;
    if (read(fd, &c, 1) != 1)
      return "";
    if (c == '\n')
      return number;
    number += c;
  }
  return "";
}

int ExitCode(int status) {
  if (WIFEXITED(status))
    return static_cast<signed char>(WEXITSTATUS(status));
  return WIFSIGNALED(status) ? -100 - WTERMSIG(status) : -1000;
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
  std::string xvfb = FindOnPath("Xvfb");
  int fds[2];
  if (xvfb.empty() || pipe(fds) != 0)
    return;
  pid_ = fork();
  if (pid_ == 0) {
    close(fds[0]);
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    std::string fd = std::to_string(fds[1]);
    execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
          "-nolisten", "tcp", nullptr);
    _exit(127);
  }
  close(fds[1]);
  std::string number = ReadDisplayNumber(fds[0]);
  close(fds[0]);
  if (!number.empty())
    name_ = ":" + number;
}

VirtualDisplay::~VirtualDisplay() {
  if (pid_ <= 0)
    return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

BackgroundProgram::BackgroundProgram(const RunOptions& options) {
  std::string out = capture_ / "out", err = capture_ / "err";
  pid_ = fork();
  if (pid_ != 0)
    return;
  int in = open(options.stdinFile.c_str(), O_RDONLY);
  dup2(in, 0);
  dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
  dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
  if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0)
    _exit(127);
  unsetenv("logging");
  for (const auto& name : options.unset)
    unsetenv(name.c_str());
  for (const auto& [name, value] : options.env)
    setenv(name.c_str(), value.c_str(), 1);
  std::vector<std::string> args = options.args;
  std::vector<char*> argv{const_cast<char*>(options.program.c_str())};
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(options.program.c_str(), argv.data());
  _exit(127);
}

BackgroundProgram::~BackgroundProgram() {
  if (pid_ <= 0 || ended_)
    return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

bool BackgroundProgram::IsRunning() {
  if (!ended_ && waitpid(pid_, &status_, WNOHANG) == pid_)
    ended_ = true;
  return !ended_;
}

RunResult BackgroundProgram::Wait(double seconds) {
  auto deadline = After(seconds);
  while (IsRunning() && Before(deadline))
    Pause(kPollSeconds);
  RunResult result;
  if (!ended_)
    return result;
  result.exitCode = ExitCode(status_);
  result.out = testing_support::ReadFile(capture_ / "out");
  result.err = testing_support::ReadFile(capture_ / "err");
  return result;
}

std::vector<std::string> Desktop::Windows(const std::string& nameRegex) {
  return Lines(Xdotool({"search", "--onlyvisible", "--name", nameRegex}).out);
}

std::string Desktop::WaitForWindow(const std::string& nameRegex, double seconds,
                                   const std::string& except) {
  auto deadline = After(seconds);
  do {
    for (const std::string& window : Windows(nameRegex)) {
      if (window != except)
        return window;
    }
    Pause(kPollSeconds);
  } while (Before(deadline));
  return "";
}

bool Desktop::WaitUntilHidden(const std::string& window, double seconds) {
  auto deadline = After(seconds);
  do {
    RunResult state = Xdotool({"search", "--onlyvisible", "--name", ".*"});
    bool visible = false;
    for (const std::string& line : Lines(state.out))
      visible = visible || line == window;
    if (!visible)
      return true;
    Pause(kPollSeconds);
  } while (Before(deadline));
  return false;
}

std::string Desktop::Name(const std::string& window) {
  std::vector<std::string> lines = Lines(Xdotool({"getwindowname", window}).out);
  return lines.empty() ? "" : lines.front();
}

void Desktop::Click(const std::string& window, double x, double y) {
  int width = 0, height = 0;
  for (const std::string& line : Lines(Xdotool({"getwindowgeometry", "--shell", window}).out)) {
    if (line.rfind("WIDTH=", 0) == 0)
      width = std::stoi(line.substr(6));
    if (line.rfind("HEIGHT=", 0) == 0)
      height = std::stoi(line.substr(7));
  }
  Xdotool({"mousemove", "--sync", "--window", window, std::to_string(int(width * x)),
           std::to_string(int(height * y))});
  Xdotool({"click", "1"});
}

void Desktop::Key(const std::string& window, const std::string& keys) {
  Xdotool({"windowfocus", "--sync", window});
  Xdotool({"key", "--clearmodifiers", keys});
}

void Desktop::Type(const std::string& window, const std::string& text) {
  Xdotool({"windowfocus", "--sync", window});
  Xdotool({"type", "--delay", "20", text});
}

void Desktop::Close(const std::string& window) {
  XTool({"close", window});
}

std::string Desktop::Clipboard() {
  return XTool({"clipboard"}).out;
}

bool Desktop::Snapshot(const std::string& window, const std::string& file) {
  return XTool({"snapshot", window, file}).exitCode == 0;
}

RunResult Desktop::Xdotool(const std::vector<std::string>& args) {
  RunOptions options;
  options.program = kTimeout;
  options.args = {kCommandLimit, FindOnPath("xdotool")};
  options.args.insert(options.args.end(), args.begin(), args.end());
  options.env = {{"DISPLAY", display_}};
  return testing_support::RunProgram(options);
}

RunResult Desktop::XTool(const std::vector<std::string>& args) {
  RunOptions options;
  options.program = kTimeout;
  options.args = {kCommandLimit, X_TOOL};
  options.args.insert(options.args.end(), args.begin(), args.end());
  options.env = {{"DISPLAY", display_}, {"NO_AT_BRIDGE", "1"}, {"GSETTINGS_BACKEND", "memory"}};
  return testing_support::RunProgram(options);
}

std::string RegexQuoted(const std::string& text) {
  std::string quoted;
  for (char c : text) {
    if (std::string("\\.^$|?*+()[]{}").find(c) != std::string::npos)
      quoted += '\\';
    quoted += c;
  }
  return quoted;
}

}  // namespace gui_testing
