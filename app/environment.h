#pragma once
// What the program needs from the machine at start.
#include <windows.h>

#include <string>

// The value of the environment variable, or empty when it is not set.
std::wstring GetEnvVarValue(const std::wstring& VarName);

// The Windows system folder without a trailing backslash; raises the
// operating-system error when the platform cannot tell it.
std::wstring GetSystemDir();

// Registry access with a fixed view (KEY_WOW64_64KEY or KEY_WOW64_32KEY) and a
// root key; any key it opens is closed again before it returns.
class TRegistryAccess {
public:
    explicit TRegistryAccess(REGSAM access) : fAccess(access) {}
    void SetRootKey(HKEY root) { fRootKey = root; }
    // The key opens for reading in the registry view of this object.
    bool KeyExists(const std::wstring& path) const;

private:
    REGSAM fAccess;
    HKEY fRootKey = HKEY_CURRENT_USER;
};
