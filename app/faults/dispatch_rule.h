#pragma once
// What the GUI thread's message loops dispatch once a fault has come or a
// call into the library was given up: only the program's own windows, so
// that nothing of the faulted or blocked library runs from the program's
// loops (its windows, its timer procedures, its thread messages).
#include <windows.h>

// Whether a message loop of the GUI thread may dispatch message: any message
// before the first fault or time-out. From then on only messages for the
// program's own windows (the form with its controls, the hidden application
// window, the boxes the program shows itself, owned by either or by none)
// and the quit message; messages of other windows, thread messages and timer
// procedures are dropped, and after a time-out every timer's tick
// (DispatchAllowed, fault_rules.h). A paint message of another window is
// validated as it is dropped, so that it does not come again. Messages that
// other threads send are delivered by the system before any loop sees them
// and cannot be held back. A window procedure of the program that a loop not
// of the program's may reach (the library's own, while a call runs) asks
// here too before it runs a handler.
bool MayDispatch(const MSG& message) noexcept;

// Dispatches, for good, what MayDispatch lets through; the quit message too
// is dropped, the end being left to the report or the watchdog.
[[noreturn]] void DispatchOwnWindowsForGood() noexcept;

// Called by the GUI thread at its normal end, before any finalisation: while a
// fault is being reported, waits for good (dispatching what MayDispatch lets
// through) and leaves the end to the reporting thread and the watchdog;
// returns at once otherwise.
void WaitWhileReportPending() noexcept;

// For tests: marks the calling thread as the one of a first fault, with no
// report, so that MayDispatch applies its rule from now on.
void MarkFaultForTesting() noexcept;
