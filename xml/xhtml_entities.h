// The named character entities of XHTML 1.0 (Latin-1, symbols and special characters), which
// listings written for a DTD that declares them use although the DTD is never read.
#pragma once

#include <string_view>

// The character that the entity `name` stands for, in UTF-8; empty for any other name.
std::string_view XhtmlEntityText(std::string_view name);
