#include "crash_filter.h"

#include <atomic>
#include <cstdint>
#include <string>

#include "application.h"
#include "exception_filter.h"
#include "failure_text.h"
#include "handles.h"
#include "message_box.h"
#include "module_path.h"

namespace {

const UINT cHandlerFaultExitCode = 0;  // the end of a run after a failed handler
const UINT cCrashExitCode = 1;
// Stack kept back on the GUI thread for the dispatch of a stack overflow: the
// system's own steps up to the filter need more than the guard page leaves.
const ULONG cOverflowReserve = 64 * 1024;
// The watchdog's bounds, in ms: from the fault until a box of the report is on
// screen, and from the close timer being due after a handler's failure.
const ULONGLONG cBoxBound = 10000;
const ULONGLONG cCloseTimerBound = 10000;
const DWORD cWatchInterval = 100;  // ms between the watchdog's looks

TCrashFilterForm gForm;
DWORD gGuiThread = 0;

// The thread of the first fault; 0 before it.
std::atomic<DWORD> gFaultingThread{0};

// What the watchdog reads: when the first fault came (GetTickCount64), whether
// a box of its report is on screen, and after a handler's failure when the
// close timer is due (0: none is armed).
std::atomic<ULONGLONG> gFaultTick{0};
std::atomic<bool> gBoxShown{false};
std::atomic<ULONGLONG> gCloseTimerDue{0};
// The box of the report, once it is made: one of the program's own windows.
std::atomic<HWND> gBox{nullptr};

// Made at start and kept for the life of the process; null when they could
// not be had. The watchdog's event is set by the first fault; the reporting
// thread's by a fault it is to show, with the fault's code and address.
HANDLE gWatchEvent = nullptr;
HANDLE gReportEvent = nullptr;
DWORD gReportingThread = 0;
std::atomic<DWORD> gReportCode{0};
std::atomic<void*> gReportAddress{nullptr};
// The GUI thread's hooks (CBT: the box comes; message filter: the box's loop).
HHOOK gGuiBoxWatch = nullptr;
HHOOK gGuiModalFilter = nullptr;

// Ends the process at once: neither the finalisation of the program nor the
// detach code of a library runs after a fault.
[[noreturn]] void EndProcess(UINT exitCode) noexcept {
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    // Ending the own process does not come back; should it, nothing may run on.
    for (;;) ::Sleep(INFINITE);
}

// CBT hook of the GUI thread and the reporting thread: the box that the
// thread of a report makes is one of the program's own windows, and once it
// becomes active it is on screen.
LRESULT CALLBACK WatchForBox(int code, WPARAM wParam, LPARAM lParam) {
    if ((code == HCBT_CREATEWND || code == HCBT_ACTIVATE) && gFaultingThread != 0) {
        const DWORD thread = ::GetCurrentThreadId();
        const HWND window = reinterpret_cast<HWND>(wParam);
        if ((thread == gFaultingThread || thread == gReportingThread) && IsDialogBox(window)) {
            gBox = window;
            if (code == HCBT_ACTIVATE) gBoxShown = true;
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
    if (root == gBox.load()) return true;
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

// The path of the module that holds address; empty when none does.
std::wstring ModulePathAt(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module)) {
        return std::wstring();
    }
    return ModuleFilePath(module);
}

[[noreturn]] void ShowCrashAndEnd(DWORD code, void* address) {
    const TFailureText text = DescribeStructuredException(code);
    ShowApplicationError(text.ClassName, FaultModuleName(ModulePathAt(address)),
                         reinterpret_cast<std::uintptr_t>(address), text.Message);
    EndProcess(cCrashExitCode);
}

// The failure of the handler that runs on this thread: its box, then the run
// goes on as after any failed handler, on top of the faulted stack.
[[noreturn]] void ReportHandlerFault(DWORD code, void* address) {
    // Without the hook the watchdog cannot see the box come.
    if (!gGuiBoxWatch) gBoxShown = true;
    Application->ShowErrorBox(HandlerFaultMessage(code, reinterpret_cast<std::uintptr_t>(address),
                                                  FaultModuleName(ModulePathAt(address))));
    // The close timer keeps running while the box is up: its quit message
    // ends the box, and the loop below then ends at once.
    if (gCloseTimerDue != 0) Application->RunMessageLoop();
    EndProcess(cHandlerFaultExitCode);
}

DWORD WINAPI ReportCrash(void*) {
    const THookHandle boxWatch(::SetWindowsHookExW(WH_CBT, &WatchForBox, nullptr, ::GetCurrentThreadId()));
    if (::WaitForSingleObject(gReportEvent, INFINITE) != WAIT_OBJECT_0) return 0;
    if (!boxWatch) gBoxShown = true;
    ShowCrashAndEnd(gReportCode, gReportAddress);
}

DWORD WINAPI WatchReport(void*) {
    if (::WaitForSingleObject(gWatchEvent, INFINITE) != WAIT_OBJECT_0) return 0;
    const ULONGLONG faulted = gFaultTick;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        if (!gBoxShown && now - faulted >= cBoxBound) EndProcess(cCrashExitCode);
        const ULONGLONG closeTimerDue = gCloseTimerDue;
        if (closeTimerDue != 0 && now >= closeTimerDue + cCloseTimerBound) EndProcess(cHandlerFaultExitCode);
        ::Sleep(cWatchInterval);
    }
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    DWORD firstThread = 0;
    if (!gFaultingThread.compare_exchange_strong(firstThread, ::GetCurrentThreadId())) EndProcess(cCrashExitCode);
    const bool overflow = record.ExceptionCode == EXCEPTION_STACK_OVERFLOW;
    const bool handlerFault = !overflow && Application && THandlerMark::Inside();
    // Before anything that may block: the watchdog's clock starts.
    if (handlerFault && gForm.CloseTimerDue) gCloseTimerDue = gForm.CloseTimerDue();
    gFaultTick = ::GetTickCount64();
    if (gWatchEvent) ::SetEvent(gWatchEvent);

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
    if (::GetCurrentThreadId() != gGuiThread || !gGuiBoxWatch) gBoxShown = true;
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
    if (gFaultingThread == 0) return true;
    if (message.message == WM_QUIT) return true;
    // A timer procedure is called by the dispatch, whatever the window.
    const bool timerProcedure = message.message == WM_TIMER && message.lParam != 0;
    if (!timerProcedure && IsOwnWindow(message.hwnd)) return true;
    if (message.message == WM_PAINT && message.hwnd) ::ValidateRect(message.hwnd, nullptr);
    return false;
}

void WaitWhileReportPending() noexcept {
    if (gFaultingThread == 0) return;
    DispatchOwnWindowsForGood();
}

void InstallCrashFilter(const TCrashFilterForm& form) noexcept {
    gForm = form;
    gGuiThread = ::GetCurrentThreadId();
    ULONG reserve = cOverflowReserve;
    static_cast<void>(::SetThreadStackGuarantee(&reserve));
    // Hooks and events stay for the life of the process.
    gGuiBoxWatch = ::SetWindowsHookExW(WH_CBT, &WatchForBox, nullptr, gGuiThread);
    gGuiModalFilter = ::SetWindowsHookExW(WH_MSGFILTER, &FilterModalMessage, nullptr, gGuiThread);
    static_cast<void>(StartWaitingThread(gReportEvent, &ReportCrash, &gReportingThread));
    static_cast<void>(StartWaitingThread(gWatchEvent, &WatchReport, nullptr));
    SetProgramExceptionFilter(&CrashFilter);
}
