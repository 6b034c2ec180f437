// What one import did with the records of its listings file, for the closing summary. Every
// programme read ends in exactly one of: an entry added, a program attached to a clump, a clump
// member skipped, or a rejection.
#pragma once

#include <cstdint>
#include <string>

struct ImportSummary {
  uint64_t channels = 0;           // channel elements handled
  uint64_t channelsWithoutId = 0;  // of them: without an id, so not stored
  uint64_t programmes = 0;         // programme elements handled
  uint64_t entriesAdded = 0;       // schedule entries added
  uint64_t clumpsAttached = 0;     // programs attached to the entry of their clump
  uint64_t clumpsSkipped = 0;      // additional clump members skipped
  uint64_t brokenTimes = 0;        // rejected: stop not after start
  uint64_t noChannel = 0;          // rejected: no channel attribute
  uint64_t noTitle = 0;            // rejected: no title
  uint64_t otherRejections = 0;    // rejected for any other reason
  uint64_t channelNotFound = 0;    // entries added without a service
  bool fileRead = false;           // the import got as far as reading its file

  // "Import summary: 3 channels read (0 without id), 120 programmes read; ..." on one line.
  std::string Text() const;
};
