#include "import/xmltv_time.h"

namespace {

constexpr int kMaxDigits = 14;

// The number written by `count` digits from `digits`.
uint16_t Number(const int* digits, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i)
    value = value * 10 + digits[i];
  return static_cast<uint16_t>(value);
}

}  // namespace

bool ParseXmltvTime(const char* text, CalendarTime* time) {
  *time = CalendarTime();
  if (*text == '\0')
    return false;

  int digits[kMaxDigits];
  int count = 0;
  const char* p = text;
  for (; count < kMaxDigits; ++p) {
    if (*p >= '0' && *p <= '9') {
      digits[count++] = *p - '0';
    } else if (*p != ':') {
      break;
    }
  }
  if (count < 4)
    return false;

  // Each field is set only when both of its digits were read.
  uint16_t* fields[] = {&time->month, &time->day, &time->hour, &time->minute, &time->second};
  time->year = Number(digits, 4);
  for (int i = 0; 4 + 2 * i + 2 <= count; ++i)
    *fields[i] = Number(digits + 4 + 2 * i, 2);

  // `p` is the terminator; the bytes after it are read only while none of them ends the text.
  if (*p != '\0' && p[1] == 'U' && p[2] == 'T')
    time->UtcToLocal();
  return true;
}
