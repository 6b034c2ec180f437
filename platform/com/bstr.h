// BSTR allocation: a UTF-16 string with its byte length stored before the first character.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/types.h"

// Returns a new BSTR holding the NUL-terminated text, or null for a null text.
BSTR SysAllocString(const OLECHAR* text);

// Returns a new BSTR holding `length` characters of `text` (zeros when text is null).
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);

void SysFreeString(BSTR bstr);

// Number of characters; 0 for null.
uint32_t SysStringLen(BSTR bstr);

namespace platform {

// A new BSTR from ANSI (UTF-8) bytes; invalid sequences become U+FFFD. Null when memory runs out.
BSTR AnsiToBstr(std::string_view ansi);

// The same into an existing BSTR with room for ansi.size() characters (no byte gives more than
// one), whose length becomes that of the result.
void AnsiIntoBstr(std::string_view ansi, BSTR bstr);

// The BSTR's characters as ANSI (UTF-8) bytes; "" for null.
std::string BstrToAnsi(BSTR bstr);

// The BSTR's characters; empty for null.
inline std::u16string_view BstrView(BSTR bstr) {
  return {bstr == nullptr ? u"" : bstr, SysStringLen(bstr)};
}

}  // namespace platform
