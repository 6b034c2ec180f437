#include "xml/attribute.h"

OKRXMLAttribute::OKRXMLAttribute(std::string_view name, std::string_view value)
    : m_strName(name), m_strValue(value) {}

void OKRXMLAttribute::Assign(std::string_view name, std::string_view value) {
  m_strName.assign(name);
  m_strValue.assign(value);
}
