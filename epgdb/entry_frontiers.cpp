#include "epgdb/entry_frontiers.h"

#include "epgdb/session.h"

namespace epgdb {

bool EntryFrontiers::Beyond(Session& session, int64_t serviceId, const Value& start) {
  auto [it, added] = frontiers_.try_emplace(serviceId, "");
  if (added) {
    Statement& last = session[Sql::kEntryLastOfService];
    last.Bind(1, serviceId);
    if (last.Step()) {
      Extend(it->second, last.ColumnValue(0));
      Extend(it->second, last.ColumnValue(1));
    } else if (last.Failed()) {
      it->second.reset();
    }
    last.Reset();
  }
  const auto* text = std::get_if<std::string>(&start);
  return text != nullptr && it->second && *text >= *it->second;
}

void EntryFrontiers::Note(int64_t serviceId, const Value& start, const Value& end) {
  auto it = frontiers_.find(serviceId);
  if (it == frontiers_.end())
    return;  // read from the database when first needed, this entry included
  Extend(it->second, start);
  Extend(it->second, end);
}

void EntryFrontiers::Extend(Frontier& frontier, const Value& time) {
  if (std::holds_alternative<std::monostate>(time) || !frontier)
    return;
  const auto* text = std::get_if<std::string>(&time);
  if (text == nullptr) {
    frontier.reset();
  } else if (*text > *frontier) {
    *frontier = *text;
  }
}

}  // namespace epgdb
