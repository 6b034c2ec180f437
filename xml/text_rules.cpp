// The text rules of OKRXMLParser: what counts as blank and the trimming rule.
#include "xml/parser.h"

namespace {

// Graphic: 0x21 to 0x7E, and every byte from 0x80 up, so that text written only in Cyrillic,
// Greek, CJK ... is never taken for blank.
bool IsGraphic(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte > 0x20 && byte != 0x7F;
}

}  // namespace

bool OKRXMLParser::IsBlank(std::string_view text) {
  for (char c : text) {
    if (IsGraphic(c))
      return false;
  }
  return true;
}

std::string_view OKRXMLParser::TrimSpaces(std::string_view text) {
  size_t first = 0;
  size_t end = text.size();
  while (first < end && text[first] == ' ')
    ++first;
  while (end > first && text[end - 1] == ' ')
    --end;
  text = text.substr(first, end - first);
  return IsBlank(text) ? std::string_view() : text;
}
