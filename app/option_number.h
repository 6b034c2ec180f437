// The number in an option value, read the way atol reads it but without overflow.
#pragma once

#include <cstdint>
#include <string>

// Skips leading white space (space, \t, \n, \v, \f, \r), takes an optional sign and then the
// decimal digits up to the first other character. Text without digits gives 0; a number beyond
// the 32-bit range gives INT32_MAX or INT32_MIN. Never fails.
int32_t ReadOptionNumber(const std::string& text);
