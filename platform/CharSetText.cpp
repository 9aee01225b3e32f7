#include "CharSetText.h"

std::wstring FormatCodeText(std::wstring_view Text, std::uint32_t Code) {
    const std::wstring number = std::to_wstring(Code);
    std::wstring result;
    result.reserve(Text.size() + number.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text.substr(i, 2) == L"%d") {
            result += number;
            ++i;
        } else {
            result += Text[i];
        }
    }
    return result;
}

std::optional<unsigned> UnicodeCharSetTextId(std::uint16_t Code) {
    switch (Code) {
        case 1200: return IDS_CHARSET_UTF16_LE;
        case 1201: return IDS_CHARSET_UTF16_BE;
        case 12000: return IDS_CHARSET_UTF32_LE;
        case 12001: return IDS_CHARSET_UTF32_BE;
        default: return std::nullopt;
    }
}
