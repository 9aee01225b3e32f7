#include "CharSetText.h"

#include <string_view>

#include "FileVersionTexts.h"

std::wstring FormatCodeText(const wchar_t* Text, std::uint32_t Code) {
    const std::wstring_view pattern(Text);
    const std::wstring number = std::to_wstring(Code);
    std::wstring result;
    result.reserve(pattern.size() + number.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.substr(i, 2) == L"%d") {
            result += number;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

std::optional<std::wstring> UnicodeCharSetName(std::uint16_t Code) {
    const wchar_t* text = nullptr;
    switch (Code) {
        case 1200: text = cTextUtf16LE; break;
        case 1201: text = cTextUtf16BE; break;
        case 12000: text = cTextUtf32LE; break;
        case 12001: text = cTextUtf32BE; break;
        default: return std::nullopt;
    }
    return FormatCodeText(text, Code);
}

std::wstring UnknownCodePageName(std::uint16_t Code) { return FormatCodeText(cTextUnknownCodePage, Code); }

std::wstring PlainCodePageName(std::uint32_t Code) { return FormatCodeText(cTextCodePage, Code); }
