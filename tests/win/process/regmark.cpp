// Test library for registration runs: DllRegisterServer writes what the
// registering process saw of its start (argdump_report.h) beside the library,
// under the library's path followed by ".txt".
#include <windows.h>
#include <olectl.h>

#include <vector>

#include "argdump_report.h"

namespace {
HMODULE gModule = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) gModule = instance;
    return TRUE;
}

STDAPI DllRegisterServer() {
    std::vector<wchar_t> path(MAX_PATH * 2);
    const DWORD length = GetModuleFileNameW(gModule, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return SELFREG_E_CLASS;
    return WriteArgDump(std::wstring(path.data(), length) + L".txt", nullptr) ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() { return S_OK; }
