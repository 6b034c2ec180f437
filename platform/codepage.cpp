#include "platform/codepage.h"

#include <cstdint>
#include <cstring>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The length of the run of ASCII bytes at the start of s, tested eight bytes at a time.
size_t AsciiPrefix(std::string_view s) {
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t block;
    std::memcpy(&block, s.data() + i, 8);
    if ((block & 0x8080808080808080ULL) != 0)
      break;
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80)
    ++i;
  return i;
}

// Decodes one scalar value starting at s[i] and advances i past it; an invalid or truncated
// sequence yields U+FFFD and advances by one byte.
char32_t DecodeUtf8(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return kReplacement;
  }
  if (len == 1) {
    ++i;
    return c;
  }
  char32_t cp = c & (0x7F >> len);
  for (size_t k = 1; k < len; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += len;
  return cp;
}

// Writes the UTF-8 bytes of cp at out and returns the position behind them.
char* EncodeUtf8(char* out, char32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out(utf8.size(), u'\0');
  out.resize(Utf8ToUtf16(utf8, out.data()));
  return out;
}

size_t Utf8ToUtf16(std::string_view utf8, char16_t* out) {
  char16_t* p = out;
  size_t i = 0;
  while (i < utf8.size()) {
    size_t ascii = i + AsciiPrefix(utf8.substr(i));
    for (; i < ascii; ++i)
      *p++ = static_cast<unsigned char>(utf8[i]);
    // A word in another script: its characters one after another.
    while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) >= 0x80) {
      char32_t cp = DecodeUtf8(utf8, i);
      if (cp < 0x10000) {
        *p++ = static_cast<char16_t>(cp);
      } else {
        cp -= 0x10000;
        *p++ = static_cast<char16_t>(0xD800 + (cp >> 10));
        *p++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      }
    }
  }
  return static_cast<size_t>(p - out);
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  // Every unit gives at most three bytes: a surrogate pair gives four.
  std::string out(utf16.size() * 3, '\0');
  char* p = out.data();
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp < 0x80) {
      *p++ = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    p = EncodeUtf8(p, cp);
  }
  out.resize(static_cast<size_t>(p - out.data()));
  return out;
}

void CharUpperA(char* text) {
  if (text == nullptr)
    return;
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z')
      *text = static_cast<char>(*text - 'a' + 'A');
  }
}

}  // namespace platform
