#include "epgdb/collections.h"

#include "epgdb/schedule_entry.h"
#include "epgdb/time_text.h"
#include "platform/com/bstr.h"

namespace epgdb {

HRESULT ScheduleEntries::Find(BSTR slotKey, IScheduleEntry** entry) {
  if (entry == nullptr)
    return E_POINTER;
  if (lastAdded_ && platform::BstrView(slotKey) == lastAddedKey_) {
    session_->WritePending();
    lastAdded_->AddRef();
    return Deliver<IScheduleEntry>(lastAdded_.Get(), entry);
  }
  session_->Settle();
  EntryRow row = FindEntryRow(*session_, platform::BstrToAnsi(slotKey));
  *entry = row.id != 0 ? new ScheduleEntry(session_, std::move(row)) : nullptr;
  return *entry != nullptr ? S_OK : S_FALSE;
}

HRESULT ScheduleEntries::Add(BSTR slotKey, IScheduleEntry** entry) {
  if (entry == nullptr)
    return E_POINTER;
  // The writes still pending go first, so that the writer's search sees them.
  session_->WritePending();
  lastAddedKey_ = platform::BstrView(slotKey);
  lastAdded_ = ComPtr<ScheduleEntry>::Attach(new ScheduleEntry(session_, lastAddedKey_));
  lastAdded_->AddRef();
  return Deliver<IScheduleEntry>(lastAdded_.Get(), entry);
}

HRESULT ScheduleEntries::RemoveOlderThan(LONG days) {
  lastAdded_.Reset();
  // Entries handed over before are written first: their writes may wait in the writer's window
  // while the delete runs.
  session_->Settle();
  if (days < 0 || !session_->Writable())
    return S_FALSE;
  std::optional<std::string> before = LocalTimeDaysAgo(days);
  if (!before)
    return S_FALSE;
  // Runs with the writes, so that the caller goes on reading the file meanwhile. A delete that
  // fails leaves the old entries, as the result was never more than a note for the caller.
  session_->Post([session = session_.get(), before = std::move(*before)] {
    if (!session->Writable())
      return;
    for (Sql sql : {Sql::kEntriesEndedProgramsDelete, Sql::kEntriesEndedDelete}) {
      Statement& remove = (*session)[sql];
      remove.Bind(1, before);
      if (!remove.Run())
        return;
    }
    if (session->Changes() > 0)
      session->NoteProgramsReleased();
  });
  return S_OK;
}

HRESULT ScheduleEntries::Reconcile(IScheduleEntry* entry) {
  auto* ours = dynamic_cast<ScheduleEntry*>(entry);
  if (ours == nullptr)
    return E_INVALIDARG;
  ours->WriteOthers();
  return ours->Reconcile();
}

}  // namespace epgdb
