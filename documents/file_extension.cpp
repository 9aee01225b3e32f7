#include "file_extension.h"

std::wstring ExtractFileExt(const std::wstring& path) {
    const auto pos = path.find_last_of(L".\\:");
    if (pos == std::wstring::npos || path[pos] != L'.') return std::wstring();
    return path.substr(pos);
}

std::wstring LowerCaseAscii(const std::wstring& text) {
    std::wstring result = text;
    for (wchar_t& c : result) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return result;
}

std::wstring LowerFileExt(const std::wstring& path) { return LowerCaseAscii(ExtractFileExt(path)); }
