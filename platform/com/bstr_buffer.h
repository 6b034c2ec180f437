// One BSTR rewritten with text after text, in storage that grows when needed and is kept: for
// handing a component many texts without an allocation for each. A callee never keeps a BSTR it
// is given, so one buffer serves one call after another.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "platform/com/bstr.h"

class BstrBuffer {
 public:
  BstrBuffer() = default;
  BstrBuffer(const BstrBuffer&) = delete;
  BstrBuffer& operator=(const BstrBuffer&) = delete;
  ~BstrBuffer() { SysFreeString(m_bstr); }

  // The ANSI text as a BSTR (invalid sequences become U+FFFD), valid until the next Set or the
  // end of the buffer. Null when memory runs out.
  BSTR Set(std::string_view ansi) {
    if (m_bstr == nullptr || ansi.size() > m_nCapacity) {
      SysFreeString(m_bstr);
      m_nCapacity = std::max(ansi.size(), 2 * m_nCapacity);
      m_bstr = SysAllocStringLen(nullptr, static_cast<uint32_t>(m_nCapacity));
      if (m_bstr == nullptr)
        m_nCapacity = 0;
    }
    if (m_bstr != nullptr)
      platform::AnsiIntoBstr(ansi, m_bstr);
    return m_bstr;
  }

 private:
  BSTR m_bstr = nullptr;
  size_t m_nCapacity = 0;  // characters that m_bstr has room for
};
