#include "crash_filter.h"

#include <atomic>
#include <cstdint>
#include <string>

#include "application.h"
#include "error_text.h"
#include "exception_filter.h"
#include "failure_text.h"
#include "fault_module.h"
#include "handles.h"
#include "library_call.h"
#include "message_box.h"
#include "os_error.h"
#include "watchdog.h"

// Older headers lack the setting of the process's timer procedure faults.
#ifndef UOI_TIMERPROC_EXCEPTION_SUPPRESSION
#define UOI_TIMERPROC_EXCEPTION_SUPPRESSION 7
#endif

namespace {

const UINT cHandlerFaultExitCode = 0;  // the end of a run after a failed handler
const UINT cCrashExitCode = 1;
// Stack kept back on the GUI thread for the dispatch of a stack overflow: the
// system's own steps up to the filter need more than the guard page leaves.
const ULONG cOverflowReserve = 64 * 1024;

TCrashFilterForm gForm;
DWORD gGuiThread = 0;

// The thread of the first fault; 0 before it.
std::atomic<DWORD> gFaultingThread{0};
// Whether the close timer runs after a handler's failure.
std::atomic<bool> gCloseTimerArmed{false};

// Made at start and kept for the life of the process; null when it could not
// be had. Set by a fault the reporting thread is to show, with the fault's
// code and address, or by the operation's time-out.
HANDLE gReportEvent = nullptr;
DWORD gReportingThread = 0;
std::atomic<DWORD> gReportCode{0};
std::atomic<void*> gReportAddress{nullptr};
std::atomic<bool> gReportTimeout{false};
// Set when the program's start is over (the status window on screen): the
// reporting thread then makes its box ready, without slowing the start.
HANDLE gWarmUpEvent = nullptr;

// The error box of the operation's time-out, made when the operation is
// armed: the box is shown from the reporting thread while the GUI thread is
// blocked, and making its text then may need the loader or a heap lock that
// the blocked library holds.
std::wstring gTimeoutText;
std::wstring gTimeoutCaption;
std::atomic<bool> gTimeoutReady{false};
// The GUI thread's hooks (CBT: the box comes; message filter: the box's loop).
HHOOK gGuiBoxWatch = nullptr;
HHOOK gGuiModalFilter = nullptr;

// CBT hook of the GUI thread and the reporting thread: the box that the
// thread of a report makes is the watchdog's to watch (it is on screen once
// it is visible), and once it becomes active it is on screen.
LRESULT CALLBACK WatchForBox(int code, WPARAM wParam, LPARAM lParam) {
    if ((code == HCBT_CREATEWND || code == HCBT_ACTIVATE) && gFaultingThread != 0) {
        const DWORD thread = ::GetCurrentThreadId();
        const HWND window = reinterpret_cast<HWND>(wParam);
        if ((thread == gFaultingThread || thread == gReportingThread) && IsDialogBox(window)) {
            WatchReportBox(window);
            if (code == HCBT_ACTIVATE) MarkReportBoxShown();
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Message-filter hook of the GUI thread: a modal loop (the box's) drops what
// MayDispatch does not let through.
LRESULT CALLBACK FilterModalMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && lParam && !MayDispatch(*reinterpret_cast<const MSG*>(lParam))) return TRUE;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool IsOwnWindow(HWND window) noexcept {
    if (!window) return false;
    const HWND root = ::GetAncestor(window, GA_ROOT);
    if (!root) return false;
    if (IsProgramMessageBox(root)) return true;
    if (Application && root == Application->Handle()) return true;
    return gForm.Window && root == gForm.Window();
}

// Dispatches, for good, what MayDispatch lets through; the quit message too
// is dropped, the end being left to the report.
[[noreturn]] void DispatchOwnWindowsForGood() noexcept {
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

// The thread that the process ends under waits here: the GUI thread with its
// own windows still served, any other thread (and an overflowed stack) idle.
[[noreturn]] void WaitForTheEnd(bool stackLeft) noexcept {
    if (stackLeft && ::GetCurrentThreadId() == gGuiThread) DispatchOwnWindowsForGood();
    for (;;) ::Sleep(INFINITE);
}

[[noreturn]] void ShowCrashAndEnd(DWORD code, void* address) {
    const TFailureText text = DescribeStructuredException(code);
    ShowApplicationError(text.ClassName, FaultModuleName(ModuleNameAt(address).Text),
                         reinterpret_cast<std::uintptr_t>(address), text.Message);
    EndProcess(cCrashExitCode);
}

// The failure of the handler that runs on this thread: its box, then the run
// goes on as after any failed handler, on top of the faulted stack.
[[noreturn]] void ReportHandlerFault(DWORD code, void* address) {
    // Without the hook the watchdog cannot see the box come.
    if (!gGuiBoxWatch) MarkReportBoxShown();
    Application->ShowErrorBox(HandlerFaultMessage(code, reinterpret_cast<std::uintptr_t>(address),
                                                  FaultModuleName(ModuleNameAt(address).Text)));
    // The close timer keeps running while the box is up: its quit message
    // ends the box, and the loop below then ends at once.
    if (gCloseTimerArmed) Application->RunMessageLoop();
    EndProcess(cHandlerFaultExitCode);
}

// The operation's time-out: the GUI thread's call into the library was
// given up. The form's error box, without an owner (the form's thread is
// blocked); the watchdog ends the run when the close timer is due, answered
// or not.
void ShowTimeoutBox() {
    if (gTimeoutReady) {
        ShowMessageBox(nullptr, gTimeoutText.c_str(), gTimeoutCaption.c_str(), MB_OK | MB_ICONSTOP | MB_TOPMOST);
    }
    for (;;) ::Sleep(INFINITE);
}

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
    const THookHandle boxWatch(::SetWindowsHookExW(WH_CBT, &WatchForBox, nullptr, ::GetCurrentThreadId()));
    const HANDLE events[] = {gReportEvent, gWarmUpEvent};
    const DWORD count = gWarmUpEvent ? 2 : 1;
    const DWORD woken = ::WaitForMultipleObjects(count, events, /*bWaitAll=*/FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0 + 1) {
        WarmUpForBoxes();
        if (::WaitForSingleObject(gReportEvent, INFINITE) != WAIT_OBJECT_0) return 0;
    } else if (woken != WAIT_OBJECT_0) {
        return 0;
    }
    if (gReportTimeout) ShowTimeoutBox();
    if (!boxWatch) MarkReportBoxShown();
    ShowCrashAndEnd(gReportCode, gReportAddress);
}

// Called by the watchdog when it has given the GUI thread's call up.
void ReportTimeout() noexcept {
    gReportTimeout = true;
    if (gReportEvent) ::SetEvent(gReportEvent);
}

// A call into the library that was given up has come back: the GUI thread
// serves its own windows until the watchdog ends the run.
void WaitAfterAbandonedCall() noexcept { DispatchOwnWindowsForGood(); }

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    DWORD firstThread = 0;
    if (!gFaultingThread.compare_exchange_strong(firstThread, ::GetCurrentThreadId())) EndProcess(cCrashExitCode);
    // The operation has failed already, and its box is up or coming: the
    // library that was given up faulted, which ends the run as a second
    // fault does.
    if (LibraryCallAbandoned()) EndProcess(cCrashExitCode);
    // A call of the GUI thread that faulted never returns.
    if (::GetCurrentThreadId() == gGuiThread) ForgetLibraryCall();
    const bool overflow = record.ExceptionCode == EXCEPTION_STACK_OVERFLOW;
    const bool handlerFault = !overflow && Application && THandlerMark::Inside();
    // Before anything that may block: the watchdog's clock starts.
    const ULONGLONG closeTimerDue = handlerFault && gForm.CloseTimerDue ? gForm.CloseTimerDue() : 0;
    gCloseTimerArmed = closeTimerDue != 0;
    WatchFault(closeTimerDue);

    if (handlerFault) ReportHandlerFault(record.ExceptionCode, record.ExceptionAddress);
    if (gReportEvent) {
        // Only the smallest steps here: after an overflow the rest of this
        // stack is all there is.
        gReportCode = record.ExceptionCode;
        gReportAddress = record.ExceptionAddress;
        if (!::SetEvent(gReportEvent)) EndProcess(cCrashExitCode);
        WaitForTheEnd(/*stackLeft=*/!overflow);
    }
    // No reporting thread: an overflowed stack has no room for a box; any
    // other fault is shown here, unseen by the watchdog off the GUI thread.
    if (overflow) EndProcess(cCrashExitCode);
    if (::GetCurrentThreadId() != gGuiThread || !gGuiBoxWatch) MarkReportBoxShown();
    ShowCrashAndEnd(record.ExceptionCode, record.ExceptionAddress);
}

// A thread that waits on its event for the life of the process; false when
// the event or the thread cannot be had.
bool StartWaitingThread(HANDLE& event, LPTHREAD_START_ROUTINE start, DWORD* threadId) noexcept {
    event = ::CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr);
    if (!event) return false;
    const TKernelHandle thread(::CreateThread(nullptr, 0, start, nullptr, 0, threadId));
    if (thread) return true;
    ::CloseHandle(event);
    event = nullptr;
    return false;
}

}  // namespace

bool MayDispatch(const MSG& message) noexcept {
    if (gFaultingThread == 0 && !LibraryCallAbandoned()) return true;
    if (message.message == WM_QUIT) return true;
    // A timer procedure is called by the dispatch, whatever the window.
    const bool timerProcedure = message.message == WM_TIMER && message.lParam != 0;
    if (!timerProcedure && IsOwnWindow(message.hwnd)) return true;
    if (message.message == WM_PAINT && message.hwnd) ::ValidateRect(message.hwnd, nullptr);
    return false;
}

void MarkFaultForTesting() noexcept { gFaultingThread = ::GetCurrentThreadId(); }

void WaitWhileReportPending() noexcept {
    if (gFaultingThread == 0) return;
    DispatchOwnWindowsForGood();
}

void InstallCrashFilter(const TCrashFilterForm& form) noexcept {
    gForm = form;
    gGuiThread = ::GetCurrentThreadId();
    // A timer procedure's fault reaches this filter, not swallowed by the
    // dispatch (only Windows honours it; Wine refuses it).
    BOOL suppressTimerFaults = FALSE;
    static_cast<void>(::SetUserObjectInformationW(::GetCurrentProcess(), UOI_TIMERPROC_EXCEPTION_SUPPRESSION,
                                                  &suppressTimerFaults, sizeof suppressTimerFaults));
    ULONG reserve = cOverflowReserve;
    static_cast<void>(::SetThreadStackGuarantee(&reserve));
    // Hooks and events stay for the life of the process.
    gGuiBoxWatch = ::SetWindowsHookExW(WH_CBT, &WatchForBox, nullptr, gGuiThread);
    gGuiModalFilter = ::SetWindowsHookExW(WH_MSGFILTER, &FilterModalMessage, nullptr, gGuiThread);
    gWarmUpEvent = ::CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr);
    static_cast<void>(StartWaitingThread(gReportEvent, &ReportCrash, &gReportingThread));
    static_cast<void>(StartWatchdog(&ReportTimeout));
    SetAbandonedCallWait(&WaitAfterAbandonedCall);
    SetProgramExceptionFilter(&CrashFilter);
}

void WatchOperationCalls(ULONGLONG closeTimerDue) noexcept {
    // The box's text and caption now, while nothing is blocked.
    if (!gTimeoutReady && Application) {
        try {
            gTimeoutText = WithFinalDot(OsErrorText(ERROR_TIMEOUT, SysErrorMessage(ERROR_TIMEOUT)));
            gTimeoutCaption = Application->Title();
            gTimeoutReady = true;
        } catch (...) {
            // Without them the time-out still ends the run, without a box.
        }
    }
    WatchOperation(::GetTickCount64(), closeTimerDue);
    if (gWarmUpEvent) ::SetEvent(gWarmUpEvent);
}
