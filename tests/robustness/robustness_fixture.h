// The fixture of the robustness tests: the end-to-end fixture, plus a guide imported before the
// run under test, a snapshot of everything the guide shows, and runs in the background.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/program_fixture.h"
#include "tests/robustness/child_process.h"

namespace robustness {

// Under AddressSanitizer the heaviest cases use smaller sizes and skip the memory bounds.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

// A listings file of generated programmes: `channels` channels named prefix + number, each with
// `perChannel` programmes of 30 minutes from 1 January 2099 (never old enough to be removed).
std::string GeneratedListings(const std::string& prefix, int channels, int perChannel);

class RobustnessTest : public ProgramTest {
 protected:
  // Writes a file into the working folder and returns its path.
  std::string WriteWorkFile(const std::string& name, const std::string& content) const;

  // Imports a small guide (channel "earlier", two entries in 2099) and returns its snapshot.
  std::vector<std::string> ImportEarlierGuide();

  // Every service, provider and entry (with its service and title), one text per row, in a fixed
  // order; empty when the database holds no tables.
  std::vector<std::string> Guide() const;
  std::vector<std::string> GuideOf(const std::string& databaseFile) const;

  bool IntegrityOk() const { return Value("PRAGMA integrity_check") == "ok"; }
  bool LogHas(const std::string& text) const { return LogText().find(text) != std::string::npos; }

  // The options of a run like Run's, to start with ChildProcess.
  ChildOptions Background(std::vector<std::string> args) const;
  // The same, with the peak memory measured.
  ChildOptions Measured(std::vector<std::string> args) const;
};

}  // namespace robustness
