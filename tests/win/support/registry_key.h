#pragma once
// Registry keys for the tests and the stand-in Document Manager: a key that
// closes itself, and reading HKEY_CLASSES_ROOT in the 64-bit view.
#include <windows.h>

#include <string>

// An open registry key, closed at the end of its life.
class TRegKey {
public:
    TRegKey() noexcept = default;
    ~TRegKey() {
        if (fKey) ::RegCloseKey(fKey);
    }
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;
    HKEY* Out() noexcept { return &fKey; }
    HKEY Get() const noexcept { return fKey; }

private:
    HKEY fKey = nullptr;
};

// Reads the default value (or the named one) of HKEY_CLASSES_ROOT\key in the
// 64-bit view; false when the key or value is missing or not a text.
bool ReadClassesRootText(const std::wstring& key, const wchar_t* name, std::wstring& text);
bool ClassesRootKeyExists(const std::wstring& key);
