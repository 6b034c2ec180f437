// The real program with its gtk module on a virtual display of its own (Xvfb), its windows seen
// and driven with xdotool as a person would with the mouse and the keyboard: what only a real
// window shows. Skipped where Xvfb or xdotool is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <sstream>
#include <thread>

#include "resources/resources.h"
#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

namespace {

using testing_support::FindOnPath;
using testing_support::RunOptions;
using testing_support::RunProgram;
using testing_support::RunResult;

// Time for a window to come up, generous for sanitizer builds on a busy machine.
constexpr double kAppear = 30;
constexpr char kImporting[] = "^Importing XMLTV Data$";
constexpr char kSmallListings[] =
    "<tv><channel id=\"c\"/><programme start=\"20990101000000\" stop=\"20990101010000\" "
    "channel=\"c\"><title>One</title></programme></tv>";

// True once `condition` holds, checked every 100 ms for up to `seconds`.
bool Eventually(const std::function<bool()>& condition, double seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (condition())
      return true;
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::string RegexQuoted(const std::string& text) {
  std::string quoted;
  for (char c : text)
    quoted += std::string(std::string("\\.^$|?*+()[]{}").find(c) != std::string::npos, '\\') + c;
  return quoted;
}

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FindOnPath("Xvfb").empty() || FindOnPath("xdotool").empty())
      GTEST_SKIP() << "Xvfb and xdotool are needed for the GUI tests";
    std::filesystem::create_directory(work);
    std::filesystem::copy_file(RUZOZAZE_GTK_MODULE, dir / "ruzozaze-gtk.so");
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    xvfb = fork();
    if (xvfb == 0) {
      int null = open("/dev/null", O_RDWR);
      dup2(null, 1);
      dup2(null, 2);
      execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0",
             "1024x768x24", "-nolisten", "tcp", nullptr);
      _exit(127);
    }
    close(fds[1]);
    FILE* numbers = fdopen(fds[0], "r");
    int number = -1;
    ASSERT_EQ(fscanf(numbers, "%d", &number), 1) << "Xvfb did not start";
    fclose(numbers);
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
    if (xvfb > 0 && kill(xvfb, SIGTERM) == 0)
      waitpid(xvfb, nullptr, 0);
    xvfb = -1;
  }

  // Starts the program in the working folder with the gtk backend, or with RUZOZAZE_UI="" with
  // the backend it chooses itself.
  void Start(std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
    RunOptions options;
    options.program = program;
    options.args = std::move(args);
    options.cwd = work;
    options.env = {{"DISPLAY", display},
                   {"GLIMMERBOX_EPG_DB", database},
                   {"GLIMMERBOX_REGISTRY", registry},
                   {"HOME", dir.path()},
                   {"RUZOZAZE_UI", "gtk"},
                   {"NO_AT_BRIDGE", "1"},
                   {"GSETTINGS_BACKEND", "memory"},
                   {"LSAN_OPTIONS", "suppressions=" RUZOZAZE_SOURCE_DIR "/tests/gui/lsan.supp"}};
    for (auto& [name, value] : env)
      options.env[name] = value;
    options.unset = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "WAYLAND_DISPLAY"};
    running = std::async(std::launch::async, RunProgram, options).share();
  }
  // The run's result once it ended within `seconds`; exit code -1000 when it still runs.
  RunResult Finish(double seconds) {
    return running.wait_for(std::chrono::duration<double>(seconds)) == std::future_status::ready
               ? running.get()
               : RunResult{};
  }
  // Why an awaited window did not come.
  std::string Ended() {
    RunResult run = Finish(0);
    return "the program ended with " + std::to_string(run.exitCode) + ": " + run.err;
  }

  // Runs xdotool, or x_tool for what xdotool cannot do, on the display; returns the output.
  std::string X(std::vector<std::string> args, const std::string& tool = FindOnPath("xdotool")) {
    RunOptions options;
    options.program = "/usr/bin/timeout";
    options.args = {"10", tool};
    options.args.insert(options.args.end(), args.begin(), args.end());
    options.env = {{"DISPLAY", display}, {"NO_AT_BRIDGE", "1"}, {"GSETTINGS_BACKEND", "memory"}};
    return RunProgram(options).out;
  }
  std::vector<std::string> Windows(const std::string& nameRegex) {
    std::istringstream lines(X({"search", "--onlyvisible", "--name", nameRegex}));
    std::vector<std::string> windows;
    for (std::string line; std::getline(lines, line);)
      windows.push_back(line);
    return windows;
  }
  // A visible window whose name matches and that is not `except`, once one came within
  // `seconds`; "" when none did.
  std::string WaitForWindow(const std::string& nameRegex, double seconds,
                            const std::string& except = "") {
    std::string found;
    Eventually(
        [&] {
          for (const std::string& window : Windows(nameRegex))
            found = window != except ? window : found;
          return !found.empty();
        },
        seconds);
    return found;
  }
  bool WaitUntilHidden(const std::string& window, double seconds) {
    return Eventually(
        [&] {
          std::vector<std::string> all = Windows(".*");
          return std::find(all.begin(), all.end(), window) == all.end();
        },
        seconds);
  }
  void Key(const std::string& window, const std::string& keys) {
    X({"windowfocus", "--sync", window, "key", "--clearmodifiers", keys});
  }
  void Type(const std::string& window, const std::string& text) {
    X({"windowfocus", "--sync", window, "type", "--delay", "20", text});
  }

  std::string Value(const std::string& sql) const {
    return testing_support::QueryValue(database, sql);
  }
  std::string Write(const std::string& name, const std::string& content) const {
    testing_support::WriteFile(work + "/" + name, content);
    return work + "/" + name;
  }

  testing_support::TempDir dir;
  std::string program = testing_support::CopyProgram(dir);
  std::string database = dir / "epg.sqlite";
  std::string registry = dir / "registry.reg";
  std::string work = dir / "work";
  std::string fifo = dir / "listings.xml";
  pid_t xvfb = -1;
  std::string display;
  std::shared_future<RunResult> running;
  std::future<RunResult> feed;
};

// The progress dialog during the import of a generated file of 100,000 programmes (97,600
// entries). The file comes through a FIFO, 64 KiB every 10 ms, so that the import still runs
// when the test acts, however fast the build is; a cancelled import reads no more of it.
class ProgressDialogGuiTest : public GuiTest {
 protected:
  static constexpr long kAllEntries = 97600;

  // Starts the import; returns the dialog's window once programmes are being stored.
  std::string StartImport() {
    EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    RunOptions writer;
    writer.program = FindOnPath("python3");
    writer.args = {"-c",
                   "import sys, time\nwith open(sys.argv[1], 'rb') as i, open(sys.argv[2], 'wb') "
                   "as o:\n  for c in iter(lambda: i.read(65536), b''):\n    o.write(c); "
                   "time.sleep(0.01)",
                   GUI_LISTINGS, fifo};
    feed = std::async(std::launch::async, RunProgram, writer);
    Start({fifo});
    std::string dialog = WaitForWindow(kImporting, kAppear);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return dialog;
  }
};

// Cancel asks (No is the default and goes on), the close box asks like Cancel, and Yes hides the
// dialog and saves what was imported.
TEST_F(ProgressDialogGuiTest, CancelAndTheCloseBoxAskAndYesSavesWhatWasImported) {
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "") << Ended();
  std::string geometry = X({"getwindowgeometry", "--shell", dialog});
  int width = std::stoi(geometry.substr(geometry.find("WIDTH=") + 6));
  int height = std::stoi(geometry.substr(geometry.find("HEIGHT=") + 7));
  // The Cancel button's centre in the template, as fractions of the dialog's size.
  X({"mousemove", "--sync", "--window", dialog, std::to_string(width * 115 / 231),
     std::to_string(height * 44 / 58), "click", "1"});
  std::string box = WaitForWindow(kImporting, kAppear, dialog);
  ASSERT_NE(box, "") << Ended();
  Key(box, "Return");
  EXPECT_TRUE(WaitUntilHidden(box, 10));
  EXPECT_EQ(Windows(kImporting), std::vector<std::string>{dialog});

  X({"close", dialog}, X_TOOL);
  box = WaitForWindow(kImporting, kAppear, dialog);
  ASSERT_NE(box, "") << Ended();
  Key(box, "alt+y");
  EXPECT_TRUE(WaitUntilHidden(dialog, 2));
  RunResult run = Finish(60);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Value("SELECT count(*) FROM schedule_entries e LEFT JOIN programs p ON p.id = "
                  "e.program_id LEFT JOIN services s ON s.id = e.service_id "
                  "WHERE p.id IS NULL OR s.id IS NULL"),
            "0");
  long entries = std::stol(Value("SELECT count(*) FROM schedule_entries"));
  EXPECT_GT(entries, 0);
  EXPECT_LT(entries, kAllEntries);
}

// The X server going away during an import fails the run, which ends at once as after a kill:
// the guide stays as it was before the run.
TEST_F(ProgressDialogGuiTest, ALostDisplayFailsTheRunAndKeepsTheGuide) {
  Start({Write("small.xml", kSmallListings)}, {{"RUZOZAZE_UI", "none"}});
  ASSERT_EQ(Finish(30).exitCode, 0);
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "") << Ended();
  StopDisplay();
  RunResult run = Finish(30);
  EXPECT_EQ(run.exitCode, -1) << run.err;
  EXPECT_NE(run.err.find("The connection to the display was lost"), std::string::npos) << run.err;
  EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Value("SELECT group_concat(slot_key) FROM schedule_entries"),
            "c::20990101000000::20990101010000");
}

// An import whose database cannot be opened (its folder would lie below a file) raises the alert
// "Cannot open EPG database.", its caption counting down before the program's path: left alone
// it closes itself after 15 s, a key stops the count and the box waits.
TEST_F(GuiTest, TheAlertCountsDownUntilAKeyIsPressed) {
  testing_support::WriteFile(dir / "file", "");
  auto counted = [&](const char* count) { return count + RegexQuoted(program) + "$"; };
  for (bool pressed : {false, true}) {
    SCOPED_TRACE(pressed ? "a key pressed" : "left alone");
    Start({Write("small.xml", kSmallListings)}, {{"GLIMMERBOX_EPG_DB", dir / "file/epg.sqlite"}});
    std::string box = WaitForWindow(counted("^15 - "), kAppear);
    ASSERT_NE(box, "") << Ended();
    EXPECT_EQ(WaitForWindow(counted("^14 - "), 3), box);
    if (pressed) {
      Key(box, "a");
      EXPECT_EQ(WaitForWindow(counted("^"), 3), box);
      std::this_thread::sleep_for(std::chrono::milliseconds(2500));
      EXPECT_EQ(X({"getwindowname", box}), program + "\n");
      EXPECT_EQ(Finish(0).exitCode, -1000) << "the box did not wait";
      Key(box, "Return");
    } else {
      EXPECT_EQ(WaitForWindow(counted("^01 - "), 15), box);
      EXPECT_TRUE(WaitUntilHidden(box, 3));
    }
    EXPECT_EQ(Finish(10).exitCode, -1);
  }
}

// Without RUZOZAZE_UI the program chooses the gtk backend itself: standard input is no terminal,
// the module is beside it and the display opens.
TEST_F(GuiTest, TheUsageBoxShowsTheOptions) {
  Start({"-h"}, {{"RUZOZAZE_UI", ""}});
  std::string box = WaitForWindow("^Command line options$", kAppear);
  ASSERT_NE(box, "") << Ended();
  Key(box, "ctrl+c");
  std::string usage, copied;
  LoadString(IDS_USAGE_TEXT, &usage);
  Eventually([&] { return !(copied = X({"clipboard"}, X_TOOL)).empty(); }, 5);
  EXPECT_EQ(copied, usage);
  Key(box, "Return");
  RunResult run = Finish(10);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
}

// The file-open dialog asks for the listings file when the command line names none, or one that
// does not exist, for both jobs: a cancelled dialog ends the run without a job.
TEST_F(GuiTest, TheFileOpenDialogGivesTheFileOrEndsTheRun) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{"missing.xml"}, std::vector<std::string>{"/x", "missing.xml"}}) {
    SCOPED_TRACE(args.front());
    Start(args);
    std::string dialog = WaitForWindow("^Open$", kAppear);
    ASSERT_NE(dialog, "") << Ended();
    Key(dialog, "Escape");
    EXPECT_EQ(Finish(30).exitCode, 0) << running.get().err;
  }
  EXPECT_FALSE(std::filesystem::exists(database));
  EXPECT_FALSE(std::filesystem::exists(work + "/channels.txt"));

  std::string file = std::filesystem::canonical(Write("small.xml", kSmallListings)).string();
  Start({});
  std::string dialog = WaitForWindow("^Open$", kAppear);
  ASSERT_NE(dialog, "") << Ended();
  // The location entry opens, and completes a typed name, a moment after the keys.
  Key(dialog, "ctrl+l");
  std::this_thread::sleep_for(std::chrono::seconds(1));
  Type(dialog, file);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  Key(dialog, "Return");
  RunResult run = Finish(60);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Value("SELECT value FROM metadata WHERE key = 'source_description'"),
            "XMLTV data read from: " + file);
}

// The program never links GTK, and the real module, when no display opens, gives way to no
// backend unless gtk is forced.
TEST(GtkModule, TheProgramRunsWithoutGtkWhereNoDisplayOpens) {
  RunOptions ldd;
  ldd.program = FindOnPath("ldd");
  ldd.args = {RUZOZAZE_BINARY};
  RunResult run = RunProgram(ldd);
  EXPECT_EQ(run.out.find("libgtk"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("libgdk"), std::string::npos) << run.out;
  testing_support::TempDir dir;
  std::filesystem::copy_file(RUZOZAZE_GTK_MODULE, dir / "ruzozaze-gtk.so");
  testing_support::WriteFile(dir / "small.xml", kSmallListings);
  RunOptions options;
  options.program = testing_support::CopyProgram(dir);
  options.args = {dir / "small.xml"};
  options.unset = {"DISPLAY", "WAYLAND_DISPLAY"};
  options.env = {{"GLIMMERBOX_EPG_DB", dir / "epg.sqlite"},
                 {"GLIMMERBOX_REGISTRY", dir / "registry.reg"},
                 {"HOME", dir.path()},
                 {"RUZOZAZE_UI", ""}};
  run = RunProgram(options);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  options.env["RUZOZAZE_UI"] = "gtk";
  run = RunProgram(options);
  EXPECT_EQ(run.exitCode, -1);
  EXPECT_EQ(run.err, "RUZOZAZE_UI=gtk cannot be used: no display can be opened.\n");
}

}  // namespace
