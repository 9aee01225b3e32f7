#include "watchdog.h"

#include <atomic>

#include "fault_record.h"
#include "fault_rules.h"
#include "library_call.h"
#include "queue_wait.h"

namespace {

const DWORD cWatchInterval = 100;  // ms between the watchdog's looks
const DWORD cSaveWaitInterval = 50;  // ms between looks at a running save

// Made at start and kept for the life of the process; null when it could not
// be had. Set by the first fault and by arming the operation.
HANDLE gWakeEvent = nullptr;
TReportTimeout gReportTimeout = nullptr;

// Times on WatchClockNow's clock; 0: not yet.
std::atomic<bool> gOperationArmed{false};
std::atomic<ULONGLONG> gGivenUp{0};
std::atomic<ULONGLONG> gFaultAt{0};
std::atomic<bool> gBoxShown{false};
std::atomic<HWND> gReportBox{nullptr};
std::atomic<ULONGLONG> gFaultCloseTimerDue{0};

TWatchLook Look() noexcept {
    TWatchLook look;
    look.Now = WatchClockNow();
    look.Call = CurrentLibraryCall();
    look.OperationArmed = gOperationArmed;
    look.GivenUp = gGivenUp;
    look.FaultAt = gFaultAt;
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
        if (decision.Action == TWatchAction::GiveUpCall && AbandonLibraryCall(look.Call)) {
            gGivenUp = look.Now;
            if (gReportTimeout) gReportTimeout();
        }
        ::Sleep(cWatchInterval);
    }
}

void Wake() noexcept {
    if (gWakeEvent) ::SetEvent(gWakeEvent);
}

}  // namespace

bool StartWatchdog(TReportTimeout reportTimeout) noexcept {
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

void WatchOperation() noexcept {
    gOperationArmed = true;
    Wake();
}

void WatchFault(ULONGLONG closeTimerDue) noexcept {
    const ULONGLONG now = WatchClockNow();
    if (closeTimerDue != 0) {
        // The timer's due time on the watchdog's clock.
        const ULONGLONG tickNow = ::GetTickCount64();
        gFaultCloseTimerDue = now + (closeTimerDue > tickNow ? closeTimerDue - tickNow : 0);
    }
    gFaultAt = now;
    Wake();
}

void MarkReportBoxShown() noexcept { gBoxShown = true; }

void WatchReportBox(HWND box) noexcept { gReportBox = box; }

void EndProcess(UINT exitCode) noexcept {
    if (!OnGuiThread()) {
        // The reporting thread has windows; any other thread only sleeps
        // (the watchdog's has none, a faulted one may have the library's).
        const bool servesMessages = ::GetCurrentThreadId() == ReportingThread();
        while (SaveHoldsTheEnd(CurrentLibraryCall(), WatchClockNow(), gFaultAt)) {
            if (servesMessages) {
                static_cast<void>(WaitServingMessages(nullptr, cSaveWaitInterval));
            } else {
                ::Sleep(cSaveWaitInterval);
            }
        }
    }
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    // Ending the own process does not come back; should it, nothing may run on.
    for (;;) ::Sleep(INFINITE);
}
