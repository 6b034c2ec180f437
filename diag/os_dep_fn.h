// Functions looked up in a library at run time, so that a missing optional library or symbol
// only makes the function unavailable.
#pragma once

#include "platform/library.h"

class TOSDepFnBase {
 public:
  TOSDepFnBase(const char* library, const char* function)
      : m_pszLibrary(library), m_pszFunction(function) {}
  TOSDepFnBase(const TOSDepFnBase&) = delete;
  TOSDepFnBase& operator=(const TOSDepFnBase&) = delete;
  virtual ~TOSDepFnBase() { platform::FreeLibrary(m_hLibrary); }
  virtual bool IsAvailable() = 0;

 protected:
  // Loads the library and looks the symbol up, once; returns the symbol or null.
  void* Resolve() {
    m_bTried = true;
    platform::SetErrorMode(0x8000);
    m_hLibrary = platform::LoadLibrary(m_pszLibrary);
    void* symbol = platform::GetProcAddress(m_hLibrary, m_pszFunction);
    if (symbol == nullptr && m_hLibrary != nullptr) {
      platform::FreeLibrary(m_hLibrary);
      m_hLibrary = nullptr;
    }
    return symbol;
  }

  bool m_bTried = false;
  platform::LibraryHandle m_hLibrary = nullptr;
  const char* m_pszLibrary;
  const char* m_pszFunction;
};

template <typename F>
class TOSDepFn : public TOSDepFnBase {
 public:
  using TOSDepFnBase::TOSDepFnBase;
  bool IsAvailable() override { return Get() != nullptr; }
  // The function, looked up on first use; null when the library or the symbol is missing.
  F Get() {
    if (m_pfn == nullptr && !m_bTried)
      m_pfn = reinterpret_cast<F>(Resolve());
    return m_pfn;
  }

 private:
  F m_pfn = nullptr;
};
