#pragma once
// What each report shows, and how the run ends after it:
//  - a fault that is no handler's failure: the "Anwendungsfehler" box with
//    the exception's class, its address and its module, then exit code 1;
//  - a fault on the GUI thread inside a handler: the form's error box, as for
//    any failure of the handler, then the run goes on to its normal end;
//  - the operation's time-out: the form's error box for the system failure
//    ERROR_TIMEOUT, its text made in advance; the watchdog ends the run.
// The faulting module is named without the loader (fault_module.h).
#include <windows.h>

// Shows the "Anwendungsfehler" box for the structured exception code at
// address, then ends the process with exit code 1.
[[noreturn]] void ShowCrashAndEnd(DWORD code, void* address);

// The failure of the handler that runs on this (the GUI) thread: the form's
// error box, then the run goes on as after any failed handler, on top of the
// faulted stack: the message loop runs while the close timer is armed (its
// quit message ends the box and the loop), and the process then ends with
// exit code 0 without its finalisation. boxWatched: the thread's CBT hook is
// in (without it the watchdog cannot see the box come and takes it as shown).
[[noreturn]] void ReportHandlerFault(DWORD code, void* address, bool closeTimerArmed, bool boxWatched);

// Makes the time-out box's text and caption now, on the GUI thread, while
// nothing is blocked: the box is shown from the reporting thread while the
// GUI thread is blocked in the library, and making its text then may need
// the loader or a heap lock that the blocked library holds. Without them the
// time-out still ends the run, without a box.
void PrepareTimeoutBox() noexcept;

// The time-out box, without an owner (the form's thread is blocked) and above
// all other windows, when its text was made; then waits for good, serving
// the thread's messages: the watchdog ends the run 6 s after the give-up,
// answered or not.
[[noreturn]] void ShowTimeoutBoxForGood();
