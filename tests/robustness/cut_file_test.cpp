// Listings cut off at every 7th byte, as an interrupted download leaves them, the cuts falling in
// a byte-order mark and inside characters of Cyrillic text too: every run ends with 0 (the cut
// fell behind the document's end) or -1, the database passes its integrity check, and it holds
// exactly the channels and entries whose end tags lie before the cut, the same rows a whole
// import gives for them. A cut before the first record leaves the database without tables.
#include <filesystem>

#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

using testing_support::CountOf;

class CutFileTest : public RobustnessTest {};

TEST_F(CutFileTest, KeepsTheRecordsBeforeTheCut) {
  std::string text = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n";
  for (int c = 0; c < 3; ++c) {
    text += "<channel id=\"к" + std::to_string(c) +
            "\"><display-name>Первый канал</display-name></channel>\n";
  }
  for (int p = 0; p < 8; ++p) {
    for (int c = 0; c < 3; ++c) {
      text += "<programme start=\"2099010" + std::to_string(p + 1) + "000000\" stop=\"2099010" +
              std::to_string(p + 1) + "010000\" channel=\"к" + std::to_string(c) +
              "\"><title>Новости " + std::to_string(p) + "</title></programme>\n";
    }
  }
  text += "</tv>\n";
  ASSERT_EQ(Run({Write("whole.xml", text)}).exitCode, 0);
  auto channels = [&] { return Rows("SELECT channel_id FROM services ORDER BY id"); };
  auto entries = [&] { return Rows("SELECT slot_key FROM schedule_entries ORDER BY id"); };
  std::vector<std::string> allChannels = channels(), allEntries = entries();
  ASSERT_EQ(allChannels.size(), 3u);
  ASSERT_EQ(allEntries.size(), 24u);
  for (size_t cut = 0; cut <= text.size(); cut += kSanitized ? 21 : 7) {
    SCOPED_TRACE("cut at byte " + std::to_string(cut));
    for (const char* suffix : {"", "-wal", "-shm"})
      std::filesystem::remove(database + suffix);
    std::string prefix = text.substr(0, cut);
    EXPECT_EQ(Run({Write("cut.xml", prefix)}).exitCode,
              prefix.find("</tv>") != std::string::npos ? 0 : -1);
    size_t channelCount = CountOf(prefix, "</channel>"),
           entryCount = CountOf(prefix, "</programme>");
    if (Rows("SELECT 1 FROM sqlite_master WHERE name = 'services'").empty()) {
      EXPECT_EQ(channelCount + entryCount, 0u);
      continue;
    }
    EXPECT_TRUE(IntegrityOk());
    EXPECT_EQ(channels(),
              std::vector<std::string>(allChannels.begin(), allChannels.begin() + channelCount));
    EXPECT_EQ(entries(),
              std::vector<std::string>(allEntries.begin(), allEntries.begin() + entryCount));
  }
}

}  // namespace
}  // namespace robustness
