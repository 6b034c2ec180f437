// The usage box and the file-open dialog, on a scripted backend.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/file_choice.h"
#include "app/usage.h"
#include "platform/environment.h"
#include "tests/support/run_program.h"
#include "tests/support/scripted_backend.h"

namespace {

class ShellDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<testing_support::ScriptedBackend>();
    ui = backend.get();
    platform::ui::InstallBackend(std::move(backend));
    ASSERT_TRUE(platform::GetCurrentDirectory(&originalDirectory));
  }
  void TearDown() override {
    EXPECT_EQ(chdir(originalDirectory.c_str()), 0);
    platform::ui::InstallBackend(nullptr);
  }
  // The proposed name when the dialog is asked for in `directory` and cancelled.
  std::string InitialFileIn(const std::string& directory) {
    EXPECT_EQ(chdir(directory.c_str()), 0);
    std::string path = "unchanged";
    EXPECT_FALSE(ChooseListingsFile(&path));
    EXPECT_EQ(path, "unchanged");
    return ui->openRequests.empty() ? "" : ui->openRequests.back().initialFile;
  }

  testing_support::ScriptedBackend* ui = nullptr;
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
}

// The dialog proposes listings.xml in the current directory, unless that directory is root,
// too long for the name to fit its buffer, or gone.
TEST_F(ShellDialogs, FileOpenProposesListingsXmlInTheCurrentDirectory) {
  testing_support::TempDir dir;
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  std::string base;
  ASSERT_TRUE(platform::GetCurrentDirectory(&base));
  EXPECT_EQ(InitialFileIn(base), base + "/listings.xml");
  EXPECT_EQ(ui->openRequests.back().filters,
            (std::vector<std::pair<std::string, std::string>>{
                {"XMLTV Listings file (.xml)", "*.xml"}, {"All Files", "*.*"}}));
  ui->openAnswer = base + "/chosen.xml";
  std::string path;
  EXPECT_TRUE(ChooseListingsFile(&path));
  EXPECT_EQ(path, base + "/chosen.xml");
  ui->openAnswer = "";

  EXPECT_EQ(InitialFileIn("/"), "/listings.xml");
  // Folders whose full name with "/listings.xml" takes 259 bytes (fits with its NUL) and 260.
  std::string longest = base + "/" + std::string(259 - 13 - base.size() - 1, 'd');
  ASSERT_TRUE(std::filesystem::create_directory(longest));
  ASSERT_TRUE(std::filesystem::create_directory(longest + "e"));
  EXPECT_EQ(InitialFileIn(longest), longest + "/listings.xml");
  EXPECT_EQ(InitialFileIn(longest + "e"), "listings.xml");
  std::string gone = base + "/gone";
  ASSERT_TRUE(std::filesystem::create_directory(gone));
  ASSERT_EQ(chdir(gone.c_str()), 0);
  ASSERT_TRUE(std::filesystem::remove(gone));
  EXPECT_EQ(InitialFileIn("."), "listings.xml");
}

}  // namespace
