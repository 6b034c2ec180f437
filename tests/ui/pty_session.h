// Moved to tests/support/pty_session.h; kept until tests/e2e includes it from there.
#include "tests/support/pty_session.h"
