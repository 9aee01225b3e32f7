#pragma once
// Stand-ins for the system's text rules of the property file, for tests and
// the benchmark off Windows: bytes decoded as code page 1252, names compared
// after folding the upper-case letters of ASCII and Latin-1 to lower case,
// and the folded name (as bytes) as the key of a name.
#include <string>
#include <string_view>

#include "property_file.h"

namespace property_text_standin {

// Code page 1252 at 0x80 to 0x9F (0 for the five bytes it leaves undefined,
// which then stand for themselves); everything else is Latin-1.
inline const wchar_t cCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

inline std::wstring DecodeCp1252(std::string_view line) {
    std::wstring text(line.size(), L'\0');
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        const wchar_t mapped = byte >= 0x80 && byte < 0xA0 ? cCp1252High[byte - 0x80] : 0;
        text[i] = mapped ? mapped : static_cast<wchar_t>(byte);
    }
    return text;
}

inline wchar_t Fold(wchar_t c) {
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<wchar_t>(c + 0x20);
    return c;
}

inline int CompareFolded(const std::wstring& a, const std::wstring& b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const wchar_t x = Fold(a[i]);
        const wchar_t y = Fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline std::string FoldedKey(const std::wstring& name) {
    std::wstring folded(name);
    for (wchar_t& c : folded) c = Fold(c);
    return std::string(reinterpret_cast<const char*>(folded.data()), folded.size() * sizeof(wchar_t));
}

inline const TPropertyTextRules cRules{DecodeCp1252, CompareFolded, FoldedKey};

}  // namespace property_text_standin
