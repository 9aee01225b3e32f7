#include "crashes.h"

#include <windows.h>

#include <cstdint>

#include "call_log.h"
#include "com_object.h"
#include "handles.h"

namespace {

// A store through a null pointer. Pointer and target are volatile, so the
// compiler can neither drop the store nor replace it by a trap of another
// kind.
void WriteThroughNullPointer() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

// Recursion without end, to the stack's end. Each call keeps a frame of its
// own: its buffer is volatile, the call goes through a volatile pointer (so it
// is neither inlined nor turned into a loop) and its result is used after it
// returns (so it is no tail call). The frames are large: their stack probe
// reaches the end of the stack while the stack pointer is still well above
// it, which leaves the system room to dispatch the overflow even where it
// keeps back no stack for that (Wine 8 ignores SetThreadStackGuarantee, and
// with small frames ends in a hang before any filter runs).
const int cFrameSize = 16 * 1024;
int Recurse(int depth);
int (*volatile gRecurse)(int) = &Recurse;

int Recurse(int depth) {
    volatile char frame[cFrameSize];
    frame[depth % cFrameSize] = static_cast<char>(depth);
    return gRecurse(depth + 1) + frame[depth % cFrameSize];
}

// A thread of the library's that writes through a null pointer after the
// delay in ms its parameter carries (0: at once).
DWORD WINAPI FaultingThread(void* delay) {
    ::Sleep(static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(delay)));
    WriteThroughNullPointer();
    return 0;
}

// Starts FaultingThread with the delay; nobody waits for it.
void StartFaultingThread(DWORD delay) {
    const TKernelHandle thread(
        ::CreateThread(nullptr, 0, &FaultingThread, reinterpret_cast<void*>(std::uintptr_t{delay}), 0, nullptr));
    static_cast<void>(thread);
}

// The fault on a thread of the library's own, which the caller waits for, up
// to wait ms (INFINITE: for good; the faulted thread never ends).
void FaultOnOwnThread(DWORD wait) {
    const TKernelHandle thread(::CreateThread(nullptr, 0, &FaultingThread, nullptr, 0, nullptr));
    if (thread) ::WaitForSingleObject(thread.Get(), wait);
}

// "crash-thread-nowait": the fault comes a moment after the call that made
// the thread has returned; nobody waits for it.
const DWORD cNoWaitFaultDelay = 100;  // ms
const DWORD cSlowCloseDelay = 2000;   // ms CloseDoc takes then

// "crash-loaderlock": a thread that takes the loader lock and never gives it
// back, as a library whose start-up code hangs would.
using TLdrLockLoaderLock = LONG(NTAPI*)(ULONG flags, ULONG* disposition, ULONG_PTR* cookie);

struct TLoaderLockTaker {
    TLdrLockLoaderLock Lock = nullptr;
    HANDLE Taken = nullptr;
};

DWORD WINAPI KeepLoaderLock(void* parameter) {
    const TLoaderLockTaker& taker = *static_cast<TLoaderLockTaker*>(parameter);
    ULONG_PTR cookie = 0;
    const LONG status = taker.Lock(0, nullptr, &cookie);
    ::SetEvent(taker.Taken);
    if (status < 0) return 1;
    for (;;) ::Sleep(INFINITE);
}

void FaultWhileLoaderLockHeld() {
    static TLoaderLockTaker taker;
    taker.Lock = reinterpret_cast<TLdrLockLoaderLock>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "LdrLockLoaderLock")));
    if (taker.Lock) {
        const TKernelHandle taken(::CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr));
        taker.Taken = taken.Get();
        const TKernelHandle thread(::CreateThread(nullptr, 0, &KeepLoaderLock, &taker, 0, nullptr));
        if (thread && taken) ::WaitForSingleObject(taken.Get(), 10000);
    }
    WriteThroughNullPointer();
}

// "crash-timerproc": a timer procedure on the caller's thread and a hidden
// window that posts itself the next message, each run logged.
const wchar_t* const cHiddenWindowClass = L"StandinHiddenWindow";
const UINT cLibraryMessage = WM_APP + 7;
const UINT cLibraryTimerInterval = 20;  // ms

void CALLBACK LibraryTimerProc(HWND, UINT, UINT_PTR, DWORD) { LogCall("Timer", 0, "TimerProc"); }

LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == cLibraryMessage) {
        LogCall("Window", 0, "WindowProc");
        ::PostMessageW(window, cLibraryMessage, 0, 0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A hidden window of the library's on the caller's thread, of a class of its
// own with the procedure given; null when it cannot be made.
HWND MakeHiddenWindow(const wchar_t* className, WNDPROC procedure) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ModuleHandle();
    windowClass.lpszClassName = className;
    ::RegisterClassExW(&windowClass);
    return ::CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ModuleHandle(), nullptr);
}

void FaultWithLibraryCallsPending() {
    const HWND window = MakeHiddenWindow(cHiddenWindowClass, &LibraryWindowProc);
    ::SetTimer(nullptr, 0, cLibraryTimerInterval, &LibraryTimerProc);
    // Once at once, which shows that the record works; the rest is posted.
    if (window) ::SendMessageW(window, cLibraryMessage, 0, 0);
    LogCall("Fault", 0, "Crash");
    WriteThroughNullPointer();
}

// "crash-twice": a second fault on a thread of the library's, 3 s after the first.
const DWORD cSecondFaultDelay = 3000;  // ms

// "crash-sendhang": a hidden window on the caller's thread whose procedure
// never returns from the message that a thread of the library's sends it
// 1 s later, after the fault.
const wchar_t* const cStuckWindowClass = L"StandinStuckWindow";
const UINT cStuckMessage = WM_APP + 8;
const DWORD cSendDelay = 1000;  // ms

LRESULT CALLBACK StuckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == cStuckMessage) {
        for (;;) ::Sleep(INFINITE);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI SendToStuckWindow(void* window) {
    ::Sleep(cSendDelay);
    ::SendMessageW(static_cast<HWND>(window), cStuckMessage, 0, 0);
    return 0;
}

void FaultWithSentMessageComing() {
    const HWND window = MakeHiddenWindow(cStuckWindowClass, &StuckWindowProc);
    const TKernelHandle thread(::CreateThread(nullptr, 0, &SendToStuckWindow, window, 0, nullptr));
    static_cast<void>(thread);
    WriteThroughNullPointer();
}

LONG WINAPI EndSilently(EXCEPTION_POINTERS*) {
    ::TerminateProcess(::GetCurrentProcess(), cSilentFilterExitCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void CrashWhenAsked() {
    if (FaultActive(TFault::Crash) || FaultActive(TFault::CrashFilter) || FaultActive(TFault::CrashFilterLate))
        WriteThroughNullPointer();
    if (FaultActive(TFault::CrashOverflow)) static_cast<void>(gRecurse(0));
    if (FaultActive(TFault::CrashThread)) FaultOnOwnThread(INFINITE);
    if (FaultActive(TFault::CrashThreadNoWait)) StartFaultingThread(cNoWaitFaultDelay);
    if (FaultActive(TFault::CrashLoaderLock)) FaultWhileLoaderLockHeld();
    if (FaultActive(TFault::CrashTimerProc)) FaultWithLibraryCallsPending();
    if (FaultActive(TFault::CrashSendHang)) FaultWithSentMessageComing();
    if (FaultActive(TFault::CrashTwice)) {
        StartFaultingThread(cSecondFaultDelay);
        WriteThroughNullPointer();
    }
}

void CrashThreadDuringSaveWhenAsked() {
    if (FaultActive(TFault::CrashThreadDuringSave)) FaultOnOwnThread(FaultDuration(TFault::CrashThreadDuringSave));
}

void DelayCloseWhenAsked() {
    if (FaultActive(TFault::CrashThreadNoWait)) ::Sleep(cSlowCloseDelay);
}

void HangWhenAsked(TFault fault) {
    if (FaultActive(fault)) ::Sleep(FaultDuration(fault));
}

void InstallSilentFilterWhenAsked(TFault fault) noexcept {
    if (FaultActive(fault)) ::SetUnhandledExceptionFilter(&EndSilently);
}

void InstallSilentFilterOnEveryCallWhenAsked() noexcept { InstallSilentFilterWhenAsked(TFault::FilterCalls); }
