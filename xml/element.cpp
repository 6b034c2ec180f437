#include "xml/element.h"

#include <algorithm>
#include <utility>

namespace {

// Elements are made and dropped by the million while the tree stays small: the elements that
// RemoveChild takes out are kept, per thread, for the next ones, with the storage of their
// strings. The bounds keep what is held small whatever the document.
constexpr size_t kMaxKeptElements = 128;
constexpr size_t kMaxKeptAttributes = 4;
constexpr size_t kMaxKeptCapacity = 512;  // of each string and of the children's sequence

using Elements = std::vector<std::unique_ptr<OKRXMLElement>>;

Elements& KeptElements() {
  thread_local Elements kept;
  return kept;
}

template <typename Sequence>
void EmptyAndTrim(Sequence& sequence) {
  sequence.clear();
  if (sequence.capacity() > kMaxKeptCapacity)
    sequence.shrink_to_fit();
}

}  // namespace

std::unique_ptr<OKRXMLElement> OKRXMLElement::CreateRoot(std::string_view name) {
  return std::unique_ptr<OKRXMLElement>(new OKRXMLElement(name, nullptr));
}

OKRXMLElement::OKRXMLElement(std::string_view name, OKRXMLElement* parent)
    : m_strName(name), m_pParent(parent) {}

OKRXMLElement::~OKRXMLElement() {
  // Each element is emptied of its children before it is deleted, so no destructor below this
  // one ever has children to destroy and the depth of the tree never reaches the call stack.
  Elements pending = std::move(m_children);
  while (!pending.empty()) {
    std::unique_ptr<OKRXMLElement> element = std::move(pending.back());
    pending.pop_back();
    for (auto& child : element->m_children)
      pending.push_back(std::move(child));
    element->m_children.clear();
  }
}

std::unique_ptr<OKRXMLElement> OKRXMLElement::Make(std::string_view name, OKRXMLElement* parent) {
  Elements& kept = KeptElements();
  if (kept.empty())
    return std::unique_ptr<OKRXMLElement>(new OKRXMLElement(name, parent));
  std::unique_ptr<OKRXMLElement> element = std::move(kept.back());
  kept.pop_back();
  element->m_strName.assign(name);
  element->m_pParent = parent;
  return element;
}

void OKRXMLElement::Recycle(std::unique_ptr<OKRXMLElement> element) {
  // The kept elements' sequence is the queue of the subtree's walk: no recursion, no other
  // storage. Whatever lies beyond the bound afterwards, all of it childless by then, is deleted.
  Elements& kept = KeptElements();
  size_t next = kept.size();
  kept.push_back(std::move(element));
  for (; next < kept.size(); ++next) {
    OKRXMLElement* e = kept[next].get();
    for (auto& child : e->m_children)
      kept.push_back(std::move(child));
    e->Empty();
  }
  if (kept.size() > kMaxKeptElements) {
    kept.resize(kMaxKeptElements);
    if (kept.capacity() > 2 * kMaxKeptElements)
      kept.shrink_to_fit();
  }
}

void OKRXMLElement::Empty() {
  m_pParent = nullptr;
  EmptyAndTrim(m_strName);
  EmptyAndTrim(m_strText);
  EmptyAndTrim(m_children);
  if (m_attributes.size() > kMaxKeptAttributes)
    m_attributes.erase(m_attributes.begin() + kMaxKeptAttributes, m_attributes.end());
  // Those behind the element's own were emptied when it was taken back before.
  size_t used = std::min<size_t>(m_nAttributes, m_attributes.size());
  for (size_t i = 0; i < used; ++i) {
    EmptyAndTrim(m_attributes[i].m_strName);
    EmptyAndTrim(m_attributes[i].m_strValue);
  }
  m_nAttributes = 0;
}

OKRXMLElement* OKRXMLElement::AddChild(std::string_view name) {
  m_children.push_back(Make(name, this));
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
  if (it == m_children.rend())
    return;
  std::unique_ptr<OKRXMLElement> removed = std::move(*it);
  m_children.erase(std::next(it).base());
  Recycle(std::move(removed));
}

OKRXMLAttribute* OKRXMLElement::AddAttribute(std::string_view name, std::string_view value) {
  if (m_nAttributes < m_attributes.size()) {
    m_attributes[m_nAttributes].Assign(name, value);
  } else {
    m_attributes.emplace_back(name, value);
  }
  return &m_attributes[m_nAttributes++];
}

const OKRXMLAttribute* OKRXMLElement::GetAttribute(unsigned index) const {
  return index < m_nAttributes ? &m_attributes[index] : nullptr;
}

OKRXMLAttribute* OKRXMLElement::GetAttribute(unsigned index) {
  return const_cast<OKRXMLAttribute*>(std::as_const(*this).GetAttribute(index));
}

const OKRXMLAttribute* OKRXMLElement::FindAttribute(std::string_view name) const {
  for (unsigned i = 0; i < m_nAttributes; ++i) {
    if (m_attributes[i].m_strName == name)
      return &m_attributes[i];
  }
  return nullptr;
}

OKRXMLAttribute* OKRXMLElement::FindAttribute(std::string_view name) {
  return const_cast<OKRXMLAttribute*>(std::as_const(*this).FindAttribute(name));
}
