#include "tests/support/pg_server.h"

#include <libpq-fe.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace testing_support {
namespace {

constexpr char kScript[] = RUZOZAZE_SOURCE_DIR "/tests/support/pg_cluster.sh";

struct Cluster {
  std::string dir;
  std::string why;  // empty once it runs
};

std::string RunScript(const std::string& command, const std::string& dir) {
  std::string line = "bash '" + std::string(kScript) + "' " + command + " '" + dir + "' 2>&1";
  std::string output;
  FILE* pipe = popen(line.c_str(), "r");
  char buffer[512];
  for (size_t n; pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  int status = pipe != nullptr ? pclose(pipe) : -1;
  return status == 0 ? "" : output.empty() ? "pg_cluster.sh " + command + " failed" : output;
}

void Stop();

// Never destroyed: Stop runs at exit, after the destructors of static objects.
Cluster& TheCluster() {
  static Cluster& cluster = *[] {
    auto* c = new Cluster;
    char dir[] = "/tmp/ruzozaze-pg-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
      c->why = "cannot make a temporary folder";
      return c;
    }
    c->dir = dir;
    c->why = RunScript("start", c->dir);
    atexit(Stop);
    return c;
  }();
  return cluster;
}

void Stop() {
  Cluster& cluster = TheCluster();
  if (cluster.why.empty())
    RunScript("stop", cluster.dir);
  std::error_code ignored;
  std::filesystem::remove_all(cluster.dir, ignored);
}

std::string Join(PGresult* result, int row) {
  std::string line;
  for (int column = 0; column < PQnfields(result); ++column) {
    if (column > 0)
      line += '|';
    line += PQgetisnull(result, row, column) ? "NULL" : PQgetvalue(result, row, column);
  }
  return line;
}

}  // namespace

bool PgServer::Start(std::string* why) {
  *why = TheCluster().why;
  return why->empty();
}

std::string PgServer::Uri(const std::string& database, const std::string& user,
                          const std::string& password) {
  std::string credentials = password.empty() ? user : user + ":" + password;
  return "postgresql://" + credentials + "@/" + database + "?host=" + TheCluster().dir;
}

std::string PgServer::NewDatabase(const std::string& user, const std::string& password) {
  static std::atomic<int> count = 0;
  std::string name = "guide" + std::to_string(++count);
  QueryRows(Uri("postgres"), "CREATE DATABASE " + name + " OWNER " + user);
  return Uri(name, user, password);
}

std::vector<std::string> PgServer::QueryRows(const std::string& uri, const std::string& sql) {
  std::unique_ptr<PGconn, decltype(&PQfinish)> conn(PQconnectdb(uri.c_str()), &PQfinish);
  if (PQstatus(conn.get()) != CONNECTION_OK)
    throw std::runtime_error(std::string("cannot connect: ") + PQerrorMessage(conn.get()));
  PQclear(PQexec(conn.get(), "SET search_path TO glimmerbox"));
  std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(conn.get(), sql.c_str()), &PQclear);
  ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
    throw std::runtime_error(PQerrorMessage(conn.get()) + (" in " + sql));
  std::vector<std::string> rows;
  for (int row = 0; row < PQntuples(result.get()); ++row)
    rows.push_back(Join(result.get(), row));
  return rows;
}

}  // namespace testing_support
