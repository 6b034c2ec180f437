#include "epgdb/postgres/schema.h"

#include <libpq-fe.h>

#include <string>

#include "diag/log.h"

namespace epgdb::postgres {
namespace {

constexpr char kSchemaVersion[] = "1";

constexpr char kCreateVersion1[] = R"sql(
CREATE SCHEMA IF NOT EXISTS glimmerbox;
CREATE TABLE IF NOT EXISTS glimmerbox.providers(
  id bigint PRIMARY KEY,
  name text UNIQUE,
  url text);
CREATE TABLE IF NOT EXISTS glimmerbox.services(
  id bigint PRIMARY KEY,
  channel_id text COLLATE "C" UNIQUE,
  name text,
  icon text,
  position bigint);
CREATE TABLE IF NOT EXISTS glimmerbox.programs(
  id bigint PRIMARY KEY,
  title text,
  sub_title text,
  description text,
  category text,
  directors text,
  actors text,
  presenters text,
  date bigint,
  star_rating text,
  subtitles text,
  previously_shown bigint,
  rating text,
  country text,
  language text,
  orig_language text,
  episode_number text,
  colour bigint,
  aspect text,
  audio_present bigint,
  video_present bigint,
  stereo text,
  length bigint,
  premiere bigint,
  last_chance bigint,
  is_new bigint);
CREATE TABLE IF NOT EXISTS glimmerbox.schedule_entries(
  id bigint PRIMARY KEY,
  slot_key text COLLATE "C" UNIQUE,
  service_id bigint,
  provider_id bigint,
  program_id bigint,
  start_time text COLLATE "C",
  end_time text COLLATE "C");
CREATE INDEX IF NOT EXISTS schedule_entries_service_start
  ON glimmerbox.schedule_entries(service_id, start_time);
CREATE INDEX IF NOT EXISTS schedule_entries_end ON glimmerbox.schedule_entries(end_time);
CREATE TABLE IF NOT EXISTS glimmerbox.schedule_entry_programs(
  entry_id bigint NOT NULL,
  seq bigint NOT NULL,
  program_id bigint,
  PRIMARY KEY(entry_id, seq));
CREATE TABLE IF NOT EXISTS glimmerbox.metadata(
  key text COLLATE "C" PRIMARY KEY,
  value text);
INSERT INTO glimmerbox.metadata(key, value) VALUES('schema_version', '1') ON CONFLICT(key) DO NOTHING;
)sql";

// The single value of a query, into *value ("" for NULL). False when it fails.
bool QueryValue(Connection& connection, const char* sql, std::string* value) {
  PGresult* result = connection.Query(sql);
  bool ok = result != nullptr && PQntuples(result) == 1;
  if (ok)
    *value = PQgetvalue(result, 0, 0);
  PQclear(result);
  return ok;
}

// The stored version: "" for a database without the guide's tables.
bool ReadVersion(Connection& connection, std::string* version) {
  std::string exists;
  if (!QueryValue(connection, "SELECT to_regclass('glimmerbox.metadata') IS NOT NULL", &exists))
    return false;
  version->clear();
  return exists != "t" ||
         QueryValue(connection,
                    "SELECT coalesce(max(value), '') FROM glimmerbox.metadata WHERE key = "
                    "'schema_version'",
                    version);
}

}  // namespace

bool EnsureSchema(Connection& connection) {
  std::string version;
  if (!ReadVersion(connection, &version)) {
    LogLine(ERROR, "Cannot read the EPG database: ", connection.Error());
    return false;
  }
  if (version == kSchemaVersion)
    return true;
  // Versions are whole numbers; one written longer is newer.
  if (!version.empty() && (version.size() > 1 || version > kSchemaVersion)) {
    LogLine(ERROR, "The EPG database has a newer schema version: ", version);
    return false;
  }
  if (!connection.Exec(kCreateVersion1)) {
    LogLine(ERROR, "Cannot create the EPG database: ", connection.Error());
    return false;
  }
  return true;
}

bool DeleteAllRows(Connection& connection) {
  for (const char* sql : {"DELETE FROM schedule_entry_programs", "DELETE FROM schedule_entries",
                          "DELETE FROM programs", "DELETE FROM services", "DELETE FROM providers",
                          "DELETE FROM metadata WHERE key <> 'schema_version'"})
    connection.Send(nullptr, sql, {});
  return connection.Sync();
}

}  // namespace epgdb::postgres
