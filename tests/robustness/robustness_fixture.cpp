#include "tests/robustness/robustness_fixture.h"

#include <cstdio>

namespace robustness {
namespace {

// The stamp of the given half hour counted from 2099-01-01 00:00 (2099 is no leap year).
std::string HalfHourStamp(long halfHours) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  long day = halfHours / 48;
  int year = 2099, month = 0;
  while (day >= kDays[month]) {
    day -= kDays[month];
    if (++month == 12) {
      month = 0;
      ++year;
    }
  }
  char text[96];
  std::snprintf(text, sizeof text, "%04d%02d%02ld%02ld%02ld00 +0000", year, month + 1, day + 1,
                halfHours % 48 / 2, halfHours % 2 * 30);
  return text;
}

}  // namespace

std::string GeneratedListings(const std::string& prefix, int channels, int perChannel) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n";
  for (int c = 0; c < channels; ++c) {
    std::string id = prefix + std::to_string(c);
    text += "  <channel id=\"" + id + "\"><display-name>" + id + "</display-name></channel>\n";
  }
  for (int p = 0; p < perChannel; ++p) {
    for (int c = 0; c < channels; ++c) {
      std::string id = prefix + std::to_string(c);
      text += "  <programme start=\"" + HalfHourStamp(p) + "\" stop=\"" + HalfHourStamp(p + 1) +
              "\" channel=\"" + id + "\">\n    <title>" + id + " show " + std::to_string(p) +
              "</title>\n    <desc>One of many programmes, with a description long enough to "
              "make the file as big as real listings are.</desc>\n  </programme>\n";
    }
  }
  return text + "</tv>\n";
}

std::string RobustnessTest::WriteWorkFile(const std::string& name,
                                          const std::string& content) const {
  std::string path = work + "/" + name;
  testing_support::WriteFile(path, content);
  return path;
}

std::vector<std::string> RobustnessTest::ImportEarlierGuide() {
  std::string file = WriteWorkFile("earlier.xml", R"(<?xml version="1.0"?>
<tv>
<channel id="earlier"><display-name>Earlier</display-name></channel>
<programme start="20990101200000" stop="20990101210000" channel="earlier"><title>One</title></programme>
<programme start="20990101210000" stop="20990101220000" channel="earlier"><title>Two</title></programme>
</tv>
)");
  EXPECT_EQ(Run({file}).exitCode, 0);
  std::vector<std::string> guide = Guide();
  EXPECT_EQ(guide.size(), 4u);
  return guide;
}

std::vector<std::string> RobustnessTest::Guide() const {
  return GuideOf(database);
}

std::vector<std::string> RobustnessTest::GuideOf(const std::string& databaseFile) const {
  using testing_support::QueryRows;
  if (QueryRows(databaseFile, "SELECT 1 FROM sqlite_master WHERE name = 'schedule_entries'")
          .empty()) {
    return {};
  }
  std::vector<std::string> rows;
  for (const char* sql : {
           "SELECT 'service', channel_id, name, icon, position FROM services ORDER BY channel_id",
           "SELECT 'provider', name, url FROM providers ORDER BY name",
           "SELECT 'entry', e.slot_key, e.start_time, e.end_time, s.channel_id, p.title "
           "FROM schedule_entries e LEFT JOIN services s ON s.id = e.service_id "
           "LEFT JOIN programs p ON p.id = e.program_id ORDER BY e.slot_key",
       }) {
    for (std::string& row : QueryRows(databaseFile, sql))
      rows.push_back(std::move(row));
  }
  return rows;
}

ChildOptions RobustnessTest::Background(std::vector<std::string> args) const {
  ChildOptions options;
  options.program = program;
  options.args = std::move(args);
  options.cwd = work;
  options.env = Environment();
  options.env["RUZOZAZE_UI"] = "none";
  options.unset = kUnset;
  return options;
}

ChildOptions RobustnessTest::Measured(std::vector<std::string> args) const {
  ChildOptions options = Background(std::move(args));
  options.peakMemoryFile = dir / "peak_memory.txt";
  return options;
}

}  // namespace robustness
