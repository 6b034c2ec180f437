// A small program that the user-interface tests run on a pseudo-terminal or without one. It
// chooses its backend as the program does, runs the scenes named on its command line in order
// and prints a "RESULT ..." line after each.
//   loop   the progress dialog, a status line every millisecond until cancelled
//   burst  the progress dialog, a long line, then 100,000 status lines in one second
//   alert  the self-closing box, base caption "BASE"
//   open   file-open prompts in the current folder until cancelled
//   box    an OK box with caption "caption" and text "hello"
// Exits with 2 when the backend cannot be chosen.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "diag/countdown_box.h"
#include "platform/command_line.h"
#include "platform/ui/backend_choice.h"
#include "ui/progress_dialog.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace ui = platform::ui;

void Loop() {
  CProgressDialog dialog;
  dialog.Create();
  dialog.ShowWindow();
  for (int programmes = 0; !dialog.IsCancelled() && programmes < 60000; ++programmes) {
    dialog.AddString(("Programme " + std::to_string(programmes)).c_str());
    dialog.AddSubString(
        ("Importing programmes: " + std::to_string(programmes / 100) + "%").c_str());
    usleep(1000);
  }
  printf("RESULT cancelled=%d\n", dialog.IsCancelled() ? 1 : 0);
}

void Burst() {
  CProgressDialog dialog;
  dialog.Create();
  dialog.ShowWindow();
  dialog.AddString((std::string(300, 'x') + "TAIL").c_str());
  auto start = Clock::now();
  for (int i = 1; i <= 100000; ++i) {
    while (Clock::now() < start + std::chrono::microseconds(10 * i)) {
    }
    dialog.AddString(("Programme " + std::to_string(i)).c_str());
  }
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  dialog.DestroyWindow();
  printf("RESULT elapsed_ms=%lld\n", static_cast<long long>(elapsed.count()));
}

void Open() {
  char folder[4096];
  ui::OpenFileRequest request;
  request.initialFile = std::string(getcwd(folder, sizeof folder)) + "/listings.xml";
  request.filters = {{"XMLTV Listings file (.xml)", "*.xml"}, {"All Files", "*.*"}};
  request.flags = ui::OFN_FILEMUSTEXIST;
  std::string path;
  while (ui::CurrentBackend().GetOpenFileName(request, &path)) {
    printf("RESULT path=%s\n", path.c_str());
    fflush(stdout);
  }
  printf("RESULT cancelled\n");
}

}  // namespace

int main(int argc, char** argv) {
  platform::InitCommandLine(argc, argv);
  if (!ui::ChooseBackend())
    return 2;
  for (int i = 1; i < argc; ++i) {
    std::string scene = argv[i];
    if (scene == "loop") {
      Loop();
    } else if (scene == "burst") {
      Burst();
    } else if (scene == "alert") {
      printf("RESULT box=%d\n", CountdownBox::Show("Disk full", "BASE"));
    } else if (scene == "open") {
      Open();
    } else if (scene == "box") {
      printf("RESULT box=%d\n", ui::CurrentBackend().MessageBox("hello", "caption", ui::MB_OK));
    }
    fflush(stdout);
  }
  return 0;
}
