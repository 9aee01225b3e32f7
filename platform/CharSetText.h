#pragma once
// Character-set names that need no platform call.
#include <cstdint>
#include <optional>
#include <string>

// Text with each "%d" replaced by Code in decimal; any other character,
// a lone '%' included, is kept as it is.
std::wstring FormatCodeText(const wchar_t* Text, std::uint32_t Code);

// The name of a Unicode code page that the platform's code-page query does not
// describe (1200, 1201, 12000, 12001); nothing for any other code.
std::optional<std::wstring> UnicodeCharSetName(std::uint16_t Code);

// The name for a code page that the platform rejects.
std::wstring UnknownCodePageName(std::uint16_t Code);

// The name the fallback code-page query gives.
std::wstring PlainCodePageName(std::uint32_t Code);
