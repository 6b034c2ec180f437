#include "xml/attribute.h"

OKRXMLAttribute::OKRXMLAttribute(std::string_view name, std::string_view value)
    : m_strName(name), m_strValue(value) {}

OKRXMLAttribute::~OKRXMLAttribute() = default;
