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
