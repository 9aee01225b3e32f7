#include "registry_key.h"

bool ReadClassesRootText(const std::wstring& key, const wchar_t* name, std::wstring& text) {
    TRegistryKey opened;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, opened.Put()) !=
        ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(opened.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
        return false;
    }
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(opened.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    text = value;
    return true;
}

bool ClassesRootKeyExists(const std::wstring& key) {
    TRegistryKey opened;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, opened.Put()) ==
           ERROR_SUCCESS;
}
