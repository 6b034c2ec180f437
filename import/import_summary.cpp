#include "import/import_summary.h"

namespace {

std::string Count(uint64_t n, const char* what) {
  return std::to_string(n) + " " + what;
}

}  // namespace

std::string ImportSummary::Text() const {
  return "Import summary: " + Count(channels, "channels read (") +
         Count(channelsWithoutId, "without id), ") + Count(programmes, "programmes read; ") +
         Count(entriesAdded, "schedule entries added (") +
         Count(channelNotFound, "whose channel was not found), ") +
         Count(clumpsAttached, "programs attached to clumps, ") +
         Count(clumpsSkipped, "clump members skipped; rejected: ") +
         Count(brokenTimes, "with broken times, ") + Count(noChannel, "without channel, ") +
         Count(noTitle, "without title, ") + Count(otherRejections, "for other reasons");
}
