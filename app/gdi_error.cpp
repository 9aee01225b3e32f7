#include "gdi_error.h"

#include <windows.h>

#include <string>

#include "errors.h"
#include "os_error.h"

void RaiseGdiError(unsigned long code) {
    std::wstring text = code != 0 ? SysErrorMessage(code) : std::wstring();
    if (text.empty()) text = L"Systemressourcen erschöpft";
    throw EOutOfResources(text);
}

void RaiseGdiError() { RaiseGdiError(::GetLastError()); }
