#include "dispatch_rule.h"

#include "fault_record.h"
#include "library_call.h"
#include "message_box.h"

namespace {

bool IsOwnWindow(HWND window) noexcept {
    if (!window) return false;
    const HWND root = ::GetAncestor(window, GA_ROOT);
    if (!root) return false;
    if (IsProgramMessageBox(root)) return true;
    const TCrashFilterApplication& application = ProgramApplication();
    if (application.Window && root == application.Window()) return true;
    const TCrashFilterForm& form = ProgramForm();
    return form.Window && root == form.Window();
}

}  // namespace

bool MayDispatch(const MSG& message) noexcept {
    if (!FaultRecorded() && !LibraryCallAbandoned()) return true;
    if (message.message == WM_QUIT) return true;
    // A timer procedure is called by the dispatch, whatever the window.
    const bool timerProcedure = message.message == WM_TIMER && message.lParam != 0;
    if (!timerProcedure && IsOwnWindow(message.hwnd)) return true;
    if (message.message == WM_PAINT && message.hwnd) ::ValidateRect(message.hwnd, nullptr);
    return false;
}

void DispatchOwnWindowsForGood() noexcept {
    for (;;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT || !MayDispatch(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

void WaitWhileReportPending() noexcept {
    if (!FaultRecorded()) return;
    DispatchOwnWindowsForGood();
}

void MarkFaultForTesting() noexcept { static_cast<void>(RecordFirstFault()); }
