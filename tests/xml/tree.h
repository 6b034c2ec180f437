// The parser with its tree in view, and the tree written out, for the tests of the XML folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "xml/parser.h"

class TreeParser : public OKRXMLParser {
 public:
  using OKRXMLParser::BytesConsumed;
  using OKRXMLParser::GetRoot;
  // Opens and parses the file: ParseFile's code.
  unsigned Read(const std::string& path) {
    EXPECT_EQ(Open(), 0u);
    return ParseFile(path);
  }
};

// The subtree as text: name, attributes in [], text in (), children in {}.
inline std::string Dump(const OKRXMLElement* element) {
  if (element == nullptr)
    return "<null>";
  std::string out = element->GetName();
  for (unsigned i = 0; i < element->GetAttributeCount(); ++i) {
    const OKRXMLAttribute* attribute = element->GetAttribute(i);
    out += (i == 0 ? "[" : ",") + attribute->GetName() + "=" + attribute->GetValue();
  }
  out += element->GetAttributeCount() > 0 ? "]" : "";
  if (!element->GetText().empty())
    out += "(" + element->GetText() + ")";
  for (unsigned i = 0; i < element->GetChildCount(); ++i)
    out.append(i == 0 ? "{" : ",").append(Dump(element->GetChild(i)));
  return out + (element->GetChildCount() > 0 ? "}" : "");
}

// The number of elements in the subtree.
inline uint64_t CountElements(const OKRXMLElement* element) {
  uint64_t count = 1;
  for (unsigned i = 0; i < element->GetChildCount(); ++i)
    count += CountElements(element->GetChild(i));
  return count;
}
