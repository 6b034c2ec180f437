// One attribute of an element in the document tree: its name and value exactly as expat delivered
// them (UTF-8, after expat's entity replacement and value normalisation). An element holds its
// attributes by value, in the order of the start tag.
#pragma once

#include <string>
#include <string_view>

class OKRXMLAttribute {
 public:
  OKRXMLAttribute(std::string_view name, std::string_view value);
  OKRXMLAttribute(const OKRXMLAttribute&) = delete;
  OKRXMLAttribute& operator=(const OKRXMLAttribute&) = delete;
  OKRXMLAttribute(OKRXMLAttribute&&) noexcept = default;
  OKRXMLAttribute& operator=(OKRXMLAttribute&&) noexcept = default;

  // Both stay valid as long as the attribute; copy them to keep them longer.
  const std::string& GetName() const { return m_strName; }
  const std::string& GetValue() const { return m_strValue; }

 private:
  friend class OKRXMLElement;
  // New contents, in the storage the strings already have.
  void Assign(std::string_view name, std::string_view value);

  std::string m_strName;
  std::string m_strValue;
};
