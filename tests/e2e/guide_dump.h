// The whole guide a run left in a database, as lines of text to compare exactly: every table,
// its rows in a fixed order, row ids left out and each reference replaced by what it refers to
// (a service by its channel id, a provider by its name, a program by all its columns, an entry by
// its slot key).
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// `fileName`, the listings file of the run, stands as "<file>" in the metadata, so that imports
// of the same listings under other names compare equal.
std::vector<std::string> DumpGuide(const std::string& database, const std::string& fileName);

}  // namespace testing_support
