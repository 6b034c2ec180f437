#include "tests/import/import_job_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>

#include "import/epg_database.h"
#include "platform/com/com.h"
#include "platform/ui/none/none_backend.h"
#include "resources/resources.h"

namespace import_test {

void ImportJobTest::SetUp() {
  char* folder = getcwd(nullptr, 0);
  previousFolder_ = folder;
  free(folder);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  setenv("GLIMMERBOX_REGISTRY", (dir / "registry.reg").c_str(), 1);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  auto backend = std::make_unique<testing_support::ScriptedBackend>();
  ui = backend.get();
  platform::ui::InstallBackend(std::move(backend));
  ASSERT_TRUE(dialog.Create());
  dialog.ShowWindow();
  options.m_strFileName = dir / "listings.xml";
}

void ImportJobTest::TearDown() {
  dialog.DestroyWindow();  // before its backend goes
  platform::ui::InstallBackend(std::make_unique<platform::ui::NoneBackend>());
  CoUninitialize();
  unsetenv("GLIMMERBOX_REGISTRY");
  EXPECT_EQ(chdir(previousFolder_.c_str()), 0);
}

JobRun ImportJobTest::Run(const std::string& document) {
  testing_support::WriteFile(dir / "listings.xml", document);
  size_t firstCall = fake.Calls().size();
  JobRun run;
  {
    CEPGDataBase job(options, dialog);
    run.openCode = job.Open();
    if (run.openCode == 0)
      run.imported = job.Import();
  }
  run.calls.assign(fake.Calls().begin() + static_cast<ptrdiff_t>(firstCall), fake.Calls().end());
  EXPECT_EQ(Show(fake.Unreleased()), "") << "references the job did not release";
  run.log = TakeLog();
  return run;
}

Lines ImportJobTest::TakeLog() {
  Lines lines;
  std::string text = log_.Text();
  size_t at = std::min(logSeen_, text.size());
  logSeen_ = text.size();
  for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
    std::string line = text.substr(at, end - at);
    size_t time = line.find(' ');  // "hh:mm:ss:mmm LEVEL: text"
    lines.push_back(time == std::string::npos ? line : line.substr(time + 1));
  }
  return lines;
}

Lines ImportJobTest::DialogLines() const {
  const std::string prefix = std::to_string(IDC_MAIN_STATUS) + ":";
  Lines lines;
  for (const std::string& item : ui->itemHistory) {
    if (item.starts_with(prefix))
      lines.push_back(item.substr(prefix.size()));
  }
  return lines;
}

Lines Starting(const Lines& lines, const std::string& prefix) {
  Lines found;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
               [&](const std::string& line) { return line.starts_with(prefix); });
  return found;
}

Lines Between(const Lines& lines, const std::string& first, const std::string& end) {
  auto starts = [](const std::string& prefix) {
    return [&prefix](const std::string& line) { return line.starts_with(prefix); };
  };
  auto from = std::find_if(lines.begin(), lines.end(), starts(first));
  auto to = from == lines.end() ? from : std::find_if(from + 1, lines.end(), starts(end));
  return Lines(from, to);
}

size_t Count(const Lines& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

bool Has(const Lines& lines, const std::string& line) {
  return Count(lines, line) > 0;
}

std::string Show(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\n";
  return text;
}

}  // namespace import_test
