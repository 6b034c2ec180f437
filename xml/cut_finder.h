// Where a long line may be cut into pieces for expat without changing what the parser reports.
//
// A cut point is the position of a '<' that follows a '>' with nothing but blanks (space, tab,
// CR) between them, outside comments and CDATA sections: no character data lies across it that
// a cut would split into two pieces (and so into two trimmed words). Whether a position lies
// inside a comment or a CDATA section depends on everything fed before, so the finder follows
// every byte that goes to expat.
#pragma once

#include <cstddef>
#include <string_view>

class OKRXMLCutFinder {
 public:
  // Notes bytes fed to expat whole.
  void Pass(std::string_view fed);

  // Returns the last cut point in text at or before `limit`, else the first one after it, else 0.
  // text is what follows the bytes fed so far.
  size_t FindCut(std::string_view text, size_t limit) const;

  // True inside a comment or CDATA section opened in the bytes fed so far.
  bool InSection() const { return m_state != State::kOutside; }

  // Notes that text up to a cut point that FindCut returned was fed.
  void PassToCut() { m_state = State::kOutside; }

 private:
  enum class State { kOutside, kComment, kCData };

  // The section that the '<' at text[at] opens (kOutside for any other markup); moves at behind
  // the opening marker.
  static State Opened(std::string_view text, size_t& at);
  // Moves at behind the end of the section that state names; false when text ends first.
  static bool Closed(State state, std::string_view text, size_t& at);

  State m_state = State::kOutside;
};
