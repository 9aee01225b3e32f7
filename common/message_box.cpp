#include "message_box.h"

#include <cwchar>

#include "handles.h"

namespace {

const wchar_t* const cDialogClass = L"#32770";

// Raises every dialog box that becomes active on this thread while the hook is in.
LRESULT CALLBACK RaiseDialog(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogBox(window)) {
            ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool IsDialogBox(HWND window) noexcept {
    wchar_t className[8] = {};
    return ::GetClassNameW(window, className, 8) && std::wcscmp(className, cDialogClass) == 0;
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    // Without the hook the box still comes, raised by the flag alone where
    // the system acts on it: a box is never kept back for want of a hook.
    const THookHandle hook(
        (type & MB_TOPMOST) ? ::SetWindowsHookExW(WH_CBT, &RaiseDialog, nullptr, ::GetCurrentThreadId()) : nullptr);
    return ::MessageBoxW(owner, text, caption, type);
}
