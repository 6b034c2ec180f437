#include "xml/cut_finder.h"

#include <cstring>

namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// True when the '<' at text[at] follows a '>' with nothing but blanks between them.
bool FollowsTagEnd(std::string_view text, size_t at) {
  while (at > 0 && IsBlank(text[at - 1]))
    --at;
  return at > 0 && text[at - 1] == '>';
}

size_t Find(std::string_view text, char c, size_t from) {
  if (from >= text.size())
    return kNone;
  const void* found = std::memchr(text.data() + from, c, text.size() - from);
  return found ? static_cast<const char*>(found) - text.data() : kNone;
}

}  // namespace

OKRXMLCutFinder::State OKRXMLCutFinder::Opened(std::string_view text, size_t& at) {
  std::string_view rest = text.substr(at);
  for (auto [marker, state] : {std::pair{std::string_view("<!--"), State::kComment},
                               std::pair{std::string_view("<![CDATA["), State::kCData}}) {
    if (rest.starts_with(marker)) {
      at += marker.size();
      return state;
    }
  }
  ++at;
  return State::kOutside;
}

bool OKRXMLCutFinder::Closed(State state, std::string_view text, size_t& at) {
  std::string_view marker = state == State::kComment ? "-->" : "]]>";
  size_t end = text.find(marker, at);
  if (end == kNone)
    return false;
  at = end + marker.size();
  return true;
}

void OKRXMLCutFinder::Pass(std::string_view fed) {
  size_t at = 0;
  for (;;) {
    if (m_state != State::kOutside) {
      if (!Closed(m_state, fed, at))
        return;
      m_state = State::kOutside;
    }
    // Both sections open with "<!" and '!' is rare elsewhere: look for it, not for every '<'.
    size_t bang = Find(fed, '!', at);
    if (bang == kNone)
      return;
    at = bang + 1;
    if (bang > 0 && fed[bang - 1] == '<') {
      size_t open = bang - 1;
      m_state = Opened(fed, open);
      if (m_state != State::kOutside)
        at = open;
    }
  }
}

size_t OKRXMLCutFinder::FindCut(std::string_view text, size_t limit) const {
  State state = m_state;
  size_t last = 0;
  size_t at = 0;
  for (;;) {
    if (state != State::kOutside) {
      if (!Closed(state, text, at))
        return last;
      state = State::kOutside;
    }
    size_t lt = Find(text, '<', at);
    if (lt == kNone)
      return last;
    at = lt;
    state = Opened(text, at);
    if (state == State::kOutside && FollowsTagEnd(text, lt)) {
      if (lt > limit)
        return last > 0 ? last : lt;
      last = lt;
    }
  }
}
