#include "platform/com/bstr.h"

#include <cstdlib>

#include "platform/codepage.h"

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
  auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + (length + 1) * 2));
  if (block == nullptr)
    return nullptr;
  *block = length * 2;
  BSTR s = reinterpret_cast<BSTR>(block + 1);
  if (text != nullptr) {
    std::memcpy(s, text, length * 2);
  } else {
    std::memset(s, 0, length * 2);
  }
  s[length] = 0;
  return s;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr)
    return nullptr;
  return SysAllocStringLen(text, static_cast<uint32_t>(std::char_traits<char16_t>::length(text)));
}

void SysFreeString(BSTR bstr) {
  if (bstr != nullptr)
    std::free(reinterpret_cast<uint32_t*>(bstr) - 1);
}

uint32_t SysStringLen(BSTR bstr) {
  return bstr == nullptr ? 0 : reinterpret_cast<uint32_t*>(bstr)[-1] / 2;
}

namespace platform {

BSTR AnsiToBstr(std::string_view ansi) {
  BSTR s = SysAllocStringLen(nullptr, static_cast<uint32_t>(ansi.size()));
  if (s != nullptr)
    AnsiIntoBstr(ansi, s);
  return s;
}

void AnsiIntoBstr(std::string_view ansi, BSTR bstr) {
  auto length = static_cast<uint32_t>(Utf8ToUtf16(ansi, bstr));
  reinterpret_cast<uint32_t*>(bstr)[-1] = length * 2;
  bstr[length] = 0;
}

std::string BstrToAnsi(BSTR bstr) {
  return Utf16ToUtf8(std::u16string_view(bstr == nullptr ? u"" : bstr, SysStringLen(bstr)));
}

}  // namespace platform
