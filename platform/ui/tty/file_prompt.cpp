#include "platform/ui/tty/file_prompt.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/environment.h"
#include "platform/ui/tty/terminal.h"
#include "platform/ui/tty/terminal_text.h"

namespace platform::ui::tty {
namespace {

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string WithHomeFolder(const std::string& name) {
  std::string home;
  if ((name == "~" || name.rfind("~/", 0) == 0) && GetEnvironmentVariable("HOME", &home))
    return home + name.substr(1);
  return name;
}

// Returns an empty text when the name may be opened, else why not.
std::string Refusal(const std::string& name, unsigned flags) {
  struct stat info = {};
  if (stat(name.c_str(), &info) != 0)
    return (flags & OFN_FILEMUSTEXIST) != 0 ? "'" + name + "' does not exist." : "";
  return S_ISDIR(info.st_mode) ? "'" + name + "' is a folder." : "";
}

std::string Absolute(const std::string& name) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(name, error);
  return error ? name : path.lexically_normal().string();
}

std::string Label(const OpenFileRequest& request) {
  size_t index = static_cast<size_t>(std::max(request.filterIndex, 1)) - 1;
  return index < request.filters.size() ? request.filters[index].first : "File";
}

}  // namespace

bool PromptForFile(const OpenFileRequest& request, std::string* path) {
  TerminalInput input;
  if (!input.IsOpen())
    return false;
  std::string prompt = TerminalText(Label(request) + " [" + request.initialFile + "]: ");
  for (;;) {
    WriteAll(STDERR_FILENO, prompt);
    std::string answer;
    if (!input.ReadLine(&answer)) {
      WriteAll(STDERR_FILENO, "\n");
      return false;
    }
    answer = Trimmed(answer);
    std::string name = answer.empty() ? request.initialFile : WithHomeFolder(answer);
    std::string refusal = Refusal(name, request.flags);
    if (refusal.empty()) {
      *path = Absolute(name);
      return true;
    }
    WriteAll(STDERR_FILENO, TerminalText(refusal) + "\n");
  }
}

}  // namespace platform::ui::tty
