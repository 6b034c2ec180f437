// One opened database: the connection, the import's transaction, the prepared statements and the
// items waiting to be written. Shared by the component object, its collections and its items,
// so an item released after Close finds a closed session and writes nothing.
#pragma once

#include <memory>
#include <string>

#include "epgdb/pending_writes.h"
#include "epgdb/sqlite.h"
#include "epgdb/statements.h"
#include "platform/com/types.h"

namespace epgdb {

class Session {
 public:
  // Opens or creates the database at `path`, creates or checks the schema and begins the
  // import's transaction (waiting up to 10 s for another writer), then empties the database
  // when a clean was requested for it. Returns null on failure, with nothing changed.
  static std::shared_ptr<Session> Open(const std::string& path);

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // True while the transaction is open and no write has failed in a way that loses data.
  bool Writable() const { return open_ && !connection_.Broken(); }
  Statement& operator[](Sql id) { return statements_[id]; }
  int64_t LastInsertRowid() const { return connection_.LastInsertRowid(); }
  PendingList& pending() { return pending_; }
  // Rows were written since the last call. Compare with 0 after a statement that changes rows.
  int64_t Changes() const { return connection_.Changes(); }

  // An entry row was deleted, lost its added programs or changed its program, or a write
  // failed: some program may no longer be used. Only then does PrepareSave look for unused
  // programs, which takes a pass over the whole table.
  void NoteProgramsReleased() { programsReleased_ = true; }

  // Writes every pending item; searches and saves call it first so they see every change.
  void WritePending();
  // Deletes every row, inside the transaction. True on success.
  bool DeleteAllRows();
  // Records a metadata value (source_description, services_file).
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
  bool Begin(const std::string& path);

  Connection connection_;
  Statements statements_;
  PendingList pending_;
  bool open_ = false;
  bool programsReleased_ = false;
  std::string services_file_;
};

}  // namespace epgdb
