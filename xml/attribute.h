// One attribute of an element in the document tree: its name and value exactly as expat delivered
// them (UTF-8, after expat's entity replacement and value normalisation).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class OKRXMLAttribute {
 public:
  OKRXMLAttribute(std::string_view name, std::string_view value);
  virtual ~OKRXMLAttribute();
  OKRXMLAttribute(const OKRXMLAttribute&) = delete;
  OKRXMLAttribute& operator=(const OKRXMLAttribute&) = delete;

  // Both stay valid as long as the attribute; copy them to keep them longer.
  const std::string& GetName() const { return m_strName; }
  const std::string& GetValue() const { return m_strValue; }

  // Freed attributes are kept for reuse, like elements (free_blocks.h).
  static void* operator new(size_t size);
  static void operator delete(void* block, size_t size);

 private:
  std::string m_strName;
  std::string m_strValue;
};
