// The program that the user-interface tests run on a pseudo-terminal or without one. It chooses
// its backend as the program does (exit code 2 when it cannot), then runs the scenes named on its
// command line, printing "RESULT ..." after each: box (an OK box "hello" captioned "caption"),
// alert (the self-closing box, base caption "BASE"), open (the prompt for a listings file, until
// cancelled), and the progress dialog with a line too long for the terminal, then status lines:
// loop (one a millisecond until cancelled, for a minute at most), burst (20,000 in a second).
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/file_choice.h"
#include "diag/countdown_box.h"
#include "platform/command_line.h"
#include "platform/ui/backend_choice.h"
#include "ui/progress_dialog.h"

namespace {

namespace ui = platform::ui;

void Progress(int lines, std::chrono::microseconds period) {
  CProgressDialog dialog;
  dialog.Create();
  dialog.ShowWindow();
  dialog.AddString((std::string(300, 'x') + "TAIL").c_str());
  auto start = std::chrono::steady_clock::now();
  for (int i = 1; i <= lines && !dialog.IsCancelled(); ++i) {
    std::this_thread::sleep_until(start + i * period);
    dialog.AddString(("Programme " + std::to_string(i)).c_str());
    dialog.AddSubString(("Importing programmes: " + std::to_string(i * 100 / lines) + "%").c_str());
  }
  bool cancelled = dialog.IsCancelled();
  dialog.DestroyWindow();
  printf("RESULT cancelled=%d\n", cancelled ? 1 : 0);
}

}  // namespace

int main(int argc, char** argv) {
  platform::InitCommandLine(argc, argv);
  if (!ui::ChooseBackend())
    return 2;
  for (int i = 1; i < argc; ++i) {
    std::string scene = argv[i];
    if (scene == "loop") {
      Progress(60000, std::chrono::milliseconds(1));
    } else if (scene == "burst") {
      Progress(20000, std::chrono::microseconds(50));
    } else if (scene == "alert") {
      printf("RESULT box=%d\n", CountdownBox::Show("Disk full", "BASE"));
    } else if (scene == "open") {
      std::string path;
      while (ChooseListingsFile(&path)) {
        printf("RESULT path=%s\n", path.c_str());
        fflush(stdout);
      }
      printf("RESULT cancelled\n");
    } else if (scene == "box") {
      printf("RESULT box=%d\n", ui::CurrentBackend().MessageBox("hello", "caption", ui::MB_OK));
    }
    fflush(stdout);
  }
  return 0;
}
