#include "environment_scope.h"

#include <windows.h>

#include <vector>

std::optional<std::wstring> EnvironmentValue(const std::wstring& name) {
    // Asked again when the value grew in between.
    DWORD size = 1;
    for (;;) {
        std::vector<wchar_t> buffer(size);
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetEnvironmentVariableW(name.c_str(), buffer.data(), size);
        if (length == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::wstring();
        }
        if (length < size) return std::wstring(buffer.data(), length);
        size = length;
    }
}

TEnvironmentScope::TEnvironmentScope(std::wstring name, const std::optional<std::wstring>& value)
    : fName(std::move(name)), fPrevious(EnvironmentValue(fName)) {
    ::SetEnvironmentVariableW(fName.c_str(), value ? value->c_str() : nullptr);
}

TEnvironmentScope::~TEnvironmentScope() {
    ::SetEnvironmentVariableW(fName.c_str(), fPrevious ? fPrevious->c_str() : nullptr);
}
