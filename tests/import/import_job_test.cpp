// The import job in this process, where the one fault no run of the program shows can be made:
// the component missing.
#include <gtest/gtest.h>

#include "import/epg_database.h"
#include "platform/com/com.h"
#include "tests/support/process_log.h"
#include "tests/support/recording_backend.h"

namespace {

// The whole clean and the opening each alert, and nothing is imported.
TEST(ImportJob, WithoutTheComponentEachStepAlerts) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "listings.xml", "<tv/>");
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  auto backend = std::make_unique<testing_support::RecordingBackend>();
  testing_support::RecordingBackend* ui = backend.get();
  platform::ui::InstallBackend(std::move(backend));
  CProgressDialog dialog;
  ImportOptions options;
  options.m_strFileName = dir / "listings.xml";
  options.m_bCleanAll = true;
  testing_support::LogSlice log;
  EXPECT_NE(CEPGDataBase(options, dialog).Open(), 0u);
  EXPECT_EQ(testing_support::CountOf(log.Text(),
                                     " USERALERT: Unrecoverable internal error: Cannot create EPG "
                                     "database. Did you install Almanor?\r\n"),
            2u)
      << log.Text();
  EXPECT_EQ(ui->boxes.size(), 2u);
  platform::ui::InstallBackend(nullptr);
  CoUninitialize();
}

}  // namespace
