// Code pages. The ANSI code page is UTF-8, always, whatever the locale says. Conversions replace
// every invalid sequence with U+FFFD, so nothing is silently dropped and no input makes them fail.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 (and so ANSI) bytes to UTF-16.
std::u16string Utf8ToUtf16(std::string_view utf8);
// The same into a buffer of at least utf8.size() units (no input byte gives more than one unit);
// returns the number of units written.
size_t Utf8ToUtf16(std::string_view utf8, char16_t* out);

// UTF-16 to UTF-8 (and so ANSI) bytes; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// Upper-cases the NUL-terminated text in place: ASCII letters only, every other byte unchanged.
void CharUpperA(char* text);

}  // namespace platform
