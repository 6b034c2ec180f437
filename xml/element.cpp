#include "xml/element.h"

#include <algorithm>

#include "xml/free_blocks.h"

using FreeElements = FreeBlocks<sizeof(OKRXMLElement)>;

void* OKRXMLElement::operator new(size_t size) {
  return FreeElements::Allocate(size);
}

void OKRXMLElement::operator delete(void* block, size_t size) {
  FreeElements::Free(block, size);
}

std::unique_ptr<OKRXMLElement> OKRXMLElement::CreateRoot(std::string_view name) {
  return std::unique_ptr<OKRXMLElement>(new OKRXMLElement(name, nullptr));
}

OKRXMLElement::OKRXMLElement(std::string_view name, OKRXMLElement* parent)
    : m_strName(name), m_pParent(parent) {}

OKRXMLElement::~OKRXMLElement() {
  // Each element is emptied of its children before it is deleted, so no destructor below this
  // one ever has children to destroy and the depth of the tree never reaches the call stack.
  std::vector<std::unique_ptr<OKRXMLElement>> pending = std::move(m_children);
  while (!pending.empty()) {
    std::unique_ptr<OKRXMLElement> element = std::move(pending.back());
    pending.pop_back();
    for (auto& child : element->m_children)
      pending.push_back(std::move(child));
    element->m_children.clear();
  }
}

OKRXMLElement* OKRXMLElement::AddChild(std::string_view name) {
  if (m_children.capacity() == 0)
    m_children.reserve(4);
  m_children.push_back(std::unique_ptr<OKRXMLElement>(new OKRXMLElement(name, this)));
  return m_children.back().get();
}

OKRXMLElement* OKRXMLElement::GetChild(unsigned index) const {
  return index < m_children.size() ? m_children[index].get() : nullptr;
}

OKRXMLElement* OKRXMLElement::FindChild(std::string_view name) const {
  for (const auto& child : m_children) {
    if (child->m_strName == name)
      return child.get();
  }
  return nullptr;
}

void OKRXMLElement::RemoveChild(const OKRXMLElement* child) {
  // The element removed is nearly always the one just finished, the last child: search backwards.
  auto it = std::find_if(m_children.rbegin(), m_children.rend(),
                         [child](const auto& c) { return c.get() == child; });
  if (it != m_children.rend())
    m_children.erase(std::next(it).base());
}

OKRXMLAttribute* OKRXMLElement::AddAttribute(std::string_view name, std::string_view value) {
  m_attributes.push_back(std::make_unique<OKRXMLAttribute>(name, value));
  return m_attributes.back().get();
}

OKRXMLAttribute* OKRXMLElement::GetAttribute(unsigned index) const {
  return index < m_attributes.size() ? m_attributes[index].get() : nullptr;
}

OKRXMLAttribute* OKRXMLElement::FindAttribute(std::string_view name) const {
  for (const auto& attribute : m_attributes) {
    if (attribute->GetName() == name)
      return attribute.get();
  }
  return nullptr;
}
