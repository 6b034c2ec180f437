#include "xml/attribute.h"

#include "xml/free_blocks.h"

using FreeAttributes = FreeBlocks<sizeof(OKRXMLAttribute)>;

void* OKRXMLAttribute::operator new(size_t size) {
  return FreeAttributes::Allocate(size);
}

void OKRXMLAttribute::operator delete(void* block, size_t size) {
  FreeAttributes::Free(block, size);
}

OKRXMLAttribute::OKRXMLAttribute(std::string_view name, std::string_view value)
    : m_strName(name), m_strValue(value) {}

OKRXMLAttribute::~OKRXMLAttribute() = default;
