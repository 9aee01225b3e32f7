#include "queue_wait.h"

bool WaitServingMessages(HANDLE handle, DWORD milliseconds) noexcept {
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    const DWORD count = handle ? 1 : 0;
    for (;;) {
        DWORD timeout = INFINITE;
        if (milliseconds != INFINITE) {
            const ULONGLONG now = ::GetTickCount64();
            if (now >= deadline) return false;
            timeout = static_cast<DWORD>(deadline - now);
        }
        const DWORD woken = ::MsgWaitForMultipleObjects(count, &handle, /*fWaitAll=*/FALSE, timeout, QS_ALLINPUT);
        if (count != 0 && woken == WAIT_OBJECT_0) return true;
        if (woken == WAIT_TIMEOUT) return false;
        if (woken == WAIT_FAILED) {
            // Nothing to wait on after all: the time still passes.
            ::Sleep(10);
            continue;
        }
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
}
