#include "argdump_report.h"

#include <shellapi.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "errors.h"
#include "handles.h"

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[2048] = {};
    const DWORD length = GetEnvironmentVariableW(name, buffer, 2048);
    return length > 0 && length < 2048 ? std::wstring(buffer, length) : std::wstring();
}

std::wstring CurrentFolder() {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, buffer);
    return std::wstring(buffer, length < MAX_PATH * 2 ? length : 0);
}

bool Elevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    const BOOL ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
    CloseHandle(token);
    return ok && elevation.TokenIsElevated != 0;
}

bool WriteFileText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

}  // namespace

std::wstring DumpPathFromEnvironment() { return Variable(L"KESTRUM_ARGDUMP_OUT"); }

DWORD MillisecondsFromEnvironment(const wchar_t* name) {
    return static_cast<DWORD>(std::wcstoul(Variable(name).c_str(), nullptr, 10));
}

bool WriteArgDump(const std::wstring& path, HWND window) {
    if (path.empty()) return false;
    std::wstring text = L"cmdline=" + std::wstring(GetCommandLineW()) + L"\n";
    text += L"cwd=" + CurrentFolder() + L"\n";
    int argc = 0;
    const TLocalMemory arguments(CommandLineToArgvW(GetCommandLineW(), &argc));
    if (arguments) {
        const auto* const argv = static_cast<wchar_t* const*>(arguments.Get());
        for (int i = 1; i < argc; ++i) text += L"arg=" + std::wstring(argv[i]) + L"\n";
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    text += L"startflags=" + std::to_wstring(startup.dwFlags) + L"\n";
    text += L"show=" + std::to_wstring(startup.wShowWindow) + L"\n";
    if (window) {
        wchar_t handle[32] = {};
        swprintf(handle, 32, L"%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
        text += L"window=" + std::wstring(handle) + L"\n";
        text += L"iconic=" + std::to_wstring(IsIconic(window) ? 1 : 0) + L"\n";
    }
    text += L"pid=" + std::to_wstring(GetCurrentProcessId()) + L"\n";
    text += L"elevated=" + std::to_wstring(Elevated() ? 1 : 0) + L"\n";

    const std::wstring aside = path + L".part";
    return WriteFileText(aside, Utf8Text(text)) && MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void WriteEndMark(const std::wstring& path) {
    if (!path.empty()) WriteFileText(path + L".end", std::string());
}
