#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/file_choice.h"
#include "app/usage.h"
#include "platform/environment.h"
#include "tests/support/run_program.h"
#include "tests/support/scripted_backend.h"

namespace {

using testing_support::ScriptedBackend;
using testing_support::TempDir;

class ShellDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<ScriptedBackend>();
    ui = backend.get();
    platform::ui::InstallBackend(std::move(backend));
    ASSERT_TRUE(platform::GetCurrentDirectory(&originalDirectory));
  }
  void TearDown() override {
    EXPECT_EQ(chdir(originalDirectory.c_str()), 0);
    platform::ui::InstallBackend(nullptr);
  }
  // The proposed name when the dialog is asked for in `directory`.
  std::string InitialFileIn(const std::string& directory) {
    EXPECT_EQ(chdir(directory.c_str()), 0);
    std::string path;
    EXPECT_FALSE(ChooseListingsFile(&path));
    return ui->openRequests.empty() ? "" : ui->openRequests.back().initialFile;
  }

  ScriptedBackend* ui = nullptr;
  std::string originalDirectory;
};

TEST_F(ShellDialogs, UsageBoxTextByteForByte) {
  ShowUsage();
  ASSERT_EQ(ui->boxes.size(), 1u);
  EXPECT_EQ(ui->boxes[0].caption, "Command line options");
  EXPECT_EQ(ui->boxes[0].text,
            "RUZOZAZE.exe /x /c[:numdays] /o:numminutes /s:services_file xmltv_data_filename\n"
            "\n"
            "x - Extract channels only to 'channels.txt'\n"
            "c - Clean database. numdays is the number of days has to be older than to be "
            "deleted from the database. No argument means delete the whole database.\n"
            "o - Offset all times by number of minutes.\n"
            "s - Ordered list of channels, one per line. If not specified extract channels to "
            "'channels.txt'.");
  // OK button, no icon, brought to the foreground.
  EXPECT_EQ(ui->boxes[0].style, 0x10000u);
}

TEST_F(ShellDialogs, FileOpenSettings) {
  TempDir dir;
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  std::string cwd;
  ASSERT_TRUE(platform::GetCurrentDirectory(&cwd));
  std::string path = "unchanged";
  EXPECT_FALSE(ChooseListingsFile(&path));
  EXPECT_EQ(path, "unchanged");

  ASSERT_EQ(ui->openRequests.size(), 1u);
  const platform::ui::OpenFileRequest& request = ui->openRequests[0];
  EXPECT_EQ(request.initialFile, cwd + "/listings.xml");
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(request.filters,
            (Pairs{{"XMLTV Listings file (.xml)", "*.xml"}, {"All Files", "*.*"}}));
  EXPECT_EQ(request.filterIndex, 1);
  // Hide read-only, path and file must exist, explorer style, resizable.
  EXPECT_EQ(request.flags, 0x881804u);
  EXPECT_EQ(request.fileBufferSize, 260u);
  EXPECT_EQ(request.titleBufferSize, 256u);

  ui->openAnswer = cwd + "/chosen.xml";
  EXPECT_TRUE(ChooseListingsFile(&path));
  EXPECT_EQ(path, cwd + "/chosen.xml");
}

TEST_F(ShellDialogs, InitialNameWhenTheDirectoryIsRootTooLongOrGone) {
  EXPECT_EQ(InitialFileIn("/"), "/listings.xml");

  TempDir dir;
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  std::string base;
  ASSERT_TRUE(platform::GetCurrentDirectory(&base));
  // Folders whose full name with "/listings.xml" takes 259 bytes (fits with its NUL) and 260.
  const size_t fits = 259 - std::string("/listings.xml").size();
  ASSERT_LT(base.size() + 1, fits);
  std::string longest = base + "/" + std::string(fits - base.size() - 1, 'd');
  std::string tooLong = longest + "e";
  ASSERT_TRUE(std::filesystem::create_directory(longest));
  ASSERT_TRUE(std::filesystem::create_directory(tooLong));
  EXPECT_EQ(InitialFileIn(longest), longest + "/listings.xml");
  EXPECT_EQ(InitialFileIn(tooLong), "listings.xml");

  // A removed current directory cannot be determined.
  std::string gone = base + "/gone";
  ASSERT_TRUE(std::filesystem::create_directory(gone));
  ASSERT_EQ(chdir(gone.c_str()), 0);
  ASSERT_TRUE(std::filesystem::remove(gone));
  std::string path;
  EXPECT_FALSE(ChooseListingsFile(&path));
  EXPECT_EQ(ui->openRequests.back().initialFile, "listings.xml");
}

}  // namespace
