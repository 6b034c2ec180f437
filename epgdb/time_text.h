// Times as stored: local wall-clock text "YYYY-MM-DD HH:MM:SS", which sorts in time order.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "epgdb/store.h"

namespace epgdb {

// A time as given: year, month, day, hour, minute, second.
using TimeFields = std::array<uint16_t, 6>;

// The six fields as given, each zero-padded (four digits for the year, two for the others);
// values that are not a valid time are written as they are.
std::string TimeText(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                     uint16_t second);
// The same into *out, in the room it has: kTimeTextRoom bytes hold any time.
void TimeTextInto(const TimeFields& time, std::string* out);
constexpr size_t kTimeTextRoom = 40;

// True for the text of a valid calendar time from the year 1 to 9999, in the stored form.
bool IsCalendarTime(const Value& time);

// The local wall-clock time `days` calendar days before now; none outside the years 1 to 9999.
std::optional<std::string> LocalTimeDaysAgo(int32_t days);

}  // namespace epgdb
