// The component driven call by call as one import run drives it: the services it meets stay
// referenced until after Close, clumps are found again by slot key, a skipped clump's program
// is never attached.
#include <gtest/gtest.h>

#include <map>

#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

struct Programme {
  std::string channel, start, stop, clump, title;
};

class ImportRun {
 public:
  explicit ImportRun(bool cleanAll) : cleanAll_(cleanAll) {
    if (cleanAll) {
      VARIANT_BOOL cleaned = 0;
      CreateComponent()->Clean(&cleaned);
      EXPECT_EQ(cleaned, VARIANT_TRUE);
    }
    database_ = CreateComponent();
    VARIANT_BOOL opened = VARIANT_FALSE;
    EXPECT_EQ(database_->Open(&opened), S_OK);
    EXPECT_EQ(opened, VARIANT_TRUE);
    database_->GetScheduleEntries(entries_.Out());
    database_->GetProviders(providers_.Out());
    database_->GetPrograms(programs_.Out());
    database_->GetTunables(tunables_.Out());
    database_->GetServices(services_.Out());
    database_->GetChannelLineups(lineups_.Out());
    if (!cleanAll)
      entries_->RemoveOlderThan(0);
    database_->SetSourceDescription(Text("XMLTV data read from: listings.xml"));
    database_->SetServicesFile(Text(""));
    providers_->Lookup(Text("XMLTV"), provider_.Out());
    if (!provider_) {
      providers_->Create(provider_.Out());
      provider_->SetName(Text("XMLTV"));
      provider_->SetURL(Text("http://xmltv.example/"));
    }
  }

  // Destroys as the import job does: Close, then the references, the channel map last.
  ~ImportRun() {
    LONG closed = 0;
    database_->Close(&closed);
    provider_.Reset();
    entries_.Reset();
    providers_.Reset();
    programs_.Reset();
    tunables_.Reset();
    services_.Reset();
    lineups_.Reset();
    database_.Reset();
    channels_.clear();
  }

  void Channel(const std::string& id, const std::string& name) {
    ComPtr<IService> service;
    services_->Find(Text(id), service.Out());
    if (!service)
      services_->Add(Text(id), service.Out());
    service->SetId(Text(id));
    service->SetName(Text(name));
    channels_.emplace(id, service);
  }

  void Handle(const Programme& p) {
    ComPtr<IProgram> program;
    programs_->Create(program.Out());
    program->SetTitle(Text(p.title));
    program->SetDirector(Text("Director of " + p.title));
    ComPtr<IService> service;
    if (auto it = channels_.find(p.channel); it != channels_.end()) {
      service = it->second;
    } else {
      services_->Lookup(Text(p.channel), service.Out());
    }
    std::string key = p.channel + "::" + p.start + "::" + p.stop;
    ComPtr<IScheduleEntry> entry;
    if (p.clump.empty() || p.clump[0] == '0') {
      entries_->Add(Text(key), entry.Out());
      entry->SetProvider(provider_.Get());
      entry->SetService(service.Get());
      entry->SetProgram(program.Get());
      entry->SetStartTime(2030, 1, 1, uint16_t(std::stoi(p.start)), 0, 0);
      entry->SetEndTime(2030, 1, 1, uint16_t(std::stoi(p.stop)), 0, 0);
      if (!cleanAll_)
        entries_->Reconcile(entry.Get());
    } else if (p.clump[0] == '1') {
      entries_->Find(Text(key), entry.Out());
      if (entry)
        entry->AddProgram(program.Get());
    }
  }

  HRESULT Save() {
    LONG prepared = 0;
    database_->PrepareSave(&prepared);
    return database_->Save();
  }

 private:
  bool cleanAll_;
  ComPtr<IEPGDatabase> database_;
  ComPtr<IProvider> provider_;
  ComPtr<IScheduleEntries> entries_;
  ComPtr<IProviders> providers_;
  ComPtr<IPrograms> programs_;
  ComPtr<ITunables> tunables_;
  ComPtr<IServices> services_;
  ComPtr<IChannelLineups> lineups_;
  std::map<std::string, ComPtr<IService>> channels_;
};

using ImportSequenceTest = DatabaseTest;

const std::vector<Programme> kListings = {
    {"one", "10", "11", "", "News"},
    {"one", "11", "12", "0/3", "Cartoon A"},
    {"one", "11", "12", "1/3", "Cartoon B"},
    {"one", "11", "12", "2/3", "Cartoon C"},
    {"two", "10", "12", "", "Film"},
    {"nowhere", "10", "11", "", "Lost"},
    {"one", "12", "13", "1/2", "Orphan clump"},
};

const char kGuide[] =
    "SELECT coalesce(s.name, '-'), p.title, e.start_time, v.name, "
    "(SELECT group_concat(q.title, '+') FROM schedule_entry_programs x JOIN programs q ON "
    "q.id = x.program_id WHERE x.entry_id = e.id) FROM schedule_entries e LEFT JOIN services s "
    "ON s.id = e.service_id JOIN programs p ON p.id = e.program_id JOIN providers v ON v.id = "
    "e.provider_id ORDER BY e.slot_key";

TEST_F(ImportSequenceTest, OneRunStoresChannelsProgrammesAndClumps) {
  {
    ImportRun run(false);
    run.Channel("one", "Channel One");
    run.Channel("two", "Channel Two");
    for (const Programme& p : kListings)
      run.Handle(p);
    EXPECT_EQ(run.Save(), S_OK);
  }
  std::vector<std::string> guide = {
      "-|Lost|2030-01-01 10:00:00|XMLTV|NULL",
      "Channel One|News|2030-01-01 10:00:00|XMLTV|NULL",
      "Channel One|Cartoon A|2030-01-01 11:00:00|XMLTV|Cartoon B",
      "Channel Two|Film|2030-01-01 10:00:00|XMLTV|NULL",
  };
  EXPECT_EQ(Query(kGuide), guide);
  EXPECT_EQ(Scalar("SELECT count(*) FROM programs"), "5");
  EXPECT_EQ(Query("SELECT directors FROM programs WHERE title = 'Cartoon B'"),
            (std::vector<std::string>{"Director of Cartoon B"}));

  // The same listings again, and again with the clean flag: nothing doubles.
  {
    ImportRun run(false);
    run.Channel("one", "Channel One");
    run.Channel("two", "Channel Two");
    for (const Programme& p : kListings)
      run.Handle(p);
    EXPECT_EQ(run.Save(), S_OK);
  }
  EXPECT_EQ(Query(kGuide), guide);
  {
    ImportRun run(true);
    run.Channel("one", "Channel One");
    run.Channel("two", "Channel Two");
    for (const Programme& p : kListings)
      run.Handle(p);
    EXPECT_EQ(run.Save(), S_OK);
  }
  EXPECT_EQ(Query(kGuide), guide);
  EXPECT_EQ(Scalar("SELECT count(*) FROM programs"), "5");
  EXPECT_EQ(Scalar("SELECT count(*) FROM services"), "2");
  EXPECT_EQ(Scalar("SELECT count(*) FROM providers"), "1");
}

}  // namespace
}  // namespace epgdb_test
