// Both jobs on every listings file of the samples folder (listed when the tests run), compared
// with outside views of the same file: xmllint decides whether it is well-formed, and the
// independent model expected_guide.py says which channel ids and schedule entries must result.

#include "tests/e2e/guide_model.h"
#include "tests/e2e/program_fixture.h"

namespace {

using namespace guide_model;

class SampleTest : public ProgramTest, public ::testing::WithParamInterface<std::string> {
 protected:
  std::string File() const { return Sample(GetParam()); }
  int ExpectedExitCode() const { return IsWellFormed(File()) ? 0 : -1; }
  // UTC stamps stay as they are, so the model need not know the machine's zone.
  testing_support::RunResult Import(std::vector<std::string> args) {
    args.push_back(File());
    return Run(args, {{"TZ", "UTC0"}});
  }
};

TEST_P(SampleTest, ExtractWritesTheChannelIdsInDocumentOrder) {
  auto r = Run({"/x", File()});
  EXPECT_EQ(r.exitCode, ExpectedExitCode()) << r.err;
  std::string expected = ChannelsFileText(File());
  EXPECT_EQ(ChannelsText(), expected);
  EXPECT_EQ(ChannelsFileExists(), !expected.empty());
  EXPECT_FALSE(std::filesystem::exists(database));
}

TEST_P(SampleTest, ImportStoresTheEntriesOfTheModel) {
  auto r = Import({});
  EXPECT_EQ(r.exitCode, ExpectedExitCode()) << r.err;
  EXPECT_EQ(StoredEntries(database), ModelLines("entries", File()));
  EXPECT_EQ(ChannelsText(), ChannelsFileText(File()));
}

// With a services file, so that channels.txt (checked by the import test) is not written again
// with one write-through per channel.
TEST_P(SampleTest, ReimportChangesNothingButIds) {
  testing_support::WriteFile(work + "/order.txt", "");
  Import({"/s:order.txt"});
  if (!std::filesystem::exists(database))
    GTEST_SKIP() << "nothing was saved";
  std::vector<std::string> first = GuideContent(database);
  auto r = Import({"/s:order.txt"});
  EXPECT_EQ(r.exitCode, ExpectedExitCode()) << r.err;
  EXPECT_EQ(GuideContent(database), first);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTest, ::testing::ValuesIn(SampleFiles()), SampleTestName);

class SampleGuideTest : public ProgramTest {
 protected:
  std::string Title(const std::string& slotKey) const {
    return Value(
        "SELECT p.title FROM schedule_entries e JOIN programs p ON p.id = e.program_id "
        "WHERE e.slot_key = '" +
        slotKey + "'");
  }
};

// Each file's titles are read right after its import: the next import removes every entry that
// has ended.
TEST_F(SampleGuideTest, TitlesOutsideAsciiAreStoredIntact) {
  ASSERT_EQ(Run({Sample("iptvorg_guides_ru_guide.xml")}).exitCode, 0);
  EXPECT_EQ(
      Title("2x2.ru::20210310023500 +0300::20210310030000 +0300"),
      "\xD0\x9F\xD0\xBE\xD0\xB4\xD0\xBE\xD0\xB7\xD1\x80\xD0\xB8\xD1\x82\xD0\xB5\xD0\xBB"
      "\xD1\x8C\xD0\xBD\xD0\xB0\xD1\x8F \xD0\xA1\xD0\xBE\xD0\xB2\xD0\xB0");  // Подозрительная Сова
  ASSERT_EQ(Run({Sample("iptvorg_epg.tmacaraibes.com_content.xml")}).exitCode, 0);
  EXPECT_EQ(Title("TMA.gp@SD::20260504030000 -0400::20260504032000 -0400"),
            "T\xC3\xA9matik Afrobeat");  // Tématik Afrobeat
  EXPECT_EQ(Title("TMA.gp@SD::20260504040000 -0400::20260504040900 -0400"),
            "COEUR D\xE2\x80\x99"
            "ARTISTE");  // with U+2019 as the apostrophe
}

TEST_F(SampleGuideTest, ClumpGivesOneEntryHoldingBothPrograms) {
  ASSERT_EQ(Run({Sample("xmltv_clump.xml")}).exitCode, 0);
  EXPECT_EQ(Title("foo::200204201725::200204201800"), "First in clump");
  EXPECT_EQ(Rows("SELECT x.seq, p.title FROM schedule_entry_programs x "
                 "JOIN programs p ON p.id = x.program_id"),
            std::vector<std::string>{"1|Second in clump"});
}

// The sample tests rest on the folder and on xmllint's verdicts.
TEST(SampleFolder, HoldsWellFormedAndBrokenListings) {
  std::string folder = std::string(RUZOZAZE_SAMPLES_DIR) + "/";
  EXPECT_GE(SampleFiles().size(), 30u);
  EXPECT_TRUE(IsWellFormed(folder + "xmltv_simple.xml"));
  EXPECT_FALSE(IsWellFormed(folder + "ektotv_broken.xml"));
  EXPECT_FALSE(IsWellFormed(folder + "iptvorg_tvguide.co.uk_broken.xml"));
}

}  // namespace
