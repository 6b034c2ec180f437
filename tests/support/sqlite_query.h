// Reads a database the program wrote (a SQLite file, or a PostgreSQL URI): each row of a query as
// its columns joined with '|' (NULL as "NULL").
#pragma once

#include <string>
#include <vector>

namespace testing_support {

std::vector<std::string> QueryRows(const std::string& database, const std::string& sql);

// The single value of a query that yields one row with one column, or "" when it yields none.
std::string QueryValue(const std::string& database, const std::string& sql);

}  // namespace testing_support
