// Runs a program with changed environment variables and waits for it; its
// exit code is envrun's. For variables that Wine sets itself at start (APPDATA).
//   envrun [NAME=VALUE | NAME= | --unset NAME]... -- PROGRAM [ARGS...]
// NAME= sets the empty value, --unset NAME removes the variable. Arguments
// are passed on with the usual quoting.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    for (wchar_t c : arg) {
        if (c == L'"') out += L'\\';
        out += c;
    }
    return out + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int i = 1;
    for (; i < argc && std::wstring(argv[i]) != L"--"; ++i) {
        const std::wstring setting = argv[i];
        if (setting == L"--unset" && i + 1 < argc) {
            SetEnvironmentVariableW(argv[++i], nullptr);
            continue;
        }
        const auto eq = setting.find(L'=');
        if (eq == std::wstring::npos || eq == 0) {
            std::fprintf(stderr, "envrun: bad setting\n");
            return 2;
        }
        const std::wstring name = setting.substr(0, eq), value = setting.substr(eq + 1);
        SetEnvironmentVariableW(name.c_str(), value.c_str());
    }
    if (i + 1 >= argc) {
        std::fprintf(stderr, "usage: envrun [NAME=VALUE|NAME=|--unset NAME]... -- PROGRAM [ARGS...]\n");
        return 2;
    }
    std::wstring commandLine;
    for (int j = i + 1; j < argc; ++j) commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(argv[j]);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "envrun: CreateProcess failed (%lu)\n", GetLastError());
        return 2;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
