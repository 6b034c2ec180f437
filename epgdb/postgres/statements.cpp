#include "epgdb/postgres/statements.h"

#include <libpq-fe.h>

#include <string>

namespace epgdb::postgres {
namespace {

enum Table { kProviders, kServices, kPrograms, kEntries, kTableCount };

struct Text {
  const char* sql;
  // The parameter of a new row's id, and its table; 0 when the statement inserts no row.
  int newIdParameter = 0;
  Table table = kProviders;
  // Its rows go many to a statement: the bulk of an import.
  bool batched = false;
};

constexpr Text kSql[] = {
    // kProviderByName
    {"SELECT id, name, url FROM providers WHERE name = $1"},
    // kProviderInsert: a second provider of the same name becomes the first one.
    {"INSERT INTO providers AS p(name, url, id) VALUES($1, $2, $3) "
     "ON CONFLICT(name) DO UPDATE SET url = coalesce(excluded.url, p.url) RETURNING id",
     3, kProviders},
    // kProviderUpdate
    {"UPDATE providers SET name = $2, url = $3 WHERE id = $1"},
    // kServiceByChannel
    {"SELECT id, name, icon FROM services WHERE channel_id = $1"},
    // kServiceInsert
    {"INSERT INTO services(channel_id, id) VALUES($1, $2)", 2, kServices},
    // kServiceUpdate
    {"UPDATE services SET channel_id = $2, name = $3, icon = $4 WHERE id = $1"},
    // kServicesClearPositions
    {"UPDATE services SET position = NULL WHERE position IS NOT NULL"},
    // kServiceSetPosition: an id listed twice keeps its first line.
    {"UPDATE services SET position = $2 WHERE channel_id = $1 AND position IS NULL"},
    // kProgramInsert
    {"INSERT INTO programs(title, sub_title, description, category, directors, actors, "
     "presenters, date, star_rating, subtitles, previously_shown, rating, country, language, "
     "orig_language, episode_number, colour, aspect, audio_present, video_present, stereo, "
     "length, premiere, last_chance, is_new, id) VALUES($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, "
     "$11, $12, $13, $14, $15, $16, $17, $18, $19, $20, $21, $22, $23, $24, $25, $26)",
     26, kPrograms, true},
    // kProgramUpdate
    {"UPDATE programs SET title = $1, sub_title = $2, description = $3, category = $4, "
     "directors = $5, actors = $6, presenters = $7, date = $8, star_rating = $9, "
     "subtitles = $10, previously_shown = $11, rating = $12, country = $13, language = $14, "
     "orig_language = $15, episode_number = $16, colour = $17, aspect = $18, "
     "audio_present = $19, video_present = $20, stereo = $21, length = $22, premiere = $23, "
     "last_chance = $24, is_new = $25 WHERE id = $26"},
    // kProgramsDeleteUnused
    {"DELETE FROM programs p WHERE NOT EXISTS (SELECT 1 FROM schedule_entries e "
     "WHERE e.program_id = p.id) AND NOT EXISTS (SELECT 1 FROM schedule_entry_programs x "
     "WHERE x.program_id = p.id)"},
    // kEntryBySlot
    {"SELECT id, service_id, provider_id, program_id, start_time, end_time "
     "FROM schedule_entries WHERE slot_key = $1"},
    // kEntryInsert
    {"INSERT INTO schedule_entries(slot_key, service_id, provider_id, program_id, start_time, "
     "end_time, id) VALUES($1, $2, $3, $4, $5, $6, $7)",
     7, kEntries, true},
    // kEntryUpdate
    {"UPDATE schedule_entries SET service_id = $2, provider_id = $3, program_id = $4, "
     "start_time = $5, end_time = $6 WHERE id = $1"},
    // kEntryUpdateOwners
    {"UPDATE schedule_entries SET provider_id = $2, program_id = $3 WHERE id = $1"},
    // kEntryOverlapping: the entries of service $1 overlapping [$2, $3), other than entry $4.
    // The entries of a service do not overlap each other, so only the last one starting before
    // $2 can reach into the range: the index range starts there and ends at $3.
    {"SELECT id FROM schedule_entries WHERE service_id = $1 AND start_time >= "
     "coalesce((SELECT start_time FROM schedule_entries WHERE service_id = $1 AND "
     "start_time < $2 ORDER BY start_time DESC LIMIT 1), $2) "
     "AND start_time < $3 AND end_time > $2 AND id <> $4"},
    // kEntryLastOfService: of entries starting at the same time, the one ending last.
    {"SELECT start_time, end_time FROM schedule_entries WHERE service_id = $1 "
     "ORDER BY start_time DESC, end_time DESC LIMIT 1"},
    // kEntryDelete
    {"DELETE FROM schedule_entries WHERE id = $1"},
    // kEntriesEndedProgramsDelete
    {"DELETE FROM schedule_entry_programs WHERE entry_id IN "
     "(SELECT id FROM schedule_entries WHERE end_time < $1)"},
    // kEntriesEndedDelete
    {"DELETE FROM schedule_entries WHERE end_time < $1"},
    // kEntryProgramsClear
    {"DELETE FROM schedule_entry_programs WHERE entry_id = $1"},
    // kEntryProgramAdd
    {"INSERT INTO schedule_entry_programs(entry_id, seq, program_id) "
     "SELECT $1::bigint, coalesce(max(seq), 0) + 1, $2::bigint FROM schedule_entry_programs "
     "WHERE entry_id = $1"},
    // kMetadataSet
    {"INSERT INTO metadata(key, value) VALUES($1, $2) "
     "ON CONFLICT(key) DO UPDATE SET value = excluded.value"},
};
static_assert(std::size(kSql) == kSqlCount);

}  // namespace

bool Statements::ReadHighestIds(Connection& connection) {
  PGresult* result = connection.Query(
      "SELECT (SELECT coalesce(max(id), 0) FROM providers), (SELECT coalesce(max(id), 0) FROM "
      "services), (SELECT coalesce(max(id), 0) FROM programs), (SELECT coalesce(max(id), 0) "
      "FROM schedule_entries)");
  bool ok = result != nullptr && PQntuples(result) == 1;
  for (int i = 0; ok && i < kTableCount; ++i)
    nextIds_[i] = std::stoll(PQgetvalue(result, 0, i));
  PQclear(result);
  return ok;
}

bool Statements::ReadKeys(Connection& connection) {
  // Row by row: the keys of a large guide never sit in memory together.
  if (PQsendQuery(connection.handle(), "SELECT slot_key FROM schedule_entries") != 1 ||
      PQsetSingleRowMode(connection.handle()) != 1)
    return false;
  bool ok = true;
  while (PGresult* result = PQgetResult(connection.handle())) {
    ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_SINGLE_TUPLE && !PQgetisnull(result, 0, 0)) {
      keys_.Add(std::string_view(PQgetvalue(result, 0, 0), PQgetlength(result, 0, 0)));
    } else if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK) {
      ok = false;
    }
    PQclear(result);
  }
  return ok;
}

bool Statements::Prepare(Connection& connection) {
  if (!ReadHighestIds(connection) || !ReadKeys(connection))
    return false;
  for (size_t i = 0; i < statements_.size(); ++i) {
    const Text& text = kSql[i];
    int64_t* nextId = text.newIdParameter != 0 ? &nextIds_[text.table] : nullptr;
    std::string name = std::to_string(i);
    if (!statements_[i].Prepare(connection, name.insert(0, 1, 's'), text.sql, text.newIdParameter,
                                nextId, &lastId_, text.batched))
      return false;
  }
  statements_[size_t(Sql::kEntryBySlot)].Filter(&keys_, false);
  statements_[size_t(Sql::kEntryInsert)].Filter(&keys_, true);
  return true;
}

void Statements::Detach() {
  for (Statement& statement : statements_)
    statement.Detach();
}

}  // namespace epgdb::postgres
