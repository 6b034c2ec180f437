// The real program with its gtk module on a virtual display of its own (Xvfb), its windows seen
// and driven with xdotool as a person would with the mouse and the keyboard: what only a real
// window shows. Skipped where Xvfb or xdotool is not installed.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <iterator>
#include <sstream>
#include <thread>

#include "tests/support/program_fixture.h"

namespace {

using namespace std::chrono_literals;
using testing_support::FindOnPath;
using testing_support::RunResult;

// Time for a window to come up, generous for sanitizer builds on a busy machine.
constexpr double kAppear = 30;
constexpr char kImporting[] = "^Importing XMLTV Data$";
constexpr char kSmallListings[] =
    "<tv><channel id=\"c\"/><programme start=\"20990101000000\" stop=\"20990101010000\" "
    "channel=\"c\"><title>One</title></programme></tv>";

// True once `condition` holds, checked every 100 ms for up to about `seconds`.
template <typename Condition>
bool Eventually(Condition condition, double seconds) {
  for (int tries = seconds * 10; tries >= 0; --tries, std::this_thread::sleep_for(100ms)) {
    if (condition())
      return true;
  }
  return false;
}

class GuiTest : public ProgramTest {
 protected:
  void SetUp() override {
    if (FindOnPath("Xvfb").empty() || FindOnPath("xdotool").empty())
      GTEST_SKIP() << "Xvfb and xdotool are needed for the GUI tests";
    std::filesystem::copy_file(RUZOZAZE_GTK_MODULE, dir / "ruzozaze-gtk.so");
    testing_support::WriteFile(small, kSmallListings);
    // The shell prints its process id, which Xvfb takes over, then Xvfb its display number. Without
    // -noreset the server resets whenever its last client leaves, as each xdotool call does, and
    // a program connecting meanwhile finds no display.
    xvfb = popen(
        "echo $$ && exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset "
        "2>/dev/null",
        "re");
    int number = -1;
    ASSERT_EQ(fscanf(xvfb, "%d %d", &xvfbPid, &number), 2) << "Xvfb did not start";
    display = ":" + std::to_string(number);
  }
  // Without its display the program ends at once, whatever it was doing.
  void TearDown() override {
    StopDisplay();
    if (running.valid())
      running.wait();
    if (feed.valid()) {
      close(open(fifo.c_str(), O_RDONLY | O_NONBLOCK));  // a feed still opening the FIFO ends
      feed.wait();
    }
  }
  void StopDisplay() {
    if (xvfb != nullptr && xvfbPid > 0 && kill(xvfbPid, SIGTERM) == 0)
      pclose(xvfb);
    xvfb = nullptr;
  }

  // Starts `command` (the program when "") in the background on the display, with the gtk
  // backend unless `env` says otherwise.
  std::shared_future<RunResult> Launch(std::vector<std::string> args,
                                       std::map<std::string, std::string> env = {},
                                       const std::string& command = "") {
    env.insert({{"DISPLAY", display},
                {"RUZOZAZE_UI", "gtk"},
                {"XDG_CONFIG_HOME", dir.path()},
                {"NO_AT_BRIDGE", "1"},
                {"GSETTINGS_BACKEND", "memory"},
                {"LSAN_OPTIONS", "suppressions=" RUZOZAZE_SOURCE_DIR "/tests/gui/lsan.supp"}});
    return std::async(std::launch::async, &GuiTest::Start, this,
                      command.empty() ? program : command, args, env)
        .share();
  }
  // The run's result once it ended within `seconds`; exit code -1000 when it still runs.
  RunResult Finish(double seconds) {
    return running.wait_for(std::chrono::duration<double>(seconds)) == std::future_status::ready
               ? running.get()
               : RunResult{};
  }
  // Runs xdotool, or x_tool for what xdotool cannot do, on the display; returns the output.
  std::string X(std::vector<std::string> args, const std::string& tool = FindOnPath("xdotool")) {
    args.insert(args.begin(), {"10", tool});
    return Launch(args, {}, "/usr/bin/timeout").get().out;
  }
  // The visible windows whose name matches, but `except`.
  std::vector<std::string> Windows(const std::string& nameRegex, const std::string& except = "") {
    std::istringstream lines(X({"search", "--onlyvisible", "--name", nameRegex}));
    std::vector<std::string> windows{std::istream_iterator<std::string>(lines), {}};
    std::erase(windows, except);
    return windows;
  }
  // One of them once there was one within `seconds`; "" when none came.
  std::string WaitForWindow(const std::string& nameRegex, double seconds,
                            const std::string& except = "") {
    std::vector<std::string> found;
    Eventually([&] { return !(found = Windows(nameRegex, except)).empty(); }, seconds);
    return found.empty() ? "" : found.front();
  }
  bool WaitUntilHidden(const std::string& window, double seconds) {
    return Eventually([&] { return std::ranges::count(Windows(".*"), window) == 0; }, seconds);
  }
  void Key(const std::string& window, const std::string& keys) {
    X({"windowfocus", "--sync", window, "key", "--clearmodifiers", keys});
  }
  // Starts the import of a generated file of 100,000 programmes (97,600 entries); returns the
  // progress dialog's window once programmes are being stored. The file comes through a FIFO,
  // 64 KiB every 10 ms, so that the import still runs when the test acts, however fast the build
  // is; a cancelled import reads no more of it.
  std::string StartImport() {
    EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    feed = Launch({"-c",
                   "import sys, time\nwith open(sys.argv[1], 'rb') as i, open(sys.argv[2], 'wb') "
                   "as o:\n  for c in iter(lambda: i.read(65536), b''):\n    o.write(c); "
                   "time.sleep(0.01)",
                   GUI_LISTINGS, fifo},
                  {}, FindOnPath("python3"));
    running = Launch({fifo});
    std::string dialog = WaitForWindow(kImporting, kAppear);
    std::this_thread::sleep_for(1500ms);
    return dialog;
  }

  std::string small = work + "/small.xml", fifo = dir / "listings.xml";
  FILE* xvfb = nullptr;
  pid_t xvfbPid = -1;
  std::string display;
  std::shared_future<RunResult> running, feed;
};

using ProgressDialogGuiTest = GuiTest;

// Cancel asks (No is the default and goes on), the close box asks like Cancel, and Yes hides the
// dialog and saves what was imported.
TEST_F(ProgressDialogGuiTest, CancelAndTheCloseBoxAskAndYesSavesWhatWasImported) {
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "");
  std::string geometry = X({"getwindowgeometry", "--shell", dialog});
  int width = std::stoi(geometry.substr(geometry.find("WIDTH=") + 6));
  int height = std::stoi(geometry.substr(geometry.find("HEIGHT=") + 7));
  // The Cancel button's centre in the template, as fractions of the dialog's size.
  X({"mousemove", "--sync", "--window", dialog, std::to_string(width * 115 / 231),
     std::to_string(height * 44 / 58), "click", "1"});
  std::string box = WaitForWindow(kImporting, kAppear, dialog);
  ASSERT_NE(box, "");
  Key(box, "Return");
  EXPECT_TRUE(WaitUntilHidden(box, 10));

  X({"close", dialog}, X_TOOL);
  box = WaitForWindow(kImporting, kAppear, dialog);
  ASSERT_NE(box, "");
  Key(box, "alt+y");
  EXPECT_TRUE(WaitUntilHidden(dialog, 2));
  RunResult run = Finish(60);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  long entries = Count("schedule_entries");
  EXPECT_TRUE(entries > 0 && entries < 97600) << entries;
}

// The X server going away during an import fails the run, which ends at once as after a kill:
// the guide stays as it was before the run.
TEST_F(ProgressDialogGuiTest, ALostDisplayFailsTheRunAndKeepsTheGuide) {
  ASSERT_EQ(Run({small}).exitCode, 0);
  ASSERT_NE(StartImport(), "");
  StopDisplay();
  RunResult run = Finish(30);
  EXPECT_EQ(run.exitCode, -1) << run.err;
  EXPECT_NE(run.err.find("The connection to the display was lost"), std::string::npos) << run.err;
  EXPECT_EQ(Value("SELECT group_concat(slot_key) FROM schedule_entries"),
            "c::20990101000000::20990101010000");
}

// An import whose database cannot be opened (its folder would lie below a file) raises the alert
// "Cannot open EPG database.", its caption counting down before the program's path: left alone
// it closes itself after 15 s; a key stops the count, the box waits, and Ctrl+C copies its text.
// Without RUZOZAZE_UI the program chooses the gtk backend itself: standard input is no terminal,
// the module is beside it and the display opens.
TEST_F(GuiTest, TheAlertCountsDownUntilAKeyIsPressed) {
  testing_support::WriteFile(dir / "file", "");
  for (bool pressed : {false, true}) {
    SCOPED_TRACE(pressed ? "a key pressed" : "left alone");
    running =
        Launch({small}, {{"GLIMMERBOX_EPG_DB", dir / "file/epg.sqlite"}, {"RUZOZAZE_UI", ""}});
    // On a loaded machine the box may come up after its first second.
    std::string box = WaitForWindow("^1[0-5] - " + program + "$", kAppear);
    ASSERT_NE(box, "");
    std::string next = std::to_string(std::stoi(X({"getwindowname", box})) - 1);
    EXPECT_EQ(WaitForWindow("^" + std::string(next.size() < 2, '0') + next + " - ", 3), box);
    if (pressed) {
      Key(box, "ctrl+c");
      EXPECT_EQ(WaitForWindow("^" + program + "$", 3), box);
      EXPECT_EQ(X({"clipboard"}, X_TOOL),
                "Unrecoverable internal error: Cannot open EPG database.\n");
      Key(box, "Return");
    } else {
      EXPECT_EQ(WaitForWindow("^01 - ", 15), box);
      EXPECT_TRUE(WaitUntilHidden(box, 3));
    }
    EXPECT_EQ(Finish(10).exitCode, -1);
  }
}

// The file-open dialog asks for the listings file when the command line names none, or one that
// does not exist: cancelled, it ends the run without a job; a file chosen in it is imported.
TEST_F(GuiTest, TheFileOpenDialogGivesTheFileOrEndsTheRun) {
  running = Launch({"/x", "missing.xml"});
  std::string dialog = WaitForWindow("^Open$", kAppear);
  ASSERT_NE(dialog, "");
  Key(dialog, "Escape");
  EXPECT_EQ(Finish(30).exitCode, 0);
  EXPECT_FALSE(ChannelsFileExists());

  std::string file = std::filesystem::canonical(small).string();
  running = Launch({});
  dialog = WaitForWindow("^Open$", kAppear);
  ASSERT_NE(dialog, "");
  // The location entry opens, and completes a typed name, a moment after the keys.
  Key(dialog, "ctrl+l");
  std::this_thread::sleep_for(1s);
  X({"windowfocus", "--sync", dialog, "type", "--delay", "20", file});
  std::this_thread::sleep_for(1s);
  Key(dialog, "Return");
  RunResult run = Finish(60);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Value("SELECT value FROM metadata WHERE key = 'source_description'"),
            "XMLTV data read from: " + file);
}

// The program never links GTK. Without a terminal and with a display named it loads the module
// beside it, and where no display opens it runs without a user interface unless RUZOZAZE_UI forces
// gtk; a RUZOZAZE_UI it cannot use fails the run and says why.
using GtkModule = ProgramTest;
TEST_F(GtkModule, TheProgramRunsWithoutGtkWhereNoDisplayOpens) {
  std::string libraries = Start(FindOnPath("ldd"), {RUZOZAZE_BINARY}).out;
  EXPECT_EQ(libraries.find("libgtk"), std::string::npos) << libraries;
  const std::string module = dir / "ruzozaze-gtk.so", cannot = "RUZOZAZE_UI=gtk cannot be used: ";
  std::filesystem::copy_file(RUZOZAZE_GTK_MODULE, module);
  Write("small.xml", kSmallListings);
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"gtk", cannot + "no display can be opened.\n"},
      {"curses", "RUZOZAZE_UI=curses cannot be used: it must be gtk, tty or none.\n"}};
  for (const auto& [forced, err] : cases) {
    RunResult run = Run({"small.xml"}, {{"RUZOZAZE_UI", forced}, {"DISPLAY", ":999"}});
    EXPECT_EQ(run.exitCode, err.empty() ? 0 : -1) << forced;
    EXPECT_EQ(run.err, err);
  }
  std::filesystem::remove(module);
  EXPECT_EQ(Run({"small.xml"}, {{"RUZOZAZE_UI", "gtk"}}).err,
            cannot + "the GTK module " + std::filesystem::canonical(dir.path()).string() +
                "/ruzozaze-gtk.so cannot be loaded.\n");
}

}  // namespace
