#pragma once
// Faults and hangs: what happens when the Document Manager faults or a call
// into it never returns. Every run ends (but one whose save never returns
// while no fault has come: a cut save may tear the document), and a fault
// ends in one of the program's own boxes, never in the system's crash
// handling.
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
// library of "/T" or "/P" that has itself run 30 s, on a clock that stands
// still while the machine sleeps; the reporting thread shows the time-out's
// box at once, nothing of the operation runs any more, and the run ends 6 s
// later with exit code 0 (1 when a fault came too). A save is not cut, but
// for 30 s at most after a fault. The watchdog also bounds every report: no
// box 10 s after a fault, exit code 1. The README's fault table is the one
// list of every end.
//
// Which file does what:
//  - faults.h          the set-up and the GUI thread's calls (this file)
//  - program_parts.h   what the program hands in of its application and form
//  - fault_record.h    what the files share: the threads and the first fault
//  - crash_filter.h    the filter: which report a fault gets
//  - report_boxes.h    what each report shows, and the end after it
//  - reporting_thread.h  the thread that shows the reports, and its warm-up
//  - queue_wait.h      its waits, which serve its message queue
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

// "/T" or "/P" has its status text on screen: from now on the watchdog gives
// up an ordinary call into the library that has itself run 30 s. Makes the
// time-out's box text now, on the GUI thread, and lets the reporting thread
// make its box ready, waiting for it 250 ms at most; call after the
// application object is set up, before the first call into the library.
void WatchOperationCalls() noexcept;
