// The fixture of the fault tests: the end-to-end fixture, plus generated listings, a guide
// imported before the run under test, and the database's integrity check.
#pragma once

#include <stdio.h>

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
// from 1 January 2099 (never old enough to be removed), with descriptions of `descLength` bytes.
inline std::string GeneratedListings(const std::string& prefix, int channels, int perChannel,
                                     size_t descLength = 100) {
  auto stamp = [](int halfHours) {  // in months of 28 days
    char text[32];
    snprintf(text, sizeof text, "2099%02d%02d%02d%02d00", 1 + halfHours / 1344,
             1 + halfHours / 48 % 28, halfHours / 2 % 24, halfHours % 2 * 30);
    return std::string(text);
  };
  std::string text = "<tv>\n";
  for (int c = 0; c < channels; ++c)
    text += "<channel id=\"" + prefix + std::to_string(c) + "\"/>\n";
  for (int p = 0; p < perChannel; ++p) {
    for (int c = 0; c < channels; ++c) {
      text += "<programme start=\"" + stamp(p) + "\" stop=\"" + stamp(p + 1) + "\" channel=\"" +
              prefix + std::to_string(c) + "\"><title>Show " + std::to_string(p) +
              "</title><desc>" + std::string(descLength, 'd') + "</desc></programme>\n";
    }
  }
  return text + "</tv>\n";
}

class RobustnessTest : public ProgramTest {
 protected:
  // Imports a small guide (channel "earlier0", entries "Show 0" and "Show 1"); returns its dump.
  std::vector<std::string> ImportEarlierGuide() {
    EXPECT_EQ(Run({Write("earlier.xml", GeneratedListings("earlier", 1, 2))}).exitCode, 0);
    return Guide();
  }

  bool IntegrityOk() const { return Value("PRAGMA integrity_check") == "ok"; }
};

}  // namespace robustness
