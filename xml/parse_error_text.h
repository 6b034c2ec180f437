// Reports why a listings file was not read to a well-formed end, naming the file and the place.
#pragma once

#include "xml/parse_error.h"

// Logs the fault at ERROR level ("XML error in '<file>' at line L, column C: <text>", "Cannot read
// XMLTV file '<file>' at line L: <reason>" when the reading failed on its way, or "Cannot read
// XMLTV file '<file>': <reason>" when the file could not be opened) and returns true; returns
// false, logging nothing, when the file was read to its end or the reading was stopped on
// request.
bool LogParseError(const OKRXMLParseError& error);
