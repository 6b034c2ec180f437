// Moved to tests/support/pty_session.cpp, built into test_support; kept until tests/e2e
// no longer builds it from here.
