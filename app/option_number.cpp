#include "app/option_number.h"

#include <algorithm>

namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

int32_t ReadOptionNumber(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && IsWhiteSpace(text[at]))
    ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  // The magnitude stops growing at the limit of its sign, so it always fits in 64 bits.
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  int64_t magnitude = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at)
    magnitude = std::min(limit, magnitude * 10 + (text[at] - '0'));
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}
