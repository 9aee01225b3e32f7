#pragma once
// Character-set names that need no platform call: which text names a code
// page, and filling in the code. The texts themselves are string resources
// (FileVersionTexts.rc, read by CharSetNames.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FileVersionTexts.h"

// Text with each "%d" replaced by Code in decimal; any other character,
// a lone '%' included, is kept as it is.
std::wstring FormatCodeText(std::wstring_view Text, std::uint32_t Code);

// The identifier of the text that names a Unicode code page that the
// platform's code-page query does not describe (1200, 1201, 12000, 12001);
// nothing for any other code.
std::optional<unsigned> UnicodeCharSetTextId(std::uint16_t Code);
