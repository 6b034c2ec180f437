// A schedule entry: a row of schedule_entries under its slot key, with the rows of
// schedule_entry_programs for the programs added to it. Written once it is finished: when it is
// released, or before the next search or save; its program and provider are written first, as
// it needs their ids.
//
// The stored row lives with the writer thread (EntryState): an entry made by Add is looked up
// there, and the setters' changes are collected here and handed over with the next write. The
// first write of such an entry goes as one task holding just its key, changes and ids, as
// thousands of them wait in the writer's window.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "epgdb/com_object.h"
#include "epgdb/pending_writes.h"
#include "epgdb/program.h"
#include "epgdb/provider.h"
#include "epgdb/session.h"
#include "epgdb/time_text.h"
#include "import/epgdb/items.h"
#include "platform/com/com_ptr.h"

namespace epgdb {

// The stored columns of an entry; ids are 0 for NULL.
struct EntryRow {
  int64_t id = 0;
  std::string slotKey;
  int64_t serviceId = 0;
  int64_t providerId = 0;
  int64_t programId = 0;
  Value start;
  Value end;
};

// The entry as the writer thread knows it: the row as stored, and since it was last written,
// whether a column changed and whether the service or a time did (its indexes need updating).
struct EntryState {
  EntryRow row;
  bool changed = false;
  bool moved = false;
  bool lookUp = false;  // the stored row of the slot key is still to be looked up
};

// The setters' changes since they were last handed over; unset fields did not change. Times are
// written out as text by the writer thread.
struct EntryChanges {
  std::optional<int64_t> serviceId;
  std::optional<TimeFields> start;
  std::optional<TimeFields> end;
  bool programSet = false;
  bool providerSet = false;

  bool Any() const { return programSet || providerSet || serviceId || start || end; }
};

// Room for the text of changed times, made on the thread that frees the row taking it.
struct TimeRooms {
  std::string start;
  std::string end;
};

class ScheduleEntry final : public ComObject<IScheduleEntry, IID_IScheduleEntry>,
                            private PendingWrite {
 public:
  // A stored entry found on this thread (row.id set).
  ScheduleEntry(std::shared_ptr<Session> session, EntryRow row);
  // The entry of the slot key: the writer looks the stored row up, empties it of its added
  // programs, or else the entry will be inserted.
  ScheduleEntry(std::shared_ptr<Session> session, std::u16string_view slotKey);
  ~ScheduleEntry() override;

  // Hands over the writes of the other pending items, so that a search sees them, leaving this
  // entry pending: while it is new, searches do not meet it.
  void WriteOthers();
  // Deletes the other entries of its service that overlap its time range. S_FALSE without a
  // service, a start and an end, or when nothing can be written.
  HRESULT Reconcile();
  // Hands the reconcile over that waits to go with the entry's first write; the session calls it
  // before it hands anything else over.
  void PostDeferredReconcile();

  HRESULT SetProgram(IProgram* program) override;
  HRESULT SetService(IService* service) override;
  HRESULT SetProvider(IProvider* provider) override;
  HRESULT SetStartTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                       uint16_t second) override;
  HRESULT SetEndTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                     uint16_t second) override;
  HRESULT AddProgram(IProgram* program) override;

 private:
  // The entry's service, and whether it has a start and an end, as they will stand once the
  // queued tasks have run, where this thread knows them: set here, or read from the row found here.
  struct Place {
    std::optional<int64_t> serviceId;
    std::optional<bool> start;
    std::optional<bool> end;
  };

  // Hands the changes collected so far over, to be applied to the state; the lookup of the
  // stored row as well, when it is still to come.
  void HandOverChanges();
  void Write() override;
  // Hands over, as one task, all that an entry that has handed nothing over yet is to write: the
  // lookup, the changes, the reconcile if one waits, and the row.
  void PostWhole(IdCell program, IdCell provider, std::vector<IdCell> added);
  void PostReconcile(EntryChanges changes);
  // Hands a write of this entry over, a callable taking the session and the state. The first one
  // looks the stored row of the slot key up before it.
  template <typename Task>
  void Post(Task task);

  std::shared_ptr<Session> session_;
  // The writer's once a write is handed over. Made apart from its count, so that a weak pointer
  // does not keep its memory.
  std::shared_ptr<EntryState> state_;
  bool lookUpPending_ = false;  // no write handed over yet looks the stored row up
  // The group of the writes handed over, while some may not have run. A stored row found under
  // the slot key is of the entry's service: the key names the channel.
  std::optional<int64_t> group_;
  EntryChanges changes_;
  // The changes made before a reconcile that is not handed over yet; set while the session
  // holds this entry as its deferred one.
  std::optional<EntryChanges> reconcile_;
  Place known_;
  ComPtr<Program> program_;
  ComPtr<Provider> provider_;
  std::vector<ComPtr<Program>> addedPrograms_;
};

// The writer's side, also run on the caller's thread after a drain.
// The stored row of the slot key, or none (row.id 0).
EntryRow FindEntryRow(Session& session, const std::string& slotKey);
// The same into *row, whose slot key is the one looked up: the other columns of the stored row,
// else id 0.
void ReadStoredRow(Session& session, EntryRow* row);
// Deletes the entries of the row's service overlapping its time range, other than the row;
// nothing when the row has no service, or a time that is not a valid calendar time. True on
// success.
bool DeleteOverlapping(Session& session, const EntryRow& row);

}  // namespace epgdb
