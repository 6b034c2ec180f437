// Texts made safe for a terminal. Listings data reach the screen through the status lines, so
// control characters (escape sequences included) and broken UTF-8 never go out as they are.
#pragma once

#include <string>
#include <string_view>

namespace platform::ui::tty {

// One screen line: a tab becomes a blank, other control characters and bytes that are not
// UTF-8 become '?', and the text is cut to `columns` (wide East Asian characters count two).
std::string TerminalLine(std::string_view text, int columns);

// A text of several lines: line feeds and tabs stay, carriage returns go, other control
// characters and bytes that are not UTF-8 become '?'.
std::string TerminalText(std::string_view text);

}  // namespace platform::ui::tty
