// Reading the start and stop stamps of XMLTV programmes.
#pragma once

#include "import/calendar_time.h"

// Reads a stamp of the form YYYY[MM[DD[hh[mm[ss]]]]], colons between the digits allowed, into
// *time. Fields without digits stay 0 and values are stored unchecked (month 13 stays 13).
// A stamp followed by one separator byte and "UT" is UTC and converted to local time when it is
// valid; any other suffix, a numeric zone offset included, is ignored and the time taken as
// local. Returns false, with *time all 0, for an empty text or fewer than 4 digits.
bool ParseXmltvTime(const char* text, CalendarTime* time);
