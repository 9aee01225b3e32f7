#include "module_path.h"

#include <windows.h>

#include <vector>

namespace {
const std::size_t cMaxModulePath = 65536;  // beyond the longest path the platform allows
}  // namespace

std::wstring ModuleFilePath(HMODULE module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= cMaxModulePath) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ProgramFilePath() { return ModuleFilePath(nullptr); }
