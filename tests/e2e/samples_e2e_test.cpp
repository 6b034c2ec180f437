// Both jobs on every listings file of the samples folder (listed when the tests run), compared
// with outside views of the same file: xmllint decides whether it is well-formed, the
// independent model expected_guide.py says which channel ids and schedule entries must result,
// and the file compressed must give what the plain file gives.
#include "tests/e2e/guide_model.h"
#include "tests/support/program_fixture.h"

namespace {

using namespace guide_model;
using testing_support::IsWellFormed;

class SampleTest : public ProgramTest, public ::testing::WithParamInterface<std::string> {
 protected:
  std::string File() const { return Sample(GetParam()); }
  int ExpectedExitCode() const { return IsWellFormed(File()) ? 0 : -1; }
  // UTC stamps stay as they are, so the model need not know the machine's zone.
  testing_support::RunResult Import(std::vector<std::string> args, const std::string& db) {
    return Run(args, {{"TZ", "UTC0"}, {"GLIMMERBOX_EPG_DB", dir / db}});
  }
  void Shell(const std::string& commandLine) {
    ASSERT_EQ(Start("/bin/bash", {"-c", commandLine}).exitCode, 0) << commandLine;
  }
};

TEST_P(SampleTest, ImportAndExtractGiveTheModelsGuide) {
  int exitCode = ExpectedExitCode();
  EXPECT_EQ(Run({"/x", File()}).exitCode, exitCode);
  std::string expected = ChannelsFileText(File());
  EXPECT_EQ(ChannelsText(), expected);
  EXPECT_EQ(ChannelsFileExists(), !expected.empty());
  EXPECT_FALSE(std::filesystem::exists(database));
  std::filesystem::remove(work + "/channels.txt");

  auto r = Import({File()}, "epg.sqlite");
  EXPECT_EQ(r.exitCode, exitCode) << r.err;
  EXPECT_EQ(StoredEntries(database), ModelLines("entries", File()));
  EXPECT_EQ(ChannelsText(), expected);
  if (!std::filesystem::exists(database))
    return;
  // With a services file, so that channels.txt is not written again with one write-through per
  // channel: the same import again changes nothing but ids.
  testing_support::WriteFile(work + "/order.txt", "");
  Import({"/s:order.txt", File()}, "epg.sqlite");
  std::vector<std::string> first = DumpGuide(database);
  EXPECT_EQ(Import({"/s:order.txt", File()}, "epg.sqlite").exitCode, exitCode);
  EXPECT_EQ(DumpGuide(database), first);
}

// As gzip, as xz, and cut in two with each half a gzip member of its own (as `cat a.gz b.gz`
// makes them), by the command-line tools.
TEST_P(SampleTest, CompressedFormsGiveThePlainFilesGuideAndChannels) {
  int exitCode = Import({File()}, "plain.sqlite").exitCode;
  std::vector<std::string> plain = DumpGuide(dir / "plain.sqlite", File());
  Run({"/x", File()});
  std::string channels = ChannelsFileExists() ? ChannelsText() : "(none)";
  Shell(
      "f='" + File() +
      "'; s=$(stat -c %s \"$f\"); gzip -c \"$f\" > 1.gz; xz -c \"$f\" > 2.xz; "
      "{ head -c $((s / 2)) \"$f\" | gzip -c; tail -c +$((s / 2 + 1)) \"$f\" | gzip -c; } > 3.gz");
  for (const char* name : {"1.gz", "2.xz", "3.gz"}) {
    SCOPED_TRACE(name);
    std::filesystem::remove(work + "/channels.txt");
    EXPECT_EQ(Import({work + "/" + name}, std::string(name) + ".sqlite").exitCode, exitCode);
    EXPECT_EQ(DumpGuide(dir / (std::string(name) + ".sqlite"), work + "/" + name), plain);
    EXPECT_EQ(Run({"/x", name}).exitCode, exitCode);
    EXPECT_EQ(ChannelsFileExists() ? ChannelsText() : "(none)", channels);
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTest, ::testing::ValuesIn(testing_support::SampleFiles()),
                         testing_support::SampleTestName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SampleTest);

// The sample tests rest on the folder and on xmllint's verdicts.
TEST(SampleFolder, HoldsWellFormedAndBrokenListings) {
  SKIP_WITHOUT_SAMPLES();
  std::string folder = std::string(RUZOZAZE_SAMPLES_DIR) + "/";
  EXPECT_GE(testing_support::SampleFiles().size(), 30u);
  EXPECT_TRUE(IsWellFormed(folder + "xmltv_simple.xml"));
  EXPECT_FALSE(IsWellFormed(folder + "ektotv_broken.xml"));
}

}  // namespace
