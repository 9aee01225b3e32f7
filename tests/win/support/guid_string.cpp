#include "guid_string.h"

#include <combaseapi.h>

std::wstring GuidString(REFGUID guid) {
    wchar_t text[40] = {};
    const int length = ::StringFromGUID2(guid, text, 40);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length - 1)) : std::wstring();
}
