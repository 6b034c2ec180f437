// Replays what the fuzzer found, its seeds and the sample listings through the fuzzer's own entry,
// in the normal build and under the sanitizers of CI: every file must pass the database checks.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/import_entry.h"
#include "tests/support/run_program.h"

namespace {

TEST(FuzzReplayTest, EveryFilePassesTheChecks) {
  std::vector<std::string> folders = {RUZOZAZE_SOURCE_DIR "/fuzz/regressions",
                                      RUZOZAZE_SOURCE_DIR "/tests/robustness/corpus"};
  bool samples = std::filesystem::is_directory(RUZOZAZE_SAMPLES_DIR);
  if (samples)
    folders.push_back(RUZOZAZE_SAMPLES_DIR);
  for (const std::string& folder : folders) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (!entry.is_regular_file() || entry.path().filename() == "README.md")
        continue;
      SCOPED_TRACE(entry.path().string());
      std::string bytes = testing_support::ReadFile(entry.path());
      EXPECT_EQ(ImportAndCheck(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "");
    }
  }
  if (!samples)
    GTEST_SKIP() << "samples folder absent: " << RUZOZAZE_SAMPLES_DIR;
}

}  // namespace
