// One opened database: the connection, the import's transaction, the prepared statements, the
// items waiting to be written and the thread that writes them. Shared by the component object,
// its collections and its items, so an item released after Close finds a closed session and
// writes nothing.
//
// Threads: the items live on the caller's thread. Their writes run on the writer thread, as
// tasks that carry copies of the values and never hold an item; row ids made there are kept in
// IdCells, read by later tasks. Whatever reads the database, and the rare statements that are
// not worth a task, first drain the writer and then use the connection on the caller's thread.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "epgdb/entry_frontiers.h"
#include "epgdb/pending_writes.h"
#include "epgdb/store.h"
#include "epgdb/writer.h"
#include "platform/com/types.h"

namespace epgdb {

// A row id made by a task: 0 until the row is written. Read only by tasks, or after Drain.
using IdCell = std::shared_ptr<int64_t>;

class ScheduleEntry;

class Session {
 public:
  // Opens or creates the database `location` names, creates or checks the schema and begins the
  // import's transaction (waiting up to 10 s for another writer), then empties the database
  // when a clean was requested for it. Returns null on failure, with nothing changed.
  static std::shared_ptr<Session> Open(const std::string& location);

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  // Runs the writes still queued, then rolls back what was not saved.
  ~Session();

  // True while the transaction is open and no write has failed in a way that loses data. On the
  // caller's thread, drain first for an answer that covers the queued writes.
  bool Writable() const { return open_ && !store_->Broken() && !writer_.Failed(); }
  // Hands a write to the writer thread; it runs after every write handed over before it but
  // those of a group, which may run later (Writer says how).
  void Post(Writer::Task task) {
    PostDeferred();
    writer_.Post(std::move(task));
  }
  // Hands over a write of a service's entries, run in the service's group.
  void Post(Writer::Task task, int64_t serviceId) {
    PostDeferred();
    writer_.Post(std::move(task), serviceId);
  }
  // Returns once every write handed over has run: the connection is then the caller's.
  void Drain() {
    PostDeferred();
    writer_.Drain();
  }
  // An entry's reconcile may wait to be handed over with the entry's first write, as one task
  // that holds less than half the memory of two while it waits in the writer's window. The
  // session holds one such entry, and hands its reconcile over before anything else, so that
  // the order of the writes stays.
  void Defer(ScheduleEntry* entry) {
    PostDeferred();
    deferred_ = entry;
  }
  // The entry hands its reconcile over with its write itself.
  void Undefer(ScheduleEntry* entry) {
    if (deferred_ == entry)
      deferred_ = nullptr;
  }
  void PostDeferred() {
    if (deferred_ != nullptr)
      PostDeferredReconcile();
  }
  Statement& operator[](Sql id) { return (*store_)[id]; }
  int64_t LastInsertRowid() const { return store_->LastInsertRowid(); }
  PendingList& pending() { return pending_; }
  // The import began by emptying the database, and its caller then reconciles no entry: each
  // entry reconciles itself as it is written, so that the entries of a service never overlap.
  bool ReconcilesEveryEntry() const { return reconcilesEveryEntry_; }
  // Where the entries of each service end; the writer's.
  EntryFrontiers& frontiers() { return frontiers_; }
  // Rows were written since the last call. Compare with 0 after a statement that changes rows.
  int64_t Changes() const { return store_->Changes(); }

  // An entry row was deleted, lost its added programs or changed its program, or a write
  // failed: some program may no longer be used. Only then does PrepareSave look for unused
  // programs, which takes a pass over the whole table.
  void NoteProgramsReleased() { programsReleased_ = true; }

  // Hands every pending item's write over; searches and saves call it (and drain) first, so they
  // see every change.
  void WritePending();
  // WritePending, then Drain: the connection is the caller's and holds every change.
  void Settle();
  // Deletes every row, inside the transaction. True on success.
  bool DeleteAllRows();
  // Records a metadata value (source_description, services_file), on the writer thread.
  void SetMetadata(const std::string& key, const std::string& value);

  void SetServicesFile(const std::string& path) { services_file_ = path; }
  // Writes what is pending, gives the services of the services file their positions and
  // deletes programs that no schedule entry uses.
  void PrepareSave();
  // Writes what is pending and commits. On failure rolls back and returns a negative HRESULT.
  // Either way the transaction is over and the session takes no further writes.
  HRESULT Save();
  // Rolls back whatever was not saved and closes the database.
  void Close();

 private:
  Session() = default;
  bool Begin(const std::string& location);
  void PostDeferredReconcile();

  std::unique_ptr<Store> store_;
  PendingList pending_;
  EntryFrontiers frontiers_;
  bool open_ = false;
  bool reconcilesEveryEntry_ = false;
  std::atomic<bool> programsReleased_ = false;
  std::string services_file_;
  ScheduleEntry* deferred_ = nullptr;
  Writer writer_;  // last: its thread ends before anything it uses goes
};

}  // namespace epgdb
