#include "crashes.h"

#include <windows.h>

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

DWORD WINAPI FaultingThread(void*) {
    WriteThroughNullPointer();
    return 0;
}

// The fault on a thread of the library's own, which the caller waits for.
void FaultOnOwnThread() {
    const TKernelHandle thread(::CreateThread(nullptr, 0, &FaultingThread, nullptr, 0, nullptr));
    if (thread) ::WaitForSingleObject(thread.Get(), INFINITE);
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
    if (FaultActive(TFault::CrashThread)) FaultOnOwnThread();
}

void InstallSilentFilterWhenAsked(TFault fault) noexcept {
    if (FaultActive(fault)) ::SetUnhandledExceptionFilter(&EndSilently);
}

void InstallSilentFilterOnEveryCallWhenAsked() noexcept { InstallSilentFilterWhenAsked(TFault::FilterCalls); }
