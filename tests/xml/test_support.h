// Helpers for the tests of the XML folder: a temporary directory, a parser that exposes its tree,
// and ways to look at a tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "tests/support/run_program.h"
#include "xml/parser.h"

// The shared temporary folder, with names resolved in it and files written into it.
class TempDir : public testing_support::TempDir {
 public:
  std::string Path(const std::string& name) const { return *this / name; }
  // Writes the file and returns its path.
  std::string Write(const std::string& name, std::string_view content) const;
};

// A parser that keeps every element and lets the test see the tree.
class TreeParser : public OKRXMLParser {
 public:
  using OKRXMLParser::BytesConsumed;
  using OKRXMLParser::GetRoot;
};

// Opens a TreeParser and parses the file; *code receives ParseFile's result.
std::unique_ptr<TreeParser> ParseDocument(const std::string& path, unsigned* code);

// The number of elements in the subtree, counted without recursion.
uint64_t CountElements(const OKRXMLElement* root);

// The subtree as text: name, attributes in [], text in (), children in {}.
std::string Dump(const OKRXMLElement* element);

// The text of the first element named `name` in the subtree (document order); "<none>" if none.
std::string TextOf(const OKRXMLElement* root, std::string_view name);
