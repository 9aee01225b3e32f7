// What the preparation at start asks of the platform.
#include "environment.h"

#include <vector>

#include "handles.h"
#include "os_error.h"
#include "system_folder.h"

std::wstring GetEnvVarValue(const std::wstring& VarName) {
    const DWORD BufSize = ::GetEnvironmentVariableW(VarName.c_str(), nullptr, 0);
    if (BufSize == 0) return std::wstring();
    std::vector<wchar_t> buffer(BufSize);
    const DWORD length = ::GetEnvironmentVariableW(VarName.c_str(), buffer.data(), BufSize);
    // The value may have changed in between; never read beyond what arrived.
    return std::wstring(buffer.data(), length < BufSize ? length : 0);
}

std::wstring GetSystemDir(TGetSystemDirectory getSystemDirectory) {
    std::wstring Dir = SystemFolder(getSystemDirectory);
    if (Dir.empty()) RaiseLastOSError();
    return Dir;
}

bool TRegistryAccess::KeyExists(const std::wstring& path) const {
    const REGSAM view = fAccess & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    const REGSAM access = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | view;
    TRegistryKey key;
    return fOpenKey(fRootKey, path.c_str(), 0, access, key.Put()) == ERROR_SUCCESS;
}
