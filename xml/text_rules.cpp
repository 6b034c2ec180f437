// The text rules of OKRXMLParser: conversion of character data to ANSI and the trimming rule.
#include "platform/codepage.h"
#include "xml/parser.h"

namespace {

// Graphic: 0x21 to 0x7E, and every byte from 0x80 up, so that text written only in Cyrillic,
// Greek, CJK ... is never taken for blank.
bool IsGraphic(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte > 0x20 && byte != 0x7F;
}

}  // namespace

bool OKRXMLParser::Utf8ToAnsi(const char* data, size_t length, std::string& out) {
  if (data == nullptr || length == 0)
    return false;
  // UTF-8 to UTF-16 and back again only replaces invalid sequences.
  out.clear();
  platform::AppendRepairedUtf8(std::string_view(data, length), &out);
  return true;
}

bool OKRXMLParser::IsBlank(std::string_view text) {
  for (char c : text) {
    if (IsGraphic(c))
      return false;
  }
  return true;
}

std::string_view OKRXMLParser::TrimSpaces(std::string_view text) {
  size_t first = 0;
  size_t end = text.size();
  while (first < end && text[first] == ' ')
    ++first;
  while (end > first && text[end - 1] == ' ')
    --end;
  text = text.substr(first, end - first);
  return IsBlank(text) ? std::string_view() : text;
}
