#pragma once
// Faults and hangs: what happens when the Document Manager faults or a call
// into it never returns. Every run ends, and a fault ends in one of the
// program's own boxes, never in the system's crash handling.
//
// At start (InstallCrashFilter), before any fault, everything a report needs
// is made: a thread made after a fault would start through the loader, which
// a faulted library may hold.
//
// On a fault (crash_filter.h decides):
//  - on the GUI thread inside a handler: the form's error box, as for any
//    failure of the handler; the run ends with exit code 0 (report_boxes.h);
//  - anywhere else: the faulted thread waits, the reporting thread
//    (reporting_thread.h) shows the "Anwendungsfehler" box; answered, the
//    run ends with exit code 1;
//  - a second fault: exit code 1 at once.
// From the first fault on, the GUI thread's loops dispatch only the program's
// own windows (dispatch_rule.h).
//
// On a hang: the watchdog (watchdog.h) gives up an ordinary call into the
// library still running 30 s after the close timer of "/T" or "/P" was
// enabled; the reporting thread shows the time-out's box, and the run ends
// with exit code 0 when the close timer is due. A save is never cut. It also
// bounds every report: no box 10 s after a fault, exit code 1.
//
// Which file does what:
//  - faults.h          the set-up and the GUI thread's calls (this file)
//  - program_parts.h   what the program hands in of its application and form
//  - fault_record.h    what the files share: the threads and the first fault
//  - crash_filter.h    the filter: which report a fault gets
//  - report_boxes.h    what each report shows, and the end after it
//  - reporting_thread.h  the thread that shows the reports, and its warm-up
//  - box_hooks.h       the hooks that see a report's box come, and filter its loop
//  - dispatch_rule.h   what the loops dispatch after a fault or a time-out
//  - watchdog.h        the thread that bounds every run; ends the process
//  - fault_rules.h     the watchdog's rules and the stack rule, Windows-free
//  - thread_stack.h    stack kept back on every thread for its overflow's report
//  - fault_module.h    the faulting module's name, without the loader
// The guard of every call into the library is common/library_call.h.
#include <windows.h>

#include "program_parts.h"

// Makes the crash filter the program's filter for unhandled structured
// exceptions (SetProgramExceptionFilter, so that the Document Manager binding
// can put it back), with the hooks, the reporting thread and the watchdog.
// Call once, at start, on the GUI thread. Set-up is best effort and never
// fails the run; what cannot be had degrades only the reports that need it
// (each file's header says how). Also:
//  - stack kept back on the GUI thread for the dispatch of a stack overflow:
//    without it the system may end the process;
//  - a timer procedure's fault reaches the filter: the system's dispatch of
//    timer procedures no longer swallows it (UOI_TIMERPROC_EXCEPTION_SUPPRESSION).
void InstallCrashFilter(const TCrashFilterApplication& application, const TCrashFilterForm& form) noexcept;

// The close timer of "/T" or "/P" has been enabled and is due at
// closeTimerDue (GetTickCount64), and the status text is on screen: from now
// on the watchdog gives up an ordinary call into the library that still runs
// 30 s later. Makes the time-out's box text now, on the GUI thread, and lets
// the reporting thread make its box ready; call after the application object
// is set up, before the first call into the library.
void WatchOperationCalls(ULONGLONG closeTimerDue) noexcept;
