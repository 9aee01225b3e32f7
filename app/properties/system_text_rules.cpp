#include "system_text_rules.h"

#include <climits>

#include "os_error.h"

namespace {

const UINT cAnsiCodePage = ::GetACP();  // set before the program's entry runs

int TextLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) RaiseOSError(ERROR_NOT_ENOUGH_MEMORY);
    return static_cast<int>(size);
}

}  // namespace

UINT StartAnsiCodePage() noexcept { return cAnsiCodePage; }

std::wstring DecodeAnsiLine(std::string_view line) {
    std::wstring text;
    if (line.empty()) return text;
    const int size = TextLength(line.size());
    // No code page makes more UTF-16 units than it reads bytes.
    text.resize(line.size());
    int length = ::MultiByteToWideChar(cAnsiCodePage, 0, line.data(), size, text.data(), size);
    if (length == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        length = ::MultiByteToWideChar(cAnsiCodePage, 0, line.data(), size, nullptr, 0);
        if (length > 0) {
            text.resize(static_cast<std::size_t>(length));
            length = ::MultiByteToWideChar(cAnsiCodePage, 0, line.data(), size, text.data(), length);
        }
    }
    if (length == 0) RaiseLastOSError();
    text.resize(static_cast<std::size_t>(length));
    return text;
}

int CompareNamesInUserLocale(const std::wstring& a, const std::wstring& b) {
    const int result = ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), TextLength(a.size()),
                                        b.data(), TextLength(b.size()));
    if (result == 0) RaiseLastOSError();
    return result - CSTR_EQUAL;
}

std::string NameSortKeyInUserLocale(const std::wstring& name) {
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    // LCMapStringW takes no empty text; a NUL, which the comparison ignores,
    // gives the key of the empty name.
    const wchar_t nul = L'\0';
    const wchar_t* const text = name.empty() ? &nul : name.data();
    const int length = name.empty() ? 1 : TextLength(name.size());
    // The key is bytes, written into a buffer counted in bytes.
    const int size = ::LCMapStringW(LOCALE_USER_DEFAULT, flags, text, length, nullptr, 0);
    if (size == 0) RaiseLastOSError();
    std::string key(static_cast<std::size_t>(size), '\0');
    const int written =
        ::LCMapStringW(LOCALE_USER_DEFAULT, flags, text, length, reinterpret_cast<LPWSTR>(key.data()), size);
    if (written == 0) RaiseLastOSError();
    key.resize(static_cast<std::size_t>(written));
    return key;
}

TPropertyTextRules SystemPropertyTextRules() noexcept {
    return {DecodeAnsiLine, CompareNamesInUserLocale, NameSortKeyInUserLocale};
}
