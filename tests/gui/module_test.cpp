// The program without GTK: it never links it, and runs its jobs when the module is missing or
// no display opens.
#include <filesystem>

#include "tests/e2e/program_fixture.h"
#include "tests/gui/gui_session.h"

namespace {

TEST(GtkModule, TheProgramDoesNotLinkGtk) {
  std::string ldd = gui_testing::FindOnPath("ldd");
  if (ldd.empty())
    GTEST_SKIP() << "ldd is not installed";
  testing_support::RunOptions options;
  options.program = ldd;
  options.args = {RUZOZAZE_BINARY};
  testing_support::RunResult run = testing_support::RunProgram(options);
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.find("libgtk"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("libgdk"), std::string::npos) << run.out;
}

TEST_F(ProgramTest, WithoutTheModuleTheImportRunsWithoutWindows) {
  std::string sample = Sample("ektotv_example.xml");
  EXPECT_EQ(Run({sample}).exitCode, 0);
  EXPECT_EQ(Count("services"), 2);
  testing_support::RunResult run = Run({sample}, {{"RUZOZAZE_UI", ""}, {"DISPLAY", ":0"}});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  run = Run({sample}, {{"RUZOZAZE_UI", "gtk"}, {"DISPLAY", ":0"}});
  EXPECT_EQ(run.exitCode, -1);
  EXPECT_EQ(run.err, "RUZOZAZE_UI=gtk cannot be used: the GTK module " + dir / "ruzozaze-gtk.so" +
                         " cannot be loaded.\n");
}

TEST_F(ProgramTest, WithoutADisplayTheModuleGivesWay) {
  std::filesystem::copy_file(RUZOZAZE_GTK_MODULE, dir / "ruzozaze-gtk.so");
  std::string sample = Sample("ektotv_example.xml");
  testing_support::RunResult run = Run({sample}, {{"RUZOZAZE_UI", ""}});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Count("services"), 2);
  run = Run({sample}, {{"RUZOZAZE_UI", "gtk"}});
  EXPECT_EQ(run.exitCode, -1);
  EXPECT_EQ(run.err, "RUZOZAZE_UI=gtk cannot be used: no display can be opened.\n");
}

}  // namespace
