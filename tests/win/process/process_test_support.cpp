#include "process_test_support.h"

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>

std::wstring BinFile(const std::wstring& name) { return ProgramFolder() + name; }

std::wstring WithoutTrailingBackslash(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(WithoutTrailingBackslash(a).c_str(), -1, WithoutTrailingBackslash(b).c_str(), -1,
                                TRUE) == CSTR_EQUAL;
}

bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!IsExistingFile(path)) {
        if (GetTickCount64() > deadline) return false;
        Sleep(50);
    }
    return true;
}

std::wstring Expand(const std::wstring& text, const std::wstring& folder) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L'T') {
            out += folder;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<TArgDump> ReadArgDump(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) return std::nullopt;
    std::stringstream content;
    content << file.rdbuf();
    std::wistringstream lines(FromUtf8(content.str()));
    TArgDump dump;
    std::wstring line;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) continue;
        const std::wstring key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == L"cmdline") dump.cmdline = value;
        else if (key == L"cwd") dump.cwd = value;
        else if (key == L"arg") dump.args.push_back(value);
        else if (key == L"startflags") dump.startflags = std::wcstoul(value.c_str(), nullptr, 10);
        else if (key == L"show") dump.show = std::wcstoul(value.c_str(), nullptr, 10);
        else if (key == L"window")
            dump.window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(value.c_str(), nullptr, 16)));
        else if (key == L"iconic") dump.iconic = value == L"1";
        else if (key == L"pid") dump.pid = std::wcstoul(value.c_str(), nullptr, 10);
        else if (key == L"elevated") dump.elevated = value == L"1";
    }
    return dump;
}
