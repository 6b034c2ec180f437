// printf-style formatting into a string of any reasonable length, and ANSI upper-casing.
#pragma once

#include <string>

// Formats into `out`. Returns the length written; texts of 32,768 characters or more are not cut
// but replaced by "ERROR: Output of Format was to big to handle\n", and the result is negative.
int Format(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Upper-cases the string in place the way the platform upper-cases ANSI text; the length stays.
void ToUpper(std::string& text);
