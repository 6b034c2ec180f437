// The tests' own PostgreSQL server: a throw-away cluster (tests/support/pg_cluster.sh) in a
// temporary folder, listening only on a Unix socket there, started at the first use in a test
// binary and stopped when it exits.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Ends the test as skipped when PostgreSQL is not installed; fails it when the server does not
// start.
#define SKIP_WITHOUT_POSTGRES()                                     \
  if (std::string why; !testing_support::PgServer::Start(&why)) {   \
    if (!why.starts_with(testing_support::PgServer::kNotInstalled)) \
      FAIL() << why;                                                \
    GTEST_SKIP() << why;                                            \
  }

namespace testing_support {

class PgServer {
 public:
  static constexpr char kNotInstalled[] = "PostgreSQL is not installed";

  // Starts the binary's server once. False with the reason when it cannot.
  static bool Start(std::string* why);
  // A new, empty database, and the URI that names it for `user` with `password` ("" for none).
  static std::string NewDatabase(const std::string& user = "postgres",
                                 const std::string& password = "");
  // The URI of a database for `user` with `password`.
  static std::string Uri(const std::string& database, const std::string& user = "postgres",
                         const std::string& password = "");
  // Runs `sql` on the database `uri` names, with the guide's schema first in the
  // search path; each row as its columns joined with '|', NULL as "NULL". Throws on an error.
  static std::vector<std::string> QueryRows(const std::string& uri, const std::string& sql);
};

}  // namespace testing_support
