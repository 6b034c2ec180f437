#include "tests/epgdb/test_database.h"

#include <stdlib.h>

#include <sstream>

#include "epgdb/component.h"
#include "platform/com/bstr.h"
#include "platform/com/com.h"

namespace epgdb_test {

Text::Text(const std::string& ansi) : bstr_(platform::AnsiToBstr(ansi)) {}
Text::~Text() {
  SysFreeString(bstr_);
}

ComPtr<IEPGDatabase> CreateComponent() {
  ComPtr<IEPGDatabase> database;
  CoCreateInstance(CLSID_EPGDatabase, nullptr, CLSCTX_INPROC_SERVER, IID_IEPGDatabase,
                   reinterpret_cast<void**>(database.Out()));
  return database;
}

ImportRun::ImportRun() {
  VARIANT_BOOL flag = VARIANT_FALSE;
  opened = SUCCEEDED(database->Open(&flag)) && flag != VARIANT_FALSE;
  database->GetScheduleEntries(entries.Out());
  database->GetPrograms(programs.Out());
  database->GetServices(services.Out());
}

ComPtr<IService> ImportRun::Service(const std::string& channelId) {
  ComPtr<IService> service;
  if (services->Add(Text(channelId), service.Out()) == S_OK) {
    service->SetId(Text(channelId));
    service->SetName(Text(channelId));
  }
  return service;
}

ComPtr<IProgram> ImportRun::Program(const std::string& title) {
  ComPtr<IProgram> program;
  programs->Create(program.Out());
  program->SetTitle(Text(title));
  return program;
}

ComPtr<IScheduleEntry> ImportRun::Entry(const std::string& key, const std::string& channel,
                                  const std::string& titles, const std::string& start,
                                  const std::string& end) {
  ComPtr<IScheduleEntry> entry;
  entries->Add(Text(key), entry.Out());
  if (!channel.empty())
    entry->SetService(Service(channel).Get());
  std::istringstream parts(titles);
  std::string title;
  if (std::getline(parts, title, '+'))
    entry->SetProgram(Program(title).Get());
  while (std::getline(parts, title, '+'))
    entry->AddProgram(Program(title).Get());
  for (const auto& [time, setter] : {std::pair{start, &IScheduleEntry::SetStartTime},
                                     std::pair{end, &IScheduleEntry::SetEndTime}}) {
    if (time.empty())
      continue;
    std::string t = time.size() == 5 ? "2024-03-01 " + time : time;
    auto n = [&](size_t at, size_t length) { return uint16_t(std::stoi(t.substr(at, length))); };
    (entry.Get()->*setter)(n(0, 4), n(5, 2), n(8, 2), n(11, 2), n(14, 2), t.size() > 16 ? n(17, 2) : 0);
  }
  return entry;
}

HRESULT ImportRun::Save() {
  LONG result = 0;
  database->PrepareSave(&result);
  return database->Save();
}

void ImportRun::Close() {
  LONG result = 0;
  database->Close(&result);
  entries.Reset();
  programs.Reset();
  services.Reset();
  database.Reset();
}

void DatabaseTest::SetUp() {
  CoInitialize(nullptr);
  epgdb::RegisterComponent();
  setenv("GLIMMERBOX_EPG_DB", db_.c_str(), 1);
}

void DatabaseTest::TearDown() {
  epgdb::UnregisterComponent();
  CoUninitialize();
}

std::string DatabaseTest::Dump() const {
  std::string dump;
  for (const char* table : {"providers", "services", "programs", "schedule_entries",
                            "schedule_entry_programs", "metadata"}) {
    dump += std::string(table) + ":\n";
    for (const std::string& row : Query(std::string("SELECT * FROM ") + table + " ORDER BY 1, 2"))
      dump += row + "\n";
  }
  return dump;
}

std::vector<std::string> DatabaseTest::Guide() const {
  EXPECT_EQ(Scalar("SELECT count(*) FROM programs WHERE id NOT IN (SELECT program_id FROM "
                   "schedule_entries WHERE program_id IS NOT NULL UNION SELECT program_id FROM "
                   "schedule_entry_programs)"),
            "0");
  return Query(
      "SELECT coalesce(s.channel_id, '-'), coalesce(substr(e.start_time, 12, 5), '-'), "
      "coalesce(p.title, '-') || coalesce('+' || (SELECT group_concat(t, '+') FROM (SELECT "
      "q.title AS t FROM schedule_entry_programs x JOIN programs q ON q.id = x.program_id WHERE "
      "x.entry_id = e.id ORDER BY x.seq)), '') FROM schedule_entries e LEFT JOIN services s ON "
      "s.id = e.service_id LEFT JOIN programs p ON p.id = e.program_id ORDER BY s.channel_id, "
      "e.start_time");
}

}  // namespace epgdb_test
