#include "window_class.h"

#include "os_error.h"

void RegisterWindowClass(const WNDCLASSEXW& windowClass) {
    if (::RegisterClassExW(&windowClass)) return;
    const DWORD error = ::GetLastError();
    if (error != ERROR_CLASS_ALREADY_EXISTS) RaiseOSError(error);
    WNDCLASSEXW registered = {};
    registered.cbSize = sizeof(registered);
    if (!::GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &registered) ||
        registered.lpfnWndProc != windowClass.lpfnWndProc)
        RaiseOSError(ERROR_CLASS_ALREADY_EXISTS);
}
