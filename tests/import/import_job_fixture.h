// Runs the import job as the program does (Open, then Import when Open gave 0, then the job's
// destruction) on a listings document written to a temporary file, against the recording fake
// of the component, with the progress dialog shown on the scripted backend, in a temporary
// working folder and with a registry file of the test's own. Every run checks that the job
// released every reference it was handed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/import_options.h"
#include "tests/import/fake_component.h"
#include "tests/support/run_program.h"
#include "tests/support/scripted_backend.h"
#include "tests/ui/process_log.h"
#include "ui/progress_dialog.h"

namespace import_test {

using Lines = std::vector<std::string>;

struct JobRun {
  unsigned openCode = 0;
  bool imported = false;  // Import's result; false when it was not called
  Lines calls;            // the component's calls during the run
  Lines log;              // the log's lines during the run, without the time: "TRACE: ..."
};

class ImportJobTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the document to listings.xml (unless options.m_strFileName names another file) and
  // runs the job with `options`.
  JobRun Run(const std::string& document);

  // The log's lines since the last run or the last call, without the time: "TRACE: ...".
  Lines TakeLog();
  // What the dialog's main status line showed during the whole test, in order.
  Lines DialogLines() const;

  testing_support::TempDir dir;
  ImportOptions options;
  FakeComponent fake;
  testing_support::ScriptedBackend* ui = nullptr;
  CProgressDialog dialog;

 private:
  testing_support::LogSlice log_;
  size_t logSeen_ = 0;
  std::string previousFolder_;
};

// The lines that start with `prefix` ("Program#2.", "Entries.", "ERROR: "), in order.
Lines Starting(const Lines& lines, const std::string& prefix);
// The lines from the first that starts with `first` up to the one before the first after it that
// starts with `end` (or to the last line).
Lines Between(const Lines& lines, const std::string& first, const std::string& end);
size_t Count(const Lines& lines, const std::string& line);
bool Has(const Lines& lines, const std::string& line);
// The lines, one per row, for failure messages.
std::string Show(const Lines& lines);

}  // namespace import_test
