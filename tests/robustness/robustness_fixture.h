// The fixture of the fault tests: the end-to-end fixture, plus generated listings, a guide
// imported before the run under test, a dump of everything the guide holds, and runs of the
// program under a wrapper (a time limit, a file size limit, a memory measure, a tracer) or in the
// background.
#pragma once

#include <time.h>

#include <future>
#include <string>
#include <vector>

#include "tests/support/program_fixture.h"

namespace robustness {

// Under AddressSanitizer the heaviest cases use smaller sizes and skip the memory bounds.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
inline constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
inline constexpr bool kSanitized = false;
#endif

// `channels` channels named prefix + number, each with `perChannel` programmes of 30 minutes
// from 1 January 2099 (never old enough to be removed).
inline std::string GeneratedListings(const std::string& prefix, int channels, int perChannel) {
  auto stamp = [](long halfHours) {
    time_t at = 4070908800 + halfHours * 1800;  // 2099-01-01 00:00 UTC
    tm parts;
    char text[32];
    strftime(text, sizeof text, "%Y%m%d%H%M%S +0000", gmtime_r(&at, &parts));
    return std::string(text);
  };
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n";
  for (int c = 0; c < channels; ++c)
    text += "<channel id=\"" + prefix + std::to_string(c) + "\"/>\n";
  for (int p = 0; p < perChannel; ++p) {
    for (int c = 0; c < channels; ++c) {
      text += "<programme start=\"" + stamp(p) + "\" stop=\"" + stamp(p + 1) + "\" channel=\"" +
              prefix + std::to_string(c) + "\"><title>Show " + std::to_string(p) +
              "</title><desc>One of many programmes, with a description long enough to make the "
              "file as big as real listings are.</desc></programme>\n";
    }
  }
  return text + "</tv>\n";
}

class RobustnessTest : public ProgramTest {
 protected:
  // Writes a file into the working folder and returns its path.
  std::string Write(const std::string& name, const std::string& content) const {
    testing_support::WriteFile(work + "/" + name, content);
    return work + "/" + name;
  }

  // Imports a small guide (channel "earlier", two entries in 2099) and returns its dump.
  std::vector<std::string> ImportEarlierGuide() {
    EXPECT_EQ(Run({Write("earlier.xml", "<tv><channel id=\"earlier\"/>\n" + Programme(20, "One") +
                                            Programme(21, "Two") + "</tv>")})
                  .exitCode,
              0);
    return Guide();
  }
  // A programme of channel "earlier" on 1 January 2099 from `hour` to the next hour.
  static std::string Programme(int hour, const std::string& title) {
    return "<programme start=\"20990101" + std::to_string(hour) + "0000\" stop=\"20990101" +
           std::to_string(hour + 1) + "0000\" channel=\"earlier\"><title>" + title +
           "</title></programme>\n";
  }

  // Every service and entry (with its channel and title), one text per row, in a fixed order;
  // empty when the database holds no tables.
  std::vector<std::string> Guide(const std::string& file = "") const {
    std::string db = file.empty() ? database : file;
    if (testing_support::QueryValue(db, "SELECT count(*) FROM sqlite_master") == "0")
      return {};
    std::vector<std::string> rows =
        testing_support::QueryRows(db, "SELECT channel_id, name FROM services ORDER BY id");
    for (std::string& row : testing_support::QueryRows(
             db,
             "SELECT e.slot_key, e.start_time, e.end_time, s.channel_id, p.title "
             "FROM schedule_entries e LEFT JOIN services s ON s.id = e.service_id "
             "LEFT JOIN programs p ON p.id = e.program_id ORDER BY e.id")) {
      rows.push_back(std::move(row));
    }
    return rows;
  }

  bool IntegrityOk() const { return Value("PRAGMA integrity_check") == "ok"; }
  bool LogHas(const std::string& text) const { return LogText().find(text) != std::string::npos; }

  // Run's options for `wrapper...` (its program first) running the program with `args`.
  testing_support::RunOptions Options(std::vector<std::string> wrapper,
                                      const std::vector<std::string>& args) const {
    testing_support::RunOptions options;
    options.program = program;
    if (!wrapper.empty()) {
      options.program = wrapper.front();
      options.args.assign(wrapper.begin() + 1, wrapper.end());
      options.args.push_back(program);
    }
    options.args.insert(options.args.end(), args.begin(), args.end());
    options.cwd = work;
    options.env = Environment();
    options.env["RUZOZAZE_UI"] = "none";
    options.unset = kUnset;
    return options;
  }
  testing_support::RunResult RunUnder(std::vector<std::string> wrapper,
                                      const std::vector<std::string>& args) const {
    return testing_support::RunProgram(Options(std::move(wrapper), args));
  }
  std::future<testing_support::RunResult> Start(const std::vector<std::string>& args) const {
    return std::async(std::launch::async, testing_support::RunProgram, Options({}, args));
  }
  // Runs under /usr/bin/time (a process forked from the test would count the test's resident
  // pages as its own); returns the program's peak resident memory in KiB, -1 when not measured.
  long PeakKiB(const std::vector<std::string>& args, int expectedExitCode) const {
    std::string peak = dir / "peak.txt";
    EXPECT_EQ(RunUnder({"/usr/bin/time", "-q", "-f", "%M", "-o", peak}, args).exitCode,
              expectedExitCode);
    std::string text = testing_support::ReadFile(peak);
    return text.empty() ? -1 : std::stol(text);
  }
};

}  // namespace robustness
