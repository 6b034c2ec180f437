// The text rules of OKRXMLParser: conversion of character data to ANSI and the trimming rule.
#include "platform/codepage.h"
#include "xml/parser.h"

namespace {

bool IsAscii(std::string_view text) {
  unsigned char bits = 0;
  for (char c : text)
    bits |= static_cast<unsigned char>(c);
  return bits < 0x80;
}

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
  std::string_view text(data, length);
  // ASCII is the same in every step of the conversion.
  if (IsAscii(text)) {
    out.assign(text);
  } else {
    out = platform::Utf16ToUtf8(platform::Utf8ToUtf16(text));
  }
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
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos)
    return {};
  text = text.substr(first, text.find_last_not_of(' ') + 1 - first);
  return IsBlank(text) ? std::string_view() : text;
}
