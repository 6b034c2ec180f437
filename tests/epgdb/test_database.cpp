#include "tests/epgdb/test_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include "epgdb/component.h"
#include "platform/com/bstr.h"
#include "platform/com/com.h"

namespace epgdb_test {

Text::Text(const std::string& ansi) : bstr_(platform::AnsiToBstr(ansi)) {}
Text::~Text() {
  SysFreeString(bstr_);
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "epgdb_test.XXXXXX").string();
  path_ = mkdtemp(pattern.data());
}

TempFolder::~TempFolder() {
  std::filesystem::remove_all(path_);
}

ComPtr<IEPGDatabase> CreateComponent() {
  ComPtr<IEPGDatabase> database;
  CoCreateInstance(CLSID_EPGDatabase, nullptr, CLSCTX_INPROC_SERVER, IID_IEPGDatabase,
                   reinterpret_cast<void**>(database.Out()));
  return database;
}

Session::Session() : database(CreateComponent()) {
  VARIANT_BOOL flag = VARIANT_FALSE;
  opened = SUCCEEDED(database->Open(&flag)) && flag != VARIANT_FALSE;
  if (!opened)
    return;
  database->GetScheduleEntries(entries.Out());
  database->GetProviders(providers.Out());
  database->GetPrograms(programs.Out());
  database->GetServices(services.Out());
}

ComPtr<IService> Session::AddService(const std::string& channelId, const std::string& name) {
  ComPtr<IService> service;
  services->Add(Text(channelId), service.Out());
  service->SetId(Text(channelId));
  service->SetName(Text(name));
  return service;
}

ComPtr<IProgram> Session::NewProgram(const std::string& title) {
  ComPtr<IProgram> program;
  programs->Create(program.Out());
  program->SetTitle(Text(title));
  return program;
}

ComPtr<IProvider> Session::NewProvider(const std::string& name) {
  ComPtr<IProvider> provider;
  providers->Create(provider.Out());
  provider->SetName(Text(name));
  return provider;
}

namespace {

// "YYYY-MM-DD" and "HH:MM" to the six fields.
void SetTime(IScheduleEntry* entry, const std::string& day, const std::string& hhmm, bool end) {
  auto n = [](const std::string& s, size_t at, size_t len) {
    return uint16_t(std::stoi(s.substr(at, len)));
  };
  uint16_t y = n(day, 0, 4), mo = n(day, 5, 2), d = n(day, 8, 2);
  uint16_t h = n(hhmm, 0, 2), mi = n(hhmm, 3, 2);
  if (end) {
    entry->SetEndTime(y, mo, d, h, mi, 0);
  } else {
    entry->SetStartTime(y, mo, d, h, mi, 0);
  }
}

}  // namespace

ComPtr<IScheduleEntry> Session::AddEntry(const std::string& slotKey, IService* service,
                                         IProgram* program, const std::string& day,
                                         const std::string& start, const std::string& end) {
  ComPtr<IScheduleEntry> entry;
  entries->Add(Text(slotKey), entry.Out());
  entry->SetService(service);
  entry->SetProgram(program);
  SetTime(entry.Get(), day, start, false);
  SetTime(entry.Get(), day, end, true);
  return entry;
}

HRESULT Session::Save() {
  LONG result = 0;
  database->PrepareSave(&result);
  return database->Save();
}

void Session::Close() {
  LONG result = 0;
  if (database)
    database->Close(&result);
  entries.Reset();
  providers.Reset();
  programs.Reset();
  services.Reset();
  database.Reset();
}

void DatabaseTest::SetUp() {
  CoInitialize(nullptr);
  epgdb::RegisterComponent();
  dbPath_ = (folder_.path() / "guide" / "epg.sqlite").string();
  setenv("GLIMMERBOX_EPG_DB", dbPath_.c_str(), 1);
}

void DatabaseTest::TearDown() {
  epgdb::UnregisterComponent();
  CoUninitialize();
}

std::vector<std::string> DatabaseTest::Query(const std::string& sql) const {
  sqlite3* db = nullptr;
  std::vector<std::string> rows;
  if (sqlite3_open_v2(dbPath_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
    while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        row += (i > 0 ? "|" : "") + std::string(text == nullptr ? "NULL" : text);
      }
      rows.push_back(row);
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return rows;
}

std::string DatabaseTest::Scalar(const std::string& sql) const {
  std::vector<std::string> rows = Query(sql);
  return rows.empty() ? std::string() : rows[0];
}

std::string DatabaseTest::Dump() const {
  std::string dump;
  for (const char* table : {"providers", "services", "programs", "schedule_entries",
                            "schedule_entry_programs", "metadata"}) {
    dump += std::string(table) + ":\n";
    for (const std::string& row : Query(std::string("SELECT * FROM ") + table + " ORDER BY 1, 2")) {
      dump += row + "\n";
    }
  }
  return dump;
}

}  // namespace epgdb_test
