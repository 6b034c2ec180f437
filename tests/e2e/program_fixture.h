// Moved to tests/support; this name stays until the other folders include that one.
#pragma once

#include "tests/support/program_fixture.h"
