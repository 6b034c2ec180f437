// How far in time the schedule entries of each service reach, so that an entry starting there or
// later is known to overlap none and the search for the entries it overlaps is skipped: the
// common case of an import that adds listings behind the guide's end, or fills an empty guide.
//
// A service's frontier is read when first needed, from its entry with the latest start (as the
// overlap search does, this relies on the entries of a service not overlapping each other), and
// moved on with every entry written. Entries deleted leave it where it is: it only ever errs on
// the side of searching. Used only where the writes run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "epgdb/store.h"

namespace epgdb {

class Session;

class EntryFrontiers {
 public:
  // True when no entry of the service ends after `start`, nor starts after it.
  bool Beyond(Session& session, int64_t serviceId, const Value& start);
  // Notes an entry written with these times.
  void Note(int64_t serviceId, const Value& start, const Value& end);

 private:
  // The latest time of the service's entries: "" when it has none; none when some time is not a
  // text, and comparisons of texts say nothing.
  using Frontier = std::optional<std::string>;

  static void Extend(Frontier& frontier, const Value& time);

  std::unordered_map<int64_t, Frontier> frontiers_;
};

}  // namespace epgdb
