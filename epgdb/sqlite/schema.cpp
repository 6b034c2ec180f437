#include "epgdb/sqlite/schema.h"

namespace epgdb::sqlite {
namespace {

constexpr char kCreateVersion1[] = R"sql(
CREATE TABLE IF NOT EXISTS providers(
  id INTEGER PRIMARY KEY,
  name TEXT UNIQUE,
  url TEXT);
CREATE TABLE IF NOT EXISTS services(
  id INTEGER PRIMARY KEY,
  channel_id TEXT UNIQUE,
  name TEXT,
  icon TEXT,
  position INTEGER);
CREATE TABLE IF NOT EXISTS programs(
  id INTEGER PRIMARY KEY,
  title TEXT,
  sub_title TEXT,
  description TEXT,
  category TEXT,
  directors TEXT,
  actors TEXT,
  presenters TEXT,
  date INTEGER,
  star_rating TEXT,
  subtitles TEXT,
  previously_shown INTEGER,
  rating TEXT,
  country TEXT,
  language TEXT,
  orig_language TEXT,
  episode_number TEXT,
  colour INTEGER,
  aspect TEXT,
  audio_present INTEGER,
  video_present INTEGER,
  stereo TEXT,
  length INTEGER,
  premiere INTEGER,
  last_chance INTEGER,
  is_new INTEGER);
CREATE TABLE IF NOT EXISTS schedule_entries(
  id INTEGER PRIMARY KEY,
  slot_key TEXT UNIQUE,
  service_id INTEGER REFERENCES services(id),
  provider_id INTEGER REFERENCES providers(id),
  program_id INTEGER REFERENCES programs(id),
  start_time TEXT,
  end_time TEXT);
CREATE INDEX IF NOT EXISTS schedule_entries_service_start
  ON schedule_entries(service_id, start_time);
CREATE INDEX IF NOT EXISTS schedule_entries_end ON schedule_entries(end_time);
CREATE TABLE IF NOT EXISTS schedule_entry_programs(
  entry_id INTEGER NOT NULL REFERENCES schedule_entries(id),
  seq INTEGER NOT NULL,
  program_id INTEGER REFERENCES programs(id),
  PRIMARY KEY(entry_id, seq)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS metadata(
  key TEXT PRIMARY KEY,
  value TEXT);
PRAGMA user_version = 1;
)sql";

bool ReadVersion(Connection& connection, int64_t* version) {
  Statement query;
  if (!query.Prepare(connection, "PRAGMA user_version"))
    return false;
  bool ok = query.Step();
  *version = ok ? query.ColumnInt64(0) : 0;
  query.Reset();
  return ok;
}

}  // namespace

bool EnsureSchema(Connection& connection) {
  int64_t version = 0;
  if (!ReadVersion(connection, &version) || version > kSchemaVersion)
    return false;
  return version == kSchemaVersion || connection.Exec(kCreateVersion1);
}

bool DeleteAllRows(Connection& connection) {
  return connection.Exec(
      "DELETE FROM schedule_entry_programs; DELETE FROM schedule_entries; DELETE FROM programs; "
      "DELETE FROM services; DELETE FROM providers; DELETE FROM metadata;");
}

}  // namespace epgdb::sqlite
