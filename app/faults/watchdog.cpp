#include "watchdog.h"

#include <atomic>

#include "library_call.h"
#include "fault_rules.h"

namespace {

const DWORD cWatchInterval = 100;  // ms between the watchdog's looks
const DWORD cSaveWaitInterval = 50;  // ms between looks at a running save

// Made at start and kept for the life of the process; null when it could not
// be had. Set by the first fault and by arming the operation.
HANDLE gWakeEvent = nullptr;
DWORD gGuiThread = 0;
TReportTimeout gReportTimeout = nullptr;

std::atomic<ULONGLONG> gOperationStarted{0};
std::atomic<ULONGLONG> gOperationDue{0};
std::atomic<ULONGLONG> gFaultTick{0};
std::atomic<bool> gBoxShown{false};
std::atomic<HWND> gReportBox{nullptr};
std::atomic<ULONGLONG> gFaultCloseTimerDue{0};

TWatchLook Look() noexcept {
    TWatchLook look;
    look.Now = ::GetTickCount64();
    look.Call = CurrentLibraryCall();
    look.OperationStarted = gOperationStarted;
    look.OperationDue = gOperationDue;
    look.FaultTick = gFaultTick;
    // IsWindowVisible reads the window's style, with no lock of the process.
    const HWND box = gReportBox;
    look.BoxShown = gBoxShown || (box && ::IsWindowVisible(box));
    look.FaultCloseTimerDue = gFaultCloseTimerDue;
    return look;
}

DWORD WINAPI Watch(void*) {
    if (::WaitForSingleObject(gWakeEvent, INFINITE) != WAIT_OBJECT_0) return 0;
    for (;;) {
        const TWatchLook look = Look();
        const TWatchDecision decision = DecideWatch(look);
        if (decision.Action == TWatchAction::End) EndProcess(decision.ExitCode);
        // The call may have returned since the look: then it is not given up.
        if (decision.Action == TWatchAction::GiveUpCall && AbandonLibraryCall(look.Call) && gReportTimeout) {
            gReportTimeout();
        }
        ::Sleep(cWatchInterval);
    }
}

void Wake() noexcept {
    if (gWakeEvent) ::SetEvent(gWakeEvent);
}

}  // namespace

bool StartWatchdog(TReportTimeout reportTimeout) noexcept {
    gGuiThread = ::GetCurrentThreadId();
    gReportTimeout = reportTimeout;
    gWakeEvent = ::CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr);
    if (!gWakeEvent) return false;
    const HANDLE thread = ::CreateThread(nullptr, 0, &Watch, nullptr, 0, nullptr);
    if (thread) {
        ::CloseHandle(thread);
        return true;
    }
    ::CloseHandle(gWakeEvent);
    gWakeEvent = nullptr;
    return false;
}

void WatchOperation(ULONGLONG started, ULONGLONG due) noexcept {
    gOperationDue = due;
    gOperationStarted = started;
    Wake();
}

void WatchFault(ULONGLONG closeTimerDue) noexcept {
    gFaultCloseTimerDue = closeTimerDue;
    gFaultTick = ::GetTickCount64();
    Wake();
}

void MarkReportBoxShown() noexcept { gBoxShown = true; }

void WatchReportBox(HWND box) noexcept { gReportBox = box; }

void EndProcess(UINT exitCode) noexcept {
    if (::GetCurrentThreadId() != gGuiThread) {
        for (;;) {
            const TLibraryCallState call = CurrentLibraryCall();
            if (call.Abandoned || call.Kind != TLibraryCallKind::Save) break;
            ::Sleep(cSaveWaitInterval);
        }
    }
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    // Ending the own process does not come back; should it, nothing may run on.
    for (;;) ::Sleep(INFINITE);
}
