#include "call_log.h"

#include <string>

#include "crashes.h"
#include "handles.h"

namespace {
const wchar_t* const cCallLogVariable = L"KESTRUM_DOCMGR_CALLS";
}  // namespace

void LogCall(const char* interfaceName, int slot, const char* method) noexcept {
    // Every interface method passes here first.
    InstallSilentFilterOnEveryCallWhenAsked();
    try {
        wchar_t path[MAX_PATH + 1] = {};
        const DWORD length = ::GetEnvironmentVariableW(cCallLogVariable, path, MAX_PATH + 1);
        if (length == 0 || length > MAX_PATH) return;
        const std::string line =
            std::string(interfaceName) + " " + std::to_string(slot) + " " + std::string(method) + "\n";
        // Opened for appending at every call, so that a test may read the file at any time.
        const TFileHandle file(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return;
        DWORD written = 0;
        ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    } catch (...) {
        // No memory for the line: the call goes unlogged.
    }
}

HRESULT NotBuilt(const char* interfaceName, int slot, const char* method) noexcept {
    LogCall(interfaceName, slot, method);
    return E_NOTIMPL;
}
