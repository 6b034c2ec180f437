// A schedule entry: a row of schedule_entries under its slot key, with the rows of
// schedule_entry_programs for the programs added to it. Written once it is finished: when it is
// released, or before the next search or save; its program and provider are written first, as
// it needs their ids.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "epgdb/com_object.h"
#include "epgdb/pending_writes.h"
#include "epgdb/program.h"
#include "epgdb/provider.h"
#include "epgdb/session.h"
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

class ScheduleEntry final : public ComObject<IScheduleEntry, IID_IScheduleEntry>,
                            private PendingWrite {
 public:
  // A stored entry when row.id is set, else a new one that will be written.
  ScheduleEntry(std::shared_ptr<Session> session, EntryRow row);
  ~ScheduleEntry() override;

  // Writes the other pending items, so that a search sees them, leaving this entry pending:
  // while it is new, searches do not meet it.
  void WriteOthers();

  HRESULT SetProgram(IProgram* program) override;
  HRESULT SetService(IService* service) override;
  HRESULT SetProvider(IProvider* provider) override;
  HRESULT SetStartTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                       uint16_t second) override;
  HRESULT SetEndTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                     uint16_t second) override;
  HRESULT AddProgram(IProgram* program) override;

  // The entry as it stands: id 0 while it was never written, program and provider ids 0 while
  // theirs are not.
  const EntryRow& row() const { return row_; }

 private:
  void Changed();
  // Sets a column of the entry's place (service, start, end), noting whether it moved.
  template <typename T>
  void Place(T& column, T value);
  void Write() override;
  void WriteRow();
  // The statement that writes the row, bound: an insert, an update, or, while the service and
  // times are as stored, an update that leaves the indexes alone.
  Statement& BoundWrite();
  void WriteAddedPrograms();

  std::shared_ptr<Session> session_;
  EntryRow row_;
  // Since the row was last written: a column changed; the service or a time changed, so its
  // indexes need updating too.
  bool changed_ = false;
  bool moved_ = false;
  ComPtr<Program> program_;
  ComPtr<Provider> provider_;
  std::vector<ComPtr<Program>> addedPrograms_;
};

}  // namespace epgdb
