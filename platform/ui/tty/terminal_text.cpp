#include "platform/ui/tty/terminal_text.h"

namespace platform::ui::tty {
namespace {

size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead >= 0xC2 && lead < 0xE0)
    return 2;
  if (lead >= 0xE0 && lead < 0xF0)
    return 3;
  if (lead >= 0xF0 && lead < 0xF5)
    return 4;
  return 0;
}

// Decodes the UTF-8 sequence at `at`; returns its length, or 0 when it is not valid UTF-8.
size_t Decode(std::string_view text, size_t at, char32_t* codePoint) {
  unsigned char lead = static_cast<unsigned char>(text[at]);
  size_t length = SequenceLength(lead);
  if (length == 0 || at + length > text.size())
    return 0;
  char32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80)
      return 0;
    value = value << 6 | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000))
    return 0;
  *codePoint = value;
  return length;
}

bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// Columns taken by a character: two for the wide East Asian blocks, one for everything else.
int Columns(char32_t c) {
  bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
              (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
              (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
              (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) ||
              (c >= 0x20000 && c <= 0x3FFFD);
  return wide ? 2 : 1;
}

// What the terminal gets for the character `c` written as `bytes`: line feeds and tabs stay
// only when `keepLayout` is set (carriage returns are then dropped), tabs otherwise become a
// blank, other control characters '?'.
std::string_view Shown(char32_t c, std::string_view bytes, bool keepLayout) {
  if (keepLayout && (c == '\n' || c == '\t'))
    return bytes;
  if (keepLayout && c == '\r')
    return {};
  if (c == '\t')
    return " ";
  return IsControl(c) ? "?" : bytes;
}

// Calls take(piece, columns) for each character of `text` as it is shown; stops when take
// returns false.
template <typename Take>
void Walk(std::string_view text, bool keepLayout, Take take) {
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0;
    size_t length = Decode(text, at, &c);
    std::string_view piece = length == 0 ? "?" : Shown(c, text.substr(at, length), keepLayout);
    int columns = length == 0 ? 1 : Columns(c);
    at += length == 0 ? 1 : length;
    if (!piece.empty() && !take(piece, columns))
      return;
  }
}

}  // namespace

std::string TerminalLine(std::string_view text, int columns) {
  std::string line;
  int used = 0;
  Walk(text, false, [&](std::string_view piece, int width) {
    if (used + width > columns)
      return false;
    line += piece;
    used += width;
    return true;
  });
  return line;
}

std::string TerminalText(std::string_view text) {
  std::string result;
  Walk(text, true, [&](std::string_view piece, int) {
    result += piece;
    return true;
  });
  return result;
}

}  // namespace platform::ui::tty
