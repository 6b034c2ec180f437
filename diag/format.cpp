#include "diag/format.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

#include "platform/codepage.h"

namespace {

constexpr size_t kFirstBuffer = 512;
constexpr size_t kLargestBuffer = 51200;
constexpr char kTooBig[] = "ERROR: Output of Format was to big to handle\n";

// Formats into a buffer of `size` bytes; true when the text and its NUL fit.
bool TryFormat(char* buffer, size_t size, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = vsnprintf(buffer, size, format, copy);
  va_end(copy);
  return n >= 0 && static_cast<size_t>(n) < size;
}

}  // namespace

int Format(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  char first[kFirstBuffer];
  bool fits = TryFormat(first, sizeof first, format, args);
  if (fits)
    out = first;
  for (size_t size = 2 * kFirstBuffer; !fits && size <= kLargestBuffer; size *= 2) {
    auto buffer = std::make_unique<char[]>(size);
    fits = TryFormat(buffer.get(), size, format, args);
    if (fits)
      out = buffer.get();
  }
  va_end(args);
  if (!fits) {
    out = kTooBig;
    return -1;
  }
  return static_cast<int>(out.size());
}

void ToUpper(std::string& text) {
  if (text.empty())
    return;
  std::string buffer = text;
  platform::CharUpperA(buffer.data());
  text.replace(0, text.size(), buffer, 0, text.size());
}
