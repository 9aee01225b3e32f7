#pragma once
// The program's filter for structured exceptions that nothing handles (an
// access violation or a stack overflow in the Document Manager, say). It
// decides which report a fault gets and where the faulted thread waits:
//  - a fault on the GUI thread while a handler runs is a failure of that
//    handler (ReportHandlerFault, report_boxes.h): the faulted stack is never
//    unwound (no destructor, no Release, no CloseDoc runs);
//  - any other fault, a stack overflow on any thread included: the faulted
//    thread waits for good (the GUI thread serving its own windows), the
//    reporting thread shows the "Anwendungsfehler" box, and once it is
//    answered the process ends with exit code 1;
//  - a second fault, or a fault after the operation's time-out, ends the
//    process at once with exit code 1 (a save under way holds every end
//    back, 30 s after the first fault at most: watchdog.h).
// The first fault wakes the watchdog (WatchFault), before anything that may
// block. A call of the GUI thread into the library that faulted never
// returns, so it is no longer published. No dump is written and no second
// dialog comes.
#include <windows.h>

// The filter; made the program's by InstallCrashFilter (faults.h).
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers);
