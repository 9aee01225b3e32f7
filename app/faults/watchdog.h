#pragma once
// The watchdog: one thread, made at start, that bounds every run whatever the
// Document Manager does (a fault whose report cannot come, a call that never
// returns). Its rules are in fault_rules.h.
//
// The GUI thread and the crash filter publish what it needs in atomics: the
// call into the library that runs now and its kind (library_call.h), the
// close timer of the operation, the fault and its box. The thread sleeps
// until it is woken (the operation armed, or the first fault), then looks
// every 100 ms. It uses nothing but timed waits, atomics, GetTickCount64 and
// TerminateProcess: no allocation, no loader, no lock that a blocked or
// faulted thread may hold.
#include <windows.h>

// What the watchdog asks of the crash filter when it gives the GUI thread's
// call up: the error box of the time-out, from a thread that is not blocked.
// Called once, on the watchdog's thread; must not block.
using TReportTimeout = void (*)() noexcept;

// Makes the watchdog thread; false when it (or its event) cannot be had, and
// then no run is bounded. Call once, at start.
bool StartWatchdog(TReportTimeout reportTimeout) noexcept;

// The close timer of "/T" or "/P" was enabled at started (GetTickCount64) and
// is due at due: from now on an ordinary call into the library that still
// runs 30 s after started is given up, and the run ends at due. Wakes the
// watchdog.
void WatchOperation(ULONGLONG started, ULONGLONG due) noexcept;

// The first fault came now; closeTimerDue: after a handler's failure, when
// the close timer is due (0: none is armed). Wakes the watchdog.
void WatchFault(ULONGLONG closeTimerDue) noexcept;

// A box of the fault's report is on screen (or none can be watched for).
void MarkReportBoxShown() noexcept;
// The box of the fault's report has been made: it is on screen as soon as it
// is visible, whether it was activated or not (a background process may not
// take the foreground).
void WatchReportBox(HWND box) noexcept;

// Ends the process at once with exitCode: neither the finalisation of the
// program nor the detach code of a library runs. A save of the document that
// runs on the GUI thread is never cut: a thread other than the GUI thread
// waits here until it has returned.
[[noreturn]] void EndProcess(UINT exitCode) noexcept;
