// Replays what the fuzzer found and its seeds through the fuzzer's own entry, in the normal
// build and under the sanitizers of CI: every file must pass the database checks.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/import_entry.h"
#include "tests/support/run_program.h"

namespace {

// Runs every file of the folder; returns how many there were.
size_t ReplayFolder(const std::string& folder) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md")
      continue;
    SCOPED_TRACE(entry.path().string());
    std::string bytes = testing_support::ReadFile(entry.path());
    EXPECT_EQ(ImportAndCheck(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "");
    ++files;
  }
  return files;
}

TEST(FuzzReplayTest, Regressions) {
  ReplayFolder(std::string(RUZOZAZE_SOURCE_DIR) + "/fuzz/regressions");  // empty while none
}

TEST(FuzzReplayTest, BadInputCorpus) {
  EXPECT_GT(ReplayFolder(std::string(RUZOZAZE_SOURCE_DIR) + "/tests/robustness/corpus"), 0u);
}

TEST(FuzzReplayTest, Samples) {
  EXPECT_GT(ReplayFolder(RUZOZAZE_SAMPLES_DIR), 0u);
}

}  // namespace
