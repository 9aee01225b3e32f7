#include "paths.h"

namespace {
std::size_t LastDelimiter(const std::wstring& path) { return path.find_last_of(L"\\:"); }
}  // namespace

std::wstring ExtractFileName(const std::wstring& path) {
    const auto pos = LastDelimiter(path);
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring ExtractFilePath(const std::wstring& path) {
    const auto pos = LastDelimiter(path);
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos + 1);
}

std::wstring ExtractFileExt(const std::wstring& path) {
    const auto pos = path.find_last_of(L".\\:");
    if (pos == std::wstring::npos || path[pos] != L'.') return std::wstring();
    return path.substr(pos);
}

std::wstring LowerCaseAscii(const std::wstring& text) {
    std::wstring result = text;
    for (wchar_t& character : result) {
        if (character >= L'A' && character <= L'Z') character = static_cast<wchar_t>(character - L'A' + L'a');
    }
    return result;
}

std::wstring LowerFileExt(const std::wstring& path) { return LowerCaseAscii(ExtractFileExt(path)); }

std::wstring PreviewFileName(const std::wstring& documentPath) {
    const std::wstring extension = ExtractFileExt(documentPath);
    return documentPath.substr(0, documentPath.size() - extension.size()) + LowerCaseAscii(extension) + L"KS";
}
