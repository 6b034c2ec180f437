#include "epgdb/collections.h"

#include <vector>

#include "epgdb/schedule_entry.h"
#include "epgdb/time_text.h"
#include "platform/com/bstr.h"

namespace epgdb {
namespace {

// The stored entry of the slot key, or none (row.id 0).
EntryRow FindRow(Session& session, const std::string& slotKey) {
  session.WritePending();
  Statement& query = session[Sql::kEntryBySlot];
  query.Bind(1, slotKey);
  EntryRow row;
  row.slotKey = slotKey;
  if (query.Step()) {
    row.id = query.ColumnInt64(0);
    row.serviceId = query.ColumnInt64(1);
    row.providerId = query.ColumnInt64(2);
    row.programId = query.ColumnInt64(3);
    row.start = query.ColumnValue(4);
    row.end = query.ColumnValue(5);
  }
  query.Reset();
  return row;
}

void DeleteAddedPrograms(Session& session, int64_t entryId) {
  Statement& clear = session[Sql::kEntryProgramsClear];
  clear.Bind(1, entryId);
  clear.Run();
}

bool DeleteEntry(Session& session, int64_t id) {
  session.NoteProgramsReleased();
  DeleteAddedPrograms(session, id);
  Statement& remove = session[Sql::kEntryDelete];
  remove.Bind(1, id);
  return remove.Run();
}

bool IsSet(const Value& value) {
  return !std::holds_alternative<std::monostate>(value);
}

}  // namespace

HRESULT ScheduleEntries::Find(BSTR slotKey, IScheduleEntry** entry) {
  if (entry == nullptr)
    return E_POINTER;
  EntryRow row = FindRow(*session_, platform::BstrToAnsi(slotKey));
  *entry = row.id != 0 ? new ScheduleEntry(session_, std::move(row)) : nullptr;
  return *entry != nullptr ? S_OK : S_FALSE;
}

HRESULT ScheduleEntries::Add(BSTR slotKey, IScheduleEntry** entry) {
  if (entry == nullptr)
    return E_POINTER;
  EntryRow row = FindRow(*session_, platform::BstrToAnsi(slotKey));
  if (row.id != 0 && session_->Writable()) {
    session_->NoteProgramsReleased();
    DeleteAddedPrograms(*session_, row.id);
  }
  return Deliver<IScheduleEntry>(new ScheduleEntry(session_, std::move(row)), entry);
}

HRESULT ScheduleEntries::RemoveOlderThan(LONG days) {
  session_->WritePending();
  if (days < 0 || !session_->Writable())
    return S_FALSE;
  std::optional<std::string> before = LocalTimeDaysAgo(days);
  if (!before)
    return S_FALSE;
  for (Sql sql : {Sql::kEntriesEndedProgramsDelete, Sql::kEntriesEndedDelete}) {
    Statement& remove = (*session_)[sql];
    remove.Bind(1, *before);
    if (!remove.Run())
      return E_FAIL;
  }
  if (session_->Changes() > 0)
    session_->NoteProgramsReleased();
  return S_OK;
}

HRESULT ScheduleEntries::Reconcile(IScheduleEntry* entry) {
  auto* ours = dynamic_cast<ScheduleEntry*>(entry);
  if (ours == nullptr)
    return E_INVALIDARG;
  ours->WriteOthers();
  const EntryRow& row = ours->row();
  if (row.serviceId == 0 || !IsSet(row.start) || !IsSet(row.end) || !session_->Writable()) {
    return S_FALSE;
  }
  Statement& overlapping = (*session_)[Sql::kEntryOverlapping];
  overlapping.Bind(1, row.serviceId);
  overlapping.Bind(2, row.start);
  overlapping.Bind(3, row.end);
  overlapping.Bind(4, row.id);
  std::vector<int64_t> ids;
  while (overlapping.Step())
    ids.push_back(overlapping.ColumnInt64(0));
  bool ok = !overlapping.Failed();
  overlapping.Reset();
  for (int64_t id : ids)
    ok = DeleteEntry(*session_, id) && ok;
  return ok ? S_OK : E_FAIL;
}

}  // namespace epgdb
