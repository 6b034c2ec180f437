// A BSTR made from ANSI text for the length of one call, freed when it goes out of scope.
#pragma once

#include <string_view>

#include "platform/com/bstr.h"

class ScopedBstr {
 public:
  explicit ScopedBstr(std::string_view ansi) : m_bstr(platform::AnsiToBstr(ansi)) {}
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  ~ScopedBstr() { SysFreeString(m_bstr); }
  operator BSTR() const { return m_bstr; }

 private:
  BSTR m_bstr;
};
