#pragma once
// What the program needs from the machine at start.
#include <windows.h>

#include <string>

#include "system_folder.h"

// The value of the environment variable, or empty when it is not set.
std::wstring GetEnvVarValue(const std::wstring& VarName);

// The Windows system folder without a trailing backslash, whole at any length
// (SystemFolder, asked through getSystemDirectory); raises the operating-system
// error when the platform cannot tell it.
std::wstring GetSystemDir(TGetSystemDirectory getSystemDirectory = &::GetSystemDirectoryW);

// Opens a registry key, as RegOpenKeyExW does.
using TRegOpenKey = LSTATUS(WINAPI*)(HKEY root, LPCWSTR path, DWORD options, REGSAM access, PHKEY key);

// Registry access with a fixed view (KEY_WOW64_64KEY or KEY_WOW64_32KEY) and a
// root key; any key it opens is closed again before it returns. Keys are
// opened by openKey: the platform's RegOpenKeyExW unless another is given.
class TRegistryAccess {
public:
    explicit TRegistryAccess(REGSAM access, TRegOpenKey openKey = &::RegOpenKeyExW)
        : fAccess(access), fOpenKey(openKey) {}
    void SetRootKey(HKEY root) { fRootKey = root; }
    // The key opens for reading (STANDARD_RIGHTS_READ, KEY_QUERY_VALUE,
    // KEY_ENUMERATE_SUB_KEYS) in the registry view of this object.
    [[nodiscard]] bool KeyExists(const std::wstring& path) const;

private:
    REGSAM fAccess;
    TRegOpenKey fOpenKey;
    HKEY fRootKey = HKEY_CURRENT_USER;
};
