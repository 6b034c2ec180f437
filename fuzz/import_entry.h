// One run of both jobs over arbitrary bytes, shared by the fuzzer (import_fuzzer.cpp) and by the
// test that replays its findings in the normal build (tests/robustness/fuzz_replay_test.cpp).
//
// The bytes become the listings file in a private folder (under /dev/shm when it can be written,
// so commits cost no disk flush), which is also the current folder while the jobs run (for
// channels.txt). They are imported into a database that holds a small guide from before, with
// options that follow from the input's size (clean or not, age limit, offset, services file), then
// extracted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Runs the import and the extraction on the bytes, then checks the database: SQLite's integrity
// check, every reference of an entry to a row that exists, and, unless the run cleaned the
// guide, no two entries of one service overlapping in time. Returns "" when every check held,
// else a text naming what broke. The first call sets up the process (user interface, COM, the
// folder); the folder is removed at exit.
std::string ImportAndCheck(const uint8_t* data, size_t size);
