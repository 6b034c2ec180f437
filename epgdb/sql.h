// The statements the component runs, by id: each store prepares its own text of each once, when
// the database is opened.
#pragma once

#include <cstddef>

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

constexpr size_t kSqlCount = size_t(Sql::kCount);

}  // namespace epgdb
