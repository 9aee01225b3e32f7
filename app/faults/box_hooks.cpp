#include "box_hooks.h"

#include "dispatch_rule.h"
#include "fault_record.h"
#include "message_box.h"
#include "watchdog.h"

namespace {

bool gGuiBoxWatched = false;

LRESULT CALLBACK WatchForBox(int code, WPARAM wParam, LPARAM lParam) {
    if ((code == HCBT_CREATEWND || code == HCBT_ACTIVATE) && FaultRecorded()) {
        const DWORD thread = ::GetCurrentThreadId();
        const HWND window = reinterpret_cast<HWND>(wParam);
        if ((thread == FaultingThread() || thread == ReportingThread()) && IsDialogBox(window)) {
            WatchReportBox(window);
            if (code == HCBT_ACTIVATE) MarkReportBoxShown();
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK FilterModalMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && lParam && !MayDispatch(*reinterpret_cast<const MSG*>(lParam))) return TRUE;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

THookHandle WatchBoxesOfThisThread() noexcept {
    return THookHandle(::SetWindowsHookExW(WH_CBT, &WatchForBox, nullptr, ::GetCurrentThreadId()));
}

void HookGuiThread() noexcept {
    // Kept for the life of the process: not wrapped.
    const DWORD thread = ::GetCurrentThreadId();
    gGuiBoxWatched = ::SetWindowsHookExW(WH_CBT, &WatchForBox, nullptr, thread) != nullptr;
    static_cast<void>(::SetWindowsHookExW(WH_MSGFILTER, &FilterModalMessage, nullptr, thread));
}

bool GuiBoxWatched() noexcept { return gGuiBoxWatched; }
