// Every statement the component runs, prepared once when the database is opened.
#pragma once

#include <array>

#include "epgdb/sqlite.h"

namespace epgdb {

enum class Sql {
  kProviderByName,
  kProviderInsert,
  kProviderUpdate,
  kServiceByChannel,
  kServiceInsert,
  kServiceUpdate,
  kServicesClearPositions,
  kServiceSetPosition,
  kProgramInsert,
  kProgramUpdate,
  kProgramsDeleteUnused,
  kEntryBySlot,
  kEntryInsert,
  kEntryUpdate,
  kEntryUpdateOwners,
  kEntryOverlapping,
  kEntryLastOfService,
  kEntryDelete,
  kEntriesEndedProgramsDelete,
  kEntriesEndedDelete,
  kEntryProgramsClear,
  kEntryProgramAdd,
  kMetadataSet,
  kCount
};

class Statements {
 public:
  // Prepares every statement. On failure (a schema that does not match) returns false.
  bool Prepare(Connection& connection);
  Statement& operator[](Sql id) { return statements_[size_t(id)]; }

 private:
  std::array<Statement, size_t(Sql::kCount)> statements_;
};

}  // namespace epgdb
