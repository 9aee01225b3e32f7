#include "os_error.h"

#include <windows.h>

#include <cstdint>

#include "error_text.h"
#include "errors.h"
#include "handles.h"

std::wstring SysErrorMessage(unsigned long code) {
    TLocalMemory buffer;  // allocated by the platform call
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
            FORMAT_MESSAGE_ARGUMENT_ARRAY,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.Put()), 0, nullptr);
    std::wstring text;
    if (buffer) text.assign(static_cast<const wchar_t*>(buffer.Get()), length);
    return TrimSystemText(text);
}

std::wstring OleErrorMessage(long result) {
    const auto code = static_cast<std::uint32_t>(result);
    return OleFailureText(code, SysErrorMessage(code));
}

void RaiseOSError(unsigned long code) {
    throw EOSError(OsErrorText(code, SysErrorMessage(code)), code);
}

void RaiseLastOSError() { RaiseOSError(::GetLastError()); }

void RaiseGdiError(unsigned long code) {
    std::wstring text = code != 0 ? SysErrorMessage(code) : std::wstring();
    if (text.empty()) text = L"Systemressourcen erschöpft";
    throw EOutOfResources(text);
}

void RaiseGdiError() { RaiseGdiError(::GetLastError()); }
