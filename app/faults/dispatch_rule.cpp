#include "dispatch_rule.h"

#include "fault_record.h"
#include "fault_rules.h"
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
    TDispatchLook look;
    look.Faulted = FaultRecorded();
    look.GivenUp = LibraryCallAbandoned();
    if (!look.Faulted && !look.GivenUp) return true;
    look.Quit = message.message == WM_QUIT;
    look.Timer = message.message == WM_TIMER;
    // A timer procedure is called by the dispatch, whatever the window.
    look.TimerProcedure = look.Timer && message.lParam != 0;
    look.OwnWindow = IsOwnWindow(message.hwnd);
    if (DispatchAllowed(look)) return true;
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
