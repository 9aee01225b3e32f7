#include "CharSetNames.h"

#include <windows.h>

#include "CharSetText.h"

namespace {

// Lies in the module this code is linked into, which carries the string table.
const char cModuleAnchor = 0;

HMODULE OwnModule() noexcept {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&cModuleAnchor), &module))
        return nullptr;
    return module;
}

}  // namespace

std::wstring LoadVersionText(unsigned Id) {
    // With a length of 0 the platform hands out a pointer to the text in the
    // resource itself, which is not NUL-terminated, and its length.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(OwnModule(), Id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::optional<std::wstring> UnicodeCharSetName(std::uint16_t Code) {
    const std::optional<unsigned> id = UnicodeCharSetTextId(Code);
    if (!id) return std::nullopt;
    return FormatCodeText(LoadVersionText(*id), Code);
}

std::wstring UnknownCodePageName(std::uint16_t Code) {
    return FormatCodeText(LoadVersionText(IDS_UNKNOWN_CODE_PAGE), Code);
}

std::wstring PlainCodePageName(std::uint32_t Code) { return FormatCodeText(LoadVersionText(IDS_CODE_PAGE), Code); }
