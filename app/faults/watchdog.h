#pragma once
// The watchdog: one thread, made at start, that bounds every run whatever the
// Document Manager does (a fault whose report cannot come, a call that never
// returns). Its rules are in fault_rules.h.
//
// The GUI thread and the crash filter publish what it needs in atomics: the
// call into the library that runs now, its kind and start (library_call.h),
// whether the operation is armed, the fault and its box. The thread sleeps
// until it is woken (the operation armed, or the first fault), then looks
// every 100 ms, on the clock that stands still while the machine sleeps
// (WatchClockNow). Between its looks it sleeps (a timed wait); at a look it
// reads atomics and the clock and may look whether the report's box is
// visible (IsWindowVisible, which reads the window's style); its only other
// calls end the process or tell the reporting thread of a give-up (setting
// an event). No allocation, no loader, no lock that a blocked or faulted
// thread may hold.
#include <windows.h>

// What the watchdog asks of the reporting thread when it gives the GUI
// thread's call up: the error box of the time-out, from a thread that is not
// blocked. Called once, on the watchdog's thread; must not block.
using TReportTimeout = void (*)() noexcept;

// Makes the watchdog thread; false when it (or its event) cannot be had, and
// then no run is bounded. Call once, at start, after InitFaultRecord.
bool StartWatchdog(TReportTimeout reportTimeout) noexcept;

// "/T" or "/P" is under way: from now on an ordinary call into the library
// that has itself run 30 s is given up, and the run ends 6 s later. Wakes the
// watchdog.
void WatchOperation() noexcept;

// The first fault came now; closeTimerDue: after a handler's failure, when
// the close timer is due (GetTickCount64; 0: none is armed). Wakes the
// watchdog.
void WatchFault(ULONGLONG closeTimerDue) noexcept;

// A box of the fault's report is on screen (or none can be watched for).
void MarkReportBoxShown() noexcept;
// The box of the fault's report has been made: it is on screen as soon as it
// is visible, whether it was activated or not (a background process may not
// take the foreground).
void WatchReportBox(HWND box) noexcept;

// Ends the process at once with exitCode: neither the finalisation of the
// program nor the detach code of a library runs. A save of the document that
// runs on the GUI thread is not cut: a thread other than the GUI thread waits
// here while it runs, but no longer than 30 s after a fault
// (SaveHoldsTheEnd); the reporting thread serves its messages meanwhile.
[[noreturn]] void EndProcess(UINT exitCode) noexcept;
