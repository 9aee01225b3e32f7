#include "reporting_thread.h"

#include <windows.h>

#include <atomic>

#include "box_hooks.h"
#include "fault_record.h"
#include "handles.h"
#include "queue_wait.h"
#include "report_boxes.h"
#include "watchdog.h"

namespace {

const UINT cCrashExitCode = 1;

// Made at start and kept for the life of the process; null when it could not
// be had. Set (auto-reset) by a fault the thread is to show, with the fault's
// code and address, and by the operation's time-out.
HANDLE gReportEvent = nullptr;
std::atomic<bool> gFaultReported{false};
std::atomic<DWORD> gReportCode{0};
std::atomic<void*> gReportAddress{nullptr};
std::atomic<bool> gReportTimeout{false};
// Set when the program's start is over (the status text on screen), and by
// the thread once its box is ready.
HANDLE gWarmUpEvent = nullptr;
HANDLE gReadyEvent = nullptr;

INT_PTR CALLBACK WarmUpDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Makes and destroys a hidden dialog box with a button on this thread, as a
// message box makes one: the common controls of the program's manifest are
// loaded and the thread's window state is set up now, while nothing holds
// the loader. A box made after a fault may find it held by the faulted
// library.
void WarmUpForBoxes() noexcept {
    // The template in memory: the dialog (no menu, the system's class, no
    // title) and one push button (class atom 0x0080, no title, no creation
    // data), each on a DWORD boundary.
    alignas(4) const WORD dialogTemplate[] = {
        LOWORD(WS_POPUP), HIWORD(WS_POPUP), 0, 0, 1, 0, 0, 10, 10, 0, 0, 0,
        LOWORD(WS_CHILD | BS_PUSHBUTTON), HIWORD(WS_CHILD | BS_PUSHBUTTON), 0, 0, 0, 0, 10, 10, IDOK,
        0xFFFF, 0x0080, 0, 0,
    };
    const HWND dialog = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                                     reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate), nullptr,
                                                     &WarmUpDialogProc, 0);
    if (dialog) ::DestroyWindow(dialog);
}

DWORD WINAPI ReportCrash(void*) {
    const THookHandle boxWatch = WatchBoxesOfThisThread();
    const HANDLE events[] = {gReportEvent, gWarmUpEvent};
    const DWORD count = gWarmUpEvent ? 2 : 1;
    // Before the warm-up the thread has no window and no queue to serve.
    const DWORD woken = ::WaitForMultipleObjects(count, events, /*bWaitAll=*/FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0 + 1) {
        WarmUpForBoxes();
        if (gReadyEvent) ::SetEvent(gReadyEvent);
        if (!WaitServingMessages(gReportEvent, INFINITE)) return 0;
    } else if (woken != WAIT_OBJECT_0) {
        return 0;
    }
    for (;;) {
        if (gFaultReported) {
            if (!boxWatch) MarkReportBoxShown();
            ShowCrashAndEnd(gReportCode, gReportAddress);
        }
        // A fault recorded, but not handed here (yet, or shown by the GUI
        // thread itself): its report comes in place of the time-out's box.
        if (gReportTimeout && !FaultRecorded()) ShowTimeoutBoxForGood();
        if (!WaitServingMessages(gReportEvent, INFINITE)) return 0;
    }
}

}  // namespace

bool StartReportingThread() noexcept {
    gWarmUpEvent = ::CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr);
    gReadyEvent = ::CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr);
    gReportEvent = ::CreateEventW(nullptr, /*bManualReset=*/FALSE, /*bInitialState=*/FALSE, nullptr);
    if (!gReportEvent) return false;
    DWORD threadId = 0;
    const TKernelHandle thread(::CreateThread(nullptr, 0, &ReportCrash, nullptr, 0, &threadId));
    if (thread) {
        SetReportingThread(threadId);
        return true;
    }
    ::CloseHandle(gReportEvent);
    gReportEvent = nullptr;
    return false;
}

bool ReportFaultFromThread(unsigned long code, void* address) noexcept {
    if (!gReportEvent) return false;
    gReportCode = code;
    gReportAddress = address;
    gFaultReported = true;
    if (!::SetEvent(gReportEvent)) EndProcess(cCrashExitCode);
    return true;
}

void ReportTimeout() noexcept {
    gReportTimeout = true;
    if (gReportEvent) ::SetEvent(gReportEvent);
}

void ReadyReportBox() noexcept {
    if (!gWarmUpEvent || !::SetEvent(gWarmUpEvent) || !gReadyEvent) return;
    // The status text is on screen: the wait is not seen.
    static_cast<void>(::WaitForSingleObject(gReadyEvent, cReadyWait));
}
