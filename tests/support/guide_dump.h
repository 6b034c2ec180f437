// The one dump of a guide the tests compare: what a database holds, independent of row ids.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// The whole guide, every table under its name with its rows sorted, row ids left out and each
// reference replaced by what it names (a service by its channel id, a provider by its name, a
// program by all its columns, an entry by its slot key): equal for two databases exactly when
// they differ in nothing but ids, whichever store holds them. `fileName`, the listings file of the
// run, stands as "<file>".
std::vector<std::string> DumpGuide(const std::string& database, const std::string& fileName = "");

}  // namespace testing_support
