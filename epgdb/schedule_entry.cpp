#include "epgdb/schedule_entry.h"

#include <utility>

#include "epgdb/service.h"
#include "epgdb/time_text.h"
#include "platform/codepage.h"

namespace epgdb {
namespace {

bool IsSet(const Value& value) {
  return !std::holds_alternative<std::monostate>(value);
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

// Looks the stored row of the state's slot key up; a stored row loses its added programs.
void LookUp(Session& session, EntryState& state) {
  ReadStoredRow(session, &state.row);
  if (state.row.id == 0) {
    state.changed = true;
    return;
  }
  if (session.Writable()) {
    session.NoteProgramsReleased();
    DeleteAddedPrograms(session, state.row.id);
  }
}

// Sets a column of the entry's place (service, start, end), noting whether it moved.
template <typename T>
void Place(EntryState& state, T& column, const T& value) {
  if (column == value)
    return;
  column = value;
  state.changed = state.moved = true;
}

// Sets a time of the entry's place, written into the room given, noting whether it moved.
void PlaceTime(EntryState& state, Value& column, const TimeFields& time, std::string& room) {
  TimeTextInto(time, &room);
  if (const auto* stored = std::get_if<std::string>(&column); stored != nullptr && *stored == room)
    return;
  column = std::move(room);
  state.changed = state.moved = true;
}

// Room for the changed times, made on the caller's thread: the state keeps it, and every block is
// freed on the thread that made it.
TimeRooms RoomsFor(const EntryChanges& changes) {
  TimeRooms rooms;
  if (changes.start)
    rooms.start.reserve(kTimeTextRoom);
  if (changes.end)
    rooms.end.reserve(kTimeTextRoom);
  return rooms;
}

void Apply(Session& session, EntryState& state, const EntryChanges& changes, TimeRooms& rooms) {
  if (changes.programSet) {
    if (state.row.id != 0)
      session.NoteProgramsReleased();
    state.row.programId = 0;
    state.changed = true;
  }
  if (changes.providerSet) {
    state.row.providerId = 0;
    state.changed = true;
  }
  if (changes.serviceId)
    Place(state, state.row.serviceId, *changes.serviceId);
  if (changes.start)
    PlaceTime(state, state.row.start, *changes.start, rooms.start);
  if (changes.end)
    PlaceTime(state, state.row.end, *changes.end, rooms.end);
}

void ReconcileRow(Session& session, const EntryState& state) {
  if (session.Writable())
    DeleteOverlapping(session, state.row);
}

// The statement that writes the row, bound: an insert, an update, or, while the service and
// times are as stored, an update that leaves the indexes alone.
Statement& BoundWrite(Session& session, const EntryState& state) {
  const EntryRow& row = state.row;
  if (row.id != 0 && !state.moved) {
    Statement& update = session[Sql::kEntryUpdateOwners];
    update.Bind(1, row.id);
    update.BindId(2, row.providerId);
    update.BindId(3, row.programId);
    return update;
  }
  Statement& write = session[row.id == 0 ? Sql::kEntryInsert : Sql::kEntryUpdate];
  if (row.id == 0) {
    write.Bind(1, row.slotKey);
  } else {
    write.Bind(1, row.id);
  }
  write.BindId(2, row.serviceId);
  write.BindId(3, row.providerId);
  write.BindId(4, row.programId);
  write.Bind(5, row.start);
  write.Bind(6, row.end);
  return write;
}

void WriteRow(Session& session, EntryState& state) {
  if (state.row.id != 0 && !state.changed)
    return;
  bool isNew = state.row.id == 0;
  if (!BoundWrite(session, state).Run()) {
    session.NoteProgramsReleased();
    return;
  }
  if (isNew)
    state.row.id = session.LastInsertRowid();
  if (isNew || state.moved)
    session.frontiers().Note(state.row.serviceId, state.row.start, state.row.end);
  state.changed = state.moved = false;
}

void WriteAddedPrograms(Session& session, int64_t entryId, const std::vector<IdCell>& programs) {
  Statement& add = session[Sql::kEntryProgramAdd];
  for (const IdCell& program : programs) {
    add.Bind(1, entryId);
    add.BindId(2, *program);
    if (!add.Run())
      session.NoteProgramsReleased();
  }
}

// The entry's program, provider and added programs, whose ids are written by now, and its row.
void WriteEntry(Session& session, EntryState& state, const IdCell& program, const IdCell& provider,
                const std::vector<IdCell>& added) {
  if (!session.Writable())
    return;
  if (program)
    state.row.programId = *program;
  if (provider)
    state.row.providerId = *provider;
  if (session.ReconcilesEveryEntry())
    DeleteOverlapping(session, state.row);
  WriteRow(session, state);
  if (state.row.id != 0)
    WriteAddedPrograms(session, state.row.id, added);
}

}  // namespace

void ReadStoredRow(Session& session, EntryRow* row) {
  Statement& query = session[Sql::kEntryBySlot];
  query.Bind(1, row->slotKey);
  if (query.Step()) {
    row->id = query.ColumnInt64(0);
    row->serviceId = query.ColumnInt64(1);
    row->providerId = query.ColumnInt64(2);
    row->programId = query.ColumnInt64(3);
    row->start = query.ColumnValue(4);
    row->end = query.ColumnValue(5);
  } else {
    row->id = 0;
  }
  query.Reset();
}

EntryRow FindEntryRow(Session& session, const std::string& slotKey) {
  EntryRow row;
  row.slotKey = slotKey;
  ReadStoredRow(session, &row);
  return row;
}

bool DeleteOverlapping(Session& session, const EntryRow& row) {
  // A time that is not one (a programme without start is all zero) would overlap far too much.
  if (row.serviceId == 0 || !IsCalendarTime(row.start) || !IsCalendarTime(row.end))
    return true;
  if (session.frontiers().Beyond(session, row.serviceId, row.start))
    return true;
  Statement& overlapping = session[Sql::kEntryOverlapping];
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
    ok = DeleteEntry(session, id) && ok;
  return ok;
}

ScheduleEntry::ScheduleEntry(std::shared_ptr<Session> session, EntryRow row)
    : session_(std::move(session)), state_(std::make_shared<EntryState>()) {
  known_ = {row.serviceId, IsSet(row.start), IsSet(row.end)};
  state_->row = std::move(row);
}

ScheduleEntry::ScheduleEntry(std::shared_ptr<Session> session, std::u16string_view slotKey)
    : session_(std::move(session)), state_(new EntryState), lookUpPending_(true) {
  state_->row.slotKey = platform::Utf16ToUtf8(slotKey);
  state_->row.slotKey.shrink_to_fit();  // it waits with the entry's write, often by thousands
  state_->lookUp = true;
  // A new entry must be written; a stored one with nothing changed writes nothing.
  MarkPending(session_->pending());
}

ScheduleEntry::~ScheduleEntry() {
  WriteIfPending();
}

HRESULT ScheduleEntry::SetProgram(IProgram* program) {
  auto* ours = dynamic_cast<Program*>(program);
  if (program != nullptr && ours == nullptr)
    return E_INVALIDARG;
  program_ = ComPtr<Program>::Share(ours);
  changes_.programSet = true;
  MarkPending(session_->pending());
  return S_OK;
}

HRESULT ScheduleEntry::SetService(IService* service) {
  auto* ours = dynamic_cast<Service*>(service);
  if (service != nullptr && ours == nullptr)
    return E_INVALIDARG;
  known_.serviceId = changes_.serviceId = ours != nullptr ? ours->id() : 0;
  MarkPending(session_->pending());
  return S_OK;
}

HRESULT ScheduleEntry::SetProvider(IProvider* provider) {
  auto* ours = dynamic_cast<Provider*>(provider);
  if (provider != nullptr && ours == nullptr)
    return E_INVALIDARG;
  provider_ = ComPtr<Provider>::Share(ours);
  changes_.providerSet = true;
  MarkPending(session_->pending());
  return S_OK;
}

HRESULT ScheduleEntry::SetStartTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                                    uint16_t minute, uint16_t second) {
  changes_.start = TimeFields{year, month, day, hour, minute, second};
  known_.start = true;
  MarkPending(session_->pending());
  return S_OK;
}

HRESULT ScheduleEntry::SetEndTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                                  uint16_t minute, uint16_t second) {
  changes_.end = TimeFields{year, month, day, hour, minute, second};
  known_.end = true;
  MarkPending(session_->pending());
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

HRESULT ScheduleEntry::Reconcile() {
  if (!known_.serviceId || !known_.start || !known_.end) {
    // Part of the place comes from a stored row that the writer looks up: wait for it.
    HandOverChanges();
    session_->Drain();
    const EntryRow& row = state_->row;
    known_ = {row.serviceId, IsSet(row.start), IsSet(row.end)};
  }
  if (*known_.serviceId == 0 || !*known_.start || !*known_.end || !session_->Writable()) {
    return S_FALSE;
  }
  session_->PostDeferred();
  if (lookUpPending_) {
    reconcile_ = std::exchange(changes_, {});
    session_->Defer(this);
    return S_OK;
  }
  PostReconcile(std::exchange(changes_, {}));
  return S_OK;
}

void ScheduleEntry::PostDeferredReconcile() {
  PostReconcile(*std::exchange(reconcile_, std::nullopt));
}

void ScheduleEntry::PostReconcile(EntryChanges changes) {
  TimeRooms rooms = RoomsFor(changes);
  Post([changes = std::move(changes), rooms = std::move(rooms)](Session& session,
                                                                EntryState& state) mutable {
    Apply(session, state, changes, rooms);
    ReconcileRow(session, state);
  });
}

void ScheduleEntry::HandOverChanges() {
  if (!changes_.Any() && !lookUpPending_)
    return;
  TimeRooms rooms = RoomsFor(changes_);
  Post([changes = std::exchange(changes_, {}), rooms = std::move(rooms)](
           Session& session, EntryState& state) mutable { Apply(session, state, changes, rooms); });
}

template <typename Task>
void ScheduleEntry::Post(Task task) {
  // Whatever was deferred goes first, this entry's own reconcile included.
  session_->PostDeferred();
  lookUpPending_ = false;
  auto write = [session = session_.get(), state = state_, task = std::move(task)]() mutable {
    if (std::exchange(state->lookUp, false))
      LookUp(*session, *state);
    task(*session, *state);
  };
  // The entry's writes run in its service's group. Where the service is not known, or another
  // than that of the writes handed over before, everything handed over runs first instead.
  if (!known_.serviceId || (group_ && *group_ != *known_.serviceId)) {
    session_->Drain();
    group_.reset();
  }
  if (!known_.serviceId)
    return session_->Post(std::move(write));
  group_ = known_.serviceId;
  session_->Post(std::move(write), *group_);
}

void ScheduleEntry::Write() {
  // Changes made after a deferred reconcile must apply after it, in tasks of their own.
  bool whole = lookUpPending_ && known_.serviceId && !(reconcile_ && changes_.Any());
  // The writes of the program and provider touch no entry: they may go before the reconcile.
  if (whole)
    session_->Undefer(this);
  IdCell program = program_ ? std::exchange(program_, {})->Store() : nullptr;
  IdCell provider = provider_ ? std::exchange(provider_, {})->Store() : nullptr;
  std::vector<IdCell> added;
  for (ComPtr<Program>& p : addedPrograms_)
    added.push_back(p->Store());
  addedPrograms_.clear();
  if (whole)
    return PostWhole(std::move(program), std::move(provider), std::move(added));
  HandOverChanges();
  Post([program = std::move(program), provider = std::move(provider), added = std::move(added)](
           Session& session, EntryState& state) {
    WriteEntry(session, state, program, provider, added);
  });
}

void ScheduleEntry::PostWhole(IdCell program, IdCell provider, std::vector<IdCell> added) {
  lookUpPending_ = false;
  group_ = known_.serviceId;
  bool reconcile = reconcile_.has_value();
  EntryChanges changes = std::exchange(reconcile ? *reconcile_ : changes_, {});
  reconcile_.reset();
  // The task holds the state only weakly: an entry released meanwhile frees it at once.
  auto whole = [session = session_.get(), shared = std::weak_ptr<EntryState>(state_),
                key = std::move(state_->row.slotKey), changes, reconcile,
                program = std::move(program), provider = std::move(provider),
                added = std::move(added)]() mutable {
    EntryState state;
    state.row.slotKey.swap(key);
    LookUp(*session, state);
    TimeRooms rooms;  // made here: freed here unless the state is kept
    Apply(*session, state, changes, rooms);
    if (reconcile)
      ReconcileRow(*session, state);
    WriteEntry(*session, state, program, provider, added);
    if (std::shared_ptr<EntryState> kept = shared.lock()) {
      *kept = std::move(state);  // the entry lives on: its later writes start from the row
      return;
    }
    state.row.slotKey.swap(key);  // freed with the task, on the thread that made it
  };
  session_->Post(std::move(whole), *group_);
}

}  // namespace epgdb
