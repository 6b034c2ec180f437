// The file-open dialog that asks for the listings file when the command line names none.
#include <chrono>
#include <thread>

#include "tests/gui/gui_fixture.h"

namespace {

constexpr char kTitle[] = "^Open$";

// The location entry opens, and completes a typed name, a moment after the keys.
void LetTheDialogCatchUp() {
  std::this_thread::sleep_for(std::chrono::seconds(1));
}

TEST_F(GuiTest, AFileChosenInTheDialogIsImported) {
  std::string sample = std::filesystem::canonical(Sample("ektotv_example.xml")).string();
  Start({});
  std::string dialog = desktop->WaitForWindow(kTitle, kAppear);
  ASSERT_NE(dialog, "") << Ended();
  desktop->Key(dialog, "ctrl+l");
  LetTheDialogCatchUp();
  desktop->Type(dialog, sample);
  LetTheDialogCatchUp();
  desktop->Key(dialog, "Return");
  testing_support::RunResult run = Finish(60);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Value("SELECT value FROM metadata WHERE key = 'source_description'"),
            "XMLTV data read from: " + sample);
  EXPECT_EQ(Count("services"), 2);
}

// A file named on the command line that does not exist is asked for, for both jobs.
TEST_F(GuiTest, ACancelledDialogEndsTheRunWithoutAJob) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{"missing.xml"}, std::vector<std::string>{"/x", "missing.xml"}}) {
    SCOPED_TRACE(args.front());
    Start(args);
    std::string dialog = desktop->WaitForWindow(kTitle, kAppear);
    ASSERT_NE(dialog, "") << Ended();
    desktop->Key(dialog, "Escape");
    testing_support::RunResult run = Finish(30);
    EXPECT_EQ(run.exitCode, 0) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(database));
  EXPECT_FALSE(std::filesystem::exists(work + "/channels.txt"));
}

}  // namespace
