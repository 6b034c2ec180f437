#include "epgdb/schedule_entry.h"

#include <utility>

#include "epgdb/service.h"
#include "epgdb/time_text.h"

namespace epgdb {

ScheduleEntry::ScheduleEntry(std::shared_ptr<Session> session, EntryRow row)
    : session_(std::move(session)), row_(std::move(row)) {
  if (row_.id == 0)
    Changed();
}

ScheduleEntry::~ScheduleEntry() {
  WriteIfPending();
}

HRESULT ScheduleEntry::SetProgram(IProgram* program) {
  auto* ours = dynamic_cast<Program*>(program);
  if (program != nullptr && ours == nullptr)
    return E_INVALIDARG;
  program_ = ComPtr<Program>::Share(ours);
  if (row_.id != 0)
    session_->NoteProgramsReleased();
  row_.programId = 0;
  Changed();
  return S_OK;
}

HRESULT ScheduleEntry::SetService(IService* service) {
  auto* ours = dynamic_cast<Service*>(service);
  if (service != nullptr && ours == nullptr)
    return E_INVALIDARG;
  Place(row_.serviceId, ours != nullptr ? ours->id() : 0);
  return S_OK;
}

HRESULT ScheduleEntry::SetProvider(IProvider* provider) {
  auto* ours = dynamic_cast<Provider*>(provider);
  if (provider != nullptr && ours == nullptr)
    return E_INVALIDARG;
  provider_ = ComPtr<Provider>::Share(ours);
  row_.providerId = 0;
  Changed();
  return S_OK;
}

HRESULT ScheduleEntry::SetStartTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                                    uint16_t minute, uint16_t second) {
  Place(row_.start, Value(TimeText(year, month, day, hour, minute, second)));
  return S_OK;
}

HRESULT ScheduleEntry::SetEndTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                                  uint16_t minute, uint16_t second) {
  Place(row_.end, Value(TimeText(year, month, day, hour, minute, second)));
  return S_OK;
}

HRESULT ScheduleEntry::AddProgram(IProgram* program) {
  auto* ours = dynamic_cast<Program*>(program);
  if (ours == nullptr)
    return E_INVALIDARG;
  addedPrograms_.push_back(ComPtr<Program>::Share(ours));
  MarkPending(session_->pending());
  return S_OK;
}

void ScheduleEntry::WriteOthers() {
  bool pending = IsPending();
  Unmark();
  session_->WritePending();
  if (pending)
    MarkPending(session_->pending());
}

void ScheduleEntry::Changed() {
  changed_ = true;
  MarkPending(session_->pending());
}

template <typename T>
void ScheduleEntry::Place(T& column, T value) {
  if (column == value)
    return;
  moved_ = true;
  column = std::move(value);
  Changed();
}

void ScheduleEntry::Write() {
  if (!session_->Writable())
    return;
  if (program_)
    row_.programId = std::exchange(program_, {})->Store();
  if (provider_)
    row_.providerId = std::exchange(provider_, {})->Store();
  WriteRow();
  if (row_.id != 0)
    WriteAddedPrograms();
}

void ScheduleEntry::WriteRow() {
  if (row_.id != 0 && !changed_)
    return;
  bool isNew = row_.id == 0;
  if (!BoundWrite().Run()) {
    session_->NoteProgramsReleased();
    return;
  }
  if (isNew)
    row_.id = session_->LastInsertRowid();
  changed_ = moved_ = false;
}

Statement& ScheduleEntry::BoundWrite() {
  if (row_.id != 0 && !moved_) {
    Statement& update = (*session_)[Sql::kEntryUpdateOwners];
    update.Bind(1, row_.id);
    update.BindId(2, row_.providerId);
    update.BindId(3, row_.programId);
    return update;
  }
  Statement& write = (*session_)[row_.id == 0 ? Sql::kEntryInsert : Sql::kEntryUpdate];
  if (row_.id == 0) {
    write.Bind(1, row_.slotKey);
  } else {
    write.Bind(1, row_.id);
  }
  write.BindId(2, row_.serviceId);
  write.BindId(3, row_.providerId);
  write.BindId(4, row_.programId);
  write.Bind(5, row_.start);
  write.Bind(6, row_.end);
  return write;
}

void ScheduleEntry::WriteAddedPrograms() {
  Statement& add = (*session_)[Sql::kEntryProgramAdd];
  for (ComPtr<Program>& program : addedPrograms_) {
    add.Bind(1, row_.id);
    add.BindId(2, program->Store());
    if (!add.Run())
      session_->NoteProgramsReleased();
  }
  addedPrograms_.clear();
}

}  // namespace epgdb
