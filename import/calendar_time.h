// A calendar time with the fields of the Windows SYSTEMTIME record, as read from XMLTV stamps,
// shifted by the user's offset and compared before it is handed to the EPG database.
#pragma once

#include <cstdint>

struct CalendarTime {
  uint16_t year = 0;
  uint16_t month = 0;      // 1 to 12
  uint16_t dayOfWeek = 0;  // 0 = Sunday; ignored on input, filled in by every shift
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;

  // True when every field but the day of week lies in its calendar range (year from 1601 on,
  // leap years by the Gregorian rule). A new record, all 0, is not valid.
  bool IsValid() const;

  // On success stores the 100-ns ticks since 1601-01-01 00:00:00 in *ticks. Fails for a time
  // that is not valid or lies beyond the year 30827; *ticks is then unchanged.
  bool ToTicks(int64_t* ticks) const;

  // On success sets all eight fields, day of week included, from a tick count. Fails for a
  // count before 1601 or beyond the year 30827 and leaves the record unchanged.
  bool FromTicks(int64_t ticks);

  // Shift by a signed number of minutes. On success all eight fields are set (day, month and year
  // roll over); fails for a time that is not valid or a result out of range, leaving the record
  // unchanged. A shift by 0 only fills in the day of week. The count is scaled in 64 bits, so
  // every 32-bit minute count is safe: one whose shift leaves the calendar just fails.
  bool AddMinutes(int32_t minutes);

  // Converts a UTC time to local time with the local zone's offset in effect now (not the one of
  // the date converted). Fails for a time that is not valid or out of range, leaving it unchanged.
  bool UtcToLocal();

 private:
  bool AddScaled(int64_t count, int64_t ticksPerUnit);
};

// Orders by year, month, day, hour, minute, second and milliseconds; day of week is ignored.
bool operator<=(const CalendarTime& left, const CalendarTime& right);
