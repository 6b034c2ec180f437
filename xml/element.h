// One element of the document tree that OKRXMLParser grows: its name (UTF-8 as expat delivered
// it), its own text (ANSI, built by the parser), its parent, the children it owns and its
// attributes, both in document order. Plain byte strings: no escaping, no namespaces, no entities.
//
// Element pointers stay valid until the element is removed or the tree is destroyed; attribute
// pointers as well, and until the next AddAttribute on the same element (an element holds its
// attributes by value). Lookups compare whole names byte for byte and walk from the first entry.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xml/attribute.h"

class OKRXMLElement {
 public:
  // A new element without parent, children, attributes or text; the caller owns it.
  static std::unique_ptr<OKRXMLElement> CreateRoot(std::string_view name);

  // Destroys the whole subtree without recursion, so any depth of nesting is safe.
  virtual ~OKRXMLElement();
  OKRXMLElement(const OKRXMLElement&) = delete;
  OKRXMLElement& operator=(const OKRXMLElement&) = delete;

  // Name and text stay valid as long as the element (the text until it is changed).
  const std::string& GetName() const { return m_strName; }
  const std::string& GetText() const { return m_strText; }
  void SetText(std::string_view text) { m_strText.assign(text); }
  // Appends the bytes to the text as they are.
  void AppendText(std::string_view text) { m_strText.append(text); }
  // The text, to be changed in place.
  std::string& MutableText() { return m_strText; }

  // The enclosing element; null for the root.
  OKRXMLElement* GetParent() const { return m_pParent; }

  // Appends a new child with that name and returns it.
  OKRXMLElement* AddChild(std::string_view name);
  unsigned GetChildCount() const { return static_cast<unsigned>(m_children.size()); }
  // The child at index (0 is the first); null when index is not below the count.
  OKRXMLElement* GetChild(unsigned index) const;
  // The first child with exactly that name, or null.
  OKRXMLElement* FindChild(std::string_view name) const;
  // Takes that child out (the ones behind it move up) and destroys it with its subtree. A pointer
  // that is not one of the children changes nothing.
  void RemoveChild(const OKRXMLElement* child);

  // Appends a new attribute and returns it.
  OKRXMLAttribute* AddAttribute(std::string_view name, std::string_view value);
  unsigned GetAttributeCount() const { return m_nAttributes; }
  // The attribute at index; null when index is not below the count.
  const OKRXMLAttribute* GetAttribute(unsigned index) const;
  OKRXMLAttribute* GetAttribute(unsigned index);
  // The first attribute with exactly that name, or null.
  const OKRXMLAttribute* FindAttribute(std::string_view name) const;
  OKRXMLAttribute* FindAttribute(std::string_view name);

 private:
  OKRXMLElement(std::string_view name, OKRXMLElement* parent);

  // A new element: one that RemoveChild gave back, when there is one, else a newly made one.
  static std::unique_ptr<OKRXMLElement> Make(std::string_view name, OKRXMLElement* parent);
  // Takes back the element and its subtree for reuse (a bounded number; the rest are destroyed).
  static void Recycle(std::unique_ptr<OKRXMLElement> element);
  // Leaves the element without text and attributes, its children already taken, and keeps the
  // storage of its strings and sequences for the next use unless it grew large.
  void Empty();

  std::string m_strName;
  std::string m_strText;
  OKRXMLElement* m_pParent;
  std::vector<std::unique_ptr<OKRXMLElement>> m_children;
  // The first m_nAttributes are the element's; any behind them are left from an earlier use of
  // the element, kept for the storage of their strings.
  std::vector<OKRXMLAttribute> m_attributes;
  unsigned m_nAttributes = 0;
};
