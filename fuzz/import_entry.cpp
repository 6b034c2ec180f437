#include "fuzz/import_entry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "epgdb/component.h"
#include "extract/services_parser.h"
#include "import/epg_database.h"
#include "platform/com/com.h"
#include "platform/ui/backend_choice.h"
#include "ui/progress_dialog.h"

namespace {

// The guide every run starts from: a channel the samples use too, entries in the past and in
// the future.
constexpr char kEarlierListings[] = R"(<?xml version="1.0"?>
<tv>
<channel id="140"><display-name>Earlier</display-name></channel>
<channel id="a"><display-name>A</display-name></channel>
<programme start="20221020043000" stop="20221020071000" channel="140"><title>Old</title></programme>
<programme start="20991231220000" stop="20991231230000" channel="a"><title>Later</title></programme>
</tv>
)";

constexpr char kServicesList[] = "a\r\n140\n\nmissing\n";

struct Folder {
  std::string path, listings, database, earlierDatabase, servicesFile;
};

void WriteBytes(const std::string& path, const void* data, size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void RemoveDatabase(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"})
    std::filesystem::remove(path + suffix);
}

// Makes a folder the current one for its lifetime (the jobs write channels.txt there), then goes
// back: libFuzzer names its files relative to the folder it was started in.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& path) : m_nPrevious(open(".", O_RDONLY | O_CLOEXEC)) {
    if (m_nPrevious < 0 || chdir(path.c_str()) != 0)
      abort();
  }
  ~CurrentFolder() {
    if (fchdir(m_nPrevious) != 0)
      abort();
    close(m_nPrevious);
  }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  int m_nPrevious;
};

void RunJobs(const ImportOptions& importOptions, bool extract, const std::string& folder) {
  CurrentFolder current(folder);
  CProgressDialog progress;
  progress.Create();
  progress.ShowWindow();
  {
    CEPGDataBase job(importOptions, progress);
    if (job.Open() == 0)
      job.Import();
  }
  if (extract) {
    ImportOptions options = importOptions;
    options.m_bExtractOnly = true;
    CServicesParser job(options, progress);
    if (job.Open() == 0)
      job.ExtractServices();
  }
  progress.DestroyWindow();
}

std::string MakeFolder() {
  std::string base =
      access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path();
  std::string pattern = base + "/ruzozaze-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr)
    abort();
  return pattern;
}

// The folder to remove at exit; never freed, so that it outlives every static destructor.
std::string& FolderToRemove() {
  static std::string* path = new std::string;
  return *path;
}

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(FolderToRemove(), ignored);
}

Folder SetUp() {
  Folder folder;
  folder.path = MakeFolder();
  folder.listings = folder.path + "/listings.xml";
  folder.database = folder.path + "/epg.sqlite";
  folder.earlierDatabase = folder.path + "/earlier.sqlite";
  folder.servicesFile = folder.path + "/services.txt";
  FolderToRemove() = folder.path;
  atexit(RemoveFolder);
  unsetenv("logging");
  setenv("RUZOZAZE_UI", "none", 1);
  setenv("GLIMMERBOX_EPG_DB", folder.database.c_str(), 1);
  setenv("GLIMMERBOX_REGISTRY", (folder.path + "/registry.reg").c_str(), 1);
  platform::ui::ChooseBackend();
  CoInitialize(nullptr);
  epgdb::RegisterComponent();
  WriteBytes(folder.servicesFile, kServicesList, sizeof kServicesList - 1);
  WriteBytes(folder.listings, kEarlierListings, sizeof kEarlierListings - 1);
  ImportOptions options;
  options.m_strFileName = folder.listings;
  options.m_nDays = 36500;
  RunJobs(options, false, folder.path);
  std::filesystem::copy_file(folder.database, folder.earlierDatabase);
  return folder;
}

// Every option takes several values, chosen by the input's size so that a run can be repeated.
ImportOptions OptionsFor(size_t size, const Folder& folder) {
  static constexpr int32_t kOffsets[] = {0, 90, -1440, 35791};
  ImportOptions options;
  options.m_strFileName = folder.listings;
  options.m_bCleanAll = size % 7 == 0;
  options.m_nDays = size % 2 == 0 ? -1 : 36500;
  options.m_nOffsetMinutes = kOffsets[size / 2 % 4];
  if (size % 5 == 0)
    options.m_strServicesFile = folder.servicesFile;
  return options;
}

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// The first column of the query's first row, or a text naming the failure.
std::string QueryValue(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
    return std::string("cannot prepare: ") + sqlite3_errmsg(db);
  std::string value = "no row";
  if (sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    value = text == nullptr ? "NULL" : reinterpret_cast<const char*>(text);
  }
  sqlite3_finalize(statement);
  return value;
}

std::string CheckDatabase(const std::string& path, bool cleaned) {
  sqlite3* handle = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, DatabaseCloser> db(handle);
  if (rc != SQLITE_OK)
    return "cannot open the database";
  struct Check {
    const char* name;
    const char* sql;
    const char* expected;
  };
  const Check checks[] = {
      {"integrity", "PRAGMA integrity_check", "ok"},
      {"entries naming missing rows",
       "SELECT count(*) FROM schedule_entries e LEFT JOIN services s ON s.id = e.service_id "
       "LEFT JOIN providers r ON r.id = e.provider_id LEFT JOIN programs p ON p.id = e.program_id "
       "WHERE (e.service_id IS NOT NULL AND s.id IS NULL) "
       "OR (e.provider_id IS NOT NULL AND r.id IS NULL) "
       "OR (e.program_id IS NOT NULL AND p.id IS NULL)",
       "0"},
      {"added programs naming missing rows",
       "SELECT count(*) FROM schedule_entry_programs a "
       "LEFT JOIN schedule_entries e ON e.id = a.entry_id LEFT JOIN programs p ON p.id = "
       "a.program_id "
       "WHERE e.id IS NULL OR (a.program_id IS NOT NULL AND p.id IS NULL)",
       "0"},
      {"overlapping entries of one service",
       cleaned ? "SELECT 0"
               : "SELECT count(*) FROM schedule_entries a JOIN schedule_entries b "
                 "ON b.service_id = a.service_id AND b.id <> a.id "
                 "AND b.start_time < a.end_time AND a.start_time < b.end_time",
       "0"},
  };
  for (const Check& check : checks) {
    std::string value = QueryValue(db.get(), check.sql);
    if (value != check.expected)
      return std::string(check.name) + ": " + value;
  }
  return {};
}

}  // namespace

std::string ImportAndCheck(const uint8_t* data, size_t size) {
  static const Folder folder = SetUp();
  WriteBytes(folder.listings, data, size);
  RemoveDatabase(folder.database);
  std::filesystem::copy_file(folder.earlierDatabase, folder.database);
  ImportOptions options = OptionsFor(size, folder);
  RunJobs(options, true, folder.path);
  return CheckDatabase(folder.database, options.m_bCleanAll);
}
