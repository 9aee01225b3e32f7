#pragma once
// The last resort for a structured exception that nothing handles (an access
// violation or a stack overflow in the Document Manager, say): one of the
// program's own boxes instead of the system's crash handling, an end that
// calls nothing of the faulted code again, and a bound on every report.
#include <windows.h>

// What the crash filter reads of the form, on the GUI thread.
struct TCrashFilterForm {
    // When the close timer is due next (GetTickCount64), 0 when it does not run.
    ULONGLONG (*CloseTimerDue)() = nullptr;
    // The form's window; null while there is none.
    HWND (*Window)() = nullptr;
};

// Makes the crash filter the program's filter for unhandled structured
// exceptions (SetProgramExceptionFilter, so that the Document Manager binding
// can put it back). Call once, at start, on the GUI thread. Everything a
// report needs is made here, for a thread made after a fault would start
// through the loader, which a faulted library may hold:
//  - stack kept back on the GUI thread for the dispatch of a stack overflow;
//  - a timer procedure's fault reaches the filter: the system's dispatch of
//    timer procedures no longer swallows it (UOI_TIMERPROC_EXCEPTION_SUPPRESSION);
//  - on the GUI thread, a CBT hook that tells the watchdog which box of a
//    report to watch (on screen once visible or active) and a message-filter
//    hook that keeps the messages of foreign
//    windows from the box's modal loop (MayDispatch), both idle until a fault;
//  - the reporting thread, with the same CBT hook: it shows the
//    "Anwendungsfehler" box of every fault that is not a handler's failure,
//    then ends the process with exit code 1, and the box of the operation's
//    time-out. Once "/T" or "/P" has its status text on screen
//    (WatchOperationCalls), it makes and destroys a hidden dialog box of its
//    own, so that the common controls are loaded and its window state is
//    set up while nothing holds the loader (not at start: it would slow the
//    start down);
//  - the watchdog thread (watchdog.h, its rules in watch_rules.h), which
//    sleeps until the first fault or the operation's close timer and bounds
//    every run: it ends the process with exit code 1 when no box of a
//    fault's report is on screen 10 s after the fault; after a handler's
//    failure with the close timer armed, with exit code 0 (the end the timer
//    would have given, the failure having been shown) 10 s after the timer
//    was due; and it gives up a call into the library that has not returned
//    30 s after the operation's close timer was enabled (WatchOperationCalls).
// The faults:
//  - A fault on the GUI thread while a handler runs is a failure of that
//    handler: the form's error box names the exception, its address and its
//    module. The faulted stack is never unwound (no destructor, no Release,
//    no CloseDoc runs): the message loop runs on top of it until the program
//    is to end, by the close timer, or when the box is answered if none is
//    armed; the process then ends with exit code 0 without its finalisation.
//  - Any other fault (on a thread of a library, on the GUI thread outside
//    the handlers, a stack overflow on any thread): the faulted thread waits
//    for good, the reporting thread shows the box, and once it is answered
//    the process ends with exit code 1. Should the GUI thread reach its
//    normal end meanwhile, it waits too (WaitWhileReportPending).
//  - A second fault while a box is up, or after it, ends the process at once
//    with exit code 1.
// The operation's time-out: when the watchdog gives up an ordinary call of
// the GUI thread into the library (a save is never given up), the reporting
// thread shows the form's error box for the system failure ERROR_TIMEOUT,
// with no owner and above all other windows, and the run ends with exit code
// 0 when the close timer is due, without its finalisation, answered or not.
// Nothing more of the operation runs: a call given up that comes back late
// leaves the GUI thread serving only the program's own windows until then.
// A fault after that ends the process at once with exit code 1.
// From the first fault or the time-out on, the message loops of the GUI
// thread dispatch only the program's own windows (MayDispatch). No dump is
// written and no second dialog comes.
// Set-up is best effort and never fails the run; what cannot be had
// degrades only the reports that need it:
//  - without the stack kept back, a stack overflow on the GUI thread may find
//    no stack for the filter, and the system ends the process;
//  - without the reporting thread (or its event), a fault is shown on the
//    faulted thread itself (the GUI thread still waits at its normal end
//    while that box is up), a stack overflow ends the process at once with
//    exit code 1 and no box, and the operation's time-out has no box (the
//    run still ends when the close timer is due);
//  - without the watchdog (or its event), no report and no call into the
//    library is bounded;
//  - without the CBT hook of the thread that shows the box, the watchdog
//    cannot see the box come and does not bound it;
//  - without the message-filter hook, the box's modal loop on the GUI thread
//    dispatches every message.
void InstallCrashFilter(const TCrashFilterForm& form) noexcept;

// Whether a message loop of the GUI thread may dispatch message: any message
// before the first fault or time-out. From then on only messages for the program's
// own windows (the form with its controls, the hidden application window, the
// box of the report) and the quit message; messages of other windows, thread
// messages and timer procedures are dropped (a paint message of another
// window is validated as it is dropped, so that it does not come again).
// Messages that other threads send are delivered by the system before any
// loop sees them and cannot be held back.
bool MayDispatch(const MSG& message) noexcept;

// For tests: marks the calling thread as the one of a first fault, with no
// report, so that MayDispatch applies its rule from now on.
void MarkFaultForTesting() noexcept;

// Called by the GUI thread at its normal end, before any finalisation: while a
// fault is being reported, waits for good (dispatching what MayDispatch lets
// through) and leaves the end to the reporting thread and the watchdog;
// returns at once otherwise.
void WaitWhileReportPending() noexcept;

// The close timer of "/T" or "/P" has been enabled and is due at
// closeTimerDue (GetTickCount64), and the status text is on screen: from now
// on the watchdog gives up an ordinary call into the library that still runs
// 30 s later. Makes the time-out's box text now, on the GUI thread, and lets
// the reporting thread make its box ready; call after the application object
// is set up, before the first call into the library.
void WatchOperationCalls(ULONGLONG closeTimerDue) noexcept;
