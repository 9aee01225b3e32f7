#pragma once
// The version reader's texts from the string table of the module that holds
// the reader (FileVersionTexts.rc), with the code page filled in. A text that
// is missing from the table reads as empty.
#include <cstdint>
#include <optional>
#include <string>

// The text with the identifier Id, unformatted.
std::wstring LoadVersionText(unsigned Id);

// The name of a Unicode code page that the platform's code-page query does not
// describe (1200, 1201, 12000, 12001); nothing for any other code.
std::optional<std::wstring> UnicodeCharSetName(std::uint16_t Code);

// The name for a code page that the platform rejects.
std::wstring UnknownCodePageName(std::uint16_t Code);

// The name the fallback code-page query gives.
std::wstring PlainCodePageName(std::uint32_t Code);
