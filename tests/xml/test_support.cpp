#include "tests/xml/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

std::string TempDir::Write(const std::string& name, std::string_view content) const {
  std::string path = Path(name);
  std::ofstream(path, std::ios::binary).write(content.data(), content.size());
  return path;
}

std::unique_ptr<TreeParser> ParseDocument(const std::string& path, unsigned* code) {
  auto parser = std::make_unique<TreeParser>();
  EXPECT_EQ(parser->Open(), 0u);
  *code = parser->ParseFile(path);
  return parser;
}

uint64_t CountElements(const OKRXMLElement* root) {
  uint64_t count = 0;
  std::vector<const OKRXMLElement*> pending;
  if (root != nullptr)
    pending.push_back(root);
  while (!pending.empty()) {
    const OKRXMLElement* element = pending.back();
    pending.pop_back();
    ++count;
    for (unsigned i = 0; i < element->GetChildCount(); ++i)
      pending.push_back(element->GetChild(i));
  }
  return count;
}

std::string Dump(const OKRXMLElement* element) {
  if (element == nullptr)
    return "<null>";
  std::string out = element->GetName();
  if (element->GetAttributeCount() > 0) {
    out += "[";
    for (unsigned i = 0; i < element->GetAttributeCount(); ++i) {
      const OKRXMLAttribute* attribute = element->GetAttribute(i);
      out += (i > 0 ? "," : "") + attribute->GetName() + "=" + attribute->GetValue();
    }
    out += "]";
  }
  if (!element->GetText().empty())
    out += "(" + element->GetText() + ")";
  if (element->GetChildCount() > 0) {
    out += "{";
    for (unsigned i = 0; i < element->GetChildCount(); ++i) {
      out += (i > 0 ? "," : "") + Dump(element->GetChild(i));
    }
    out += "}";
  }
  return out;
}

std::string TextOf(const OKRXMLElement* root, std::string_view name) {
  if (root == nullptr)
    return "<none>";
  if (root->GetName() == name)
    return root->GetText();
  for (unsigned i = 0; i < root->GetChildCount(); ++i) {
    std::string text = TextOf(root->GetChild(i), name);
    if (text != "<none>")
      return text;
  }
  return "<none>";
}
