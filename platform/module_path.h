// Where the program's own modules are: beside the program in a build folder; installed under a
// prefix, the program is in bin/ and its modules in lib/ruzozaze/.
#pragma once

#include <string>

namespace platform {

// The path of the module file `name`: the installed one where it exists and none lies beside
// the program, else the one beside the program.
std::string ModulePath(const std::string& name);

}  // namespace platform
