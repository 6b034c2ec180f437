// Real listings cut off at many points, as an interrupted download leaves them: every run ends
// with 0 (the cut fell behind the document's end) or -1, the database passes its integrity check,
// and it holds exactly the channels and entries whose end tags lie before the cut, the same rows
// a whole import gives for them. A cut before the first record leaves the database untouched.
#include <filesystem>

#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

using testing_support::ReadFile;

size_t Occurrences(const std::string& text, const std::string& word) {
  size_t count = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
    ++count;
  return count;
}

std::vector<std::string> First(const std::vector<std::string>& rows, size_t count) {
  return {rows.begin(), rows.begin() + std::min(count, rows.size())};
}

class CutFileTest : public RobustnessTest {
 protected:
  void RemoveDatabase() const {
    for (const char* suffix : {"", "-wal", "-shm"})
      std::filesystem::remove(database + suffix);
  }

  bool HasTables() const {
    return !Rows("SELECT 1 FROM sqlite_master WHERE name = 'services'").empty();
  }

  void CheckCuts(const std::string& sample, const std::vector<size_t>& cuts) {
    std::string text = ReadFile(Sample(sample));
    ASSERT_EQ(Run({Sample(sample)}).exitCode, 0);
    std::vector<std::string> channels = Rows("SELECT channel_id FROM services ORDER BY id");
    std::vector<std::string> entries = Rows("SELECT slot_key FROM schedule_entries ORDER BY id");
    ASSERT_EQ(channels.size(), Occurrences(text, "</channel>"));
    ASSERT_EQ(entries.size(), Occurrences(text, "</programme>"));
    for (size_t cut : cuts) {
      SCOPED_TRACE("cut at byte " + std::to_string(cut));
      RemoveDatabase();
      std::string prefix = text.substr(0, cut);
      int exitCode = Run({WriteWorkFile("cut.xml", prefix)}).exitCode;
      EXPECT_EQ(exitCode, prefix.find("</tv>") != std::string::npos ? 0 : -1);
      size_t records = Occurrences(prefix, "</channel>") + Occurrences(prefix, "</programme>");
      if (!HasTables()) {
        EXPECT_EQ(records, 0u);
        continue;
      }
      EXPECT_TRUE(IntegrityOk());
      EXPECT_EQ(Rows("SELECT channel_id FROM services ORDER BY id"),
                First(channels, Occurrences(prefix, "</channel>")));
      EXPECT_EQ(Rows("SELECT slot_key FROM schedule_entries ORDER BY id"),
                First(entries, Occurrences(prefix, "</programme>")));
    }
  }
};

// Every 7th byte of a small sample (every 21st under the sanitizers).
TEST_F(CutFileTest, SmallSampleCutEverywhere) {
  size_t size = ReadFile(Sample("iptvorg_base.guide.xml")).size();
  std::vector<size_t> cuts;
  for (size_t cut = 0; cut <= size; cut += kSanitized ? 21 : 7)
    cuts.push_back(cut);
  CheckCuts("iptvorg_base.guide.xml", cuts);
}

// A larger sample with a byte-order mark and Cyrillic text, cut in the mark, inside characters
// and at 50 points spread over the file (20 under the sanitizers).
TEST_F(CutFileTest, CyrillicSampleCutInsideCharacters) {
  size_t size = ReadFile(Sample("iptvorg_guides_ru_guide.xml")).size();
  std::vector<size_t> cuts{1, 2, size - 1, size};
  size_t points = kSanitized ? 20 : 50;
  for (size_t i = 1; i < points; ++i)
    cuts.push_back(i * size / points + i % 5);
  CheckCuts("iptvorg_guides_ru_guide.xml", cuts);
}

}  // namespace
}  // namespace robustness
