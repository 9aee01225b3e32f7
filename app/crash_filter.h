#pragma once
// The last resort for a structured exception that nothing handles (an access
// violation or a stack overflow in the Document Manager, say): one of the
// program's own boxes instead of the system's crash handling, and an end that
// calls nothing of the faulted code again.

// Whether a close timer is armed, which will end the message loop.
using TCloseTimerArmed = bool (*)();

// Makes the crash filter the program's filter for unhandled structured
// exceptions (SetProgramExceptionFilter, so that the Document Manager binding
// can put it back), keeps stack back on the calling thread for the dispatch
// of a stack overflow and starts the thread that reports one. Call once, at
// start, on the GUI thread; raises EOSError when the reserve, the thread or
// its event cannot be had.
//  - A fault on the GUI thread while a handler runs is a failure of that
//    handler: the form's error box names the exception, its address and its
//    module. The faulted stack is never unwound (no destructor, no Release,
//    no CloseDoc runs): the message loop runs on top of it until the program
//    is to end, by the close timer (timerArmed tells whether one is), or
//    when the box is answered if none is; the process then ends with exit
//    code 0 without its finalisation.
//  - Any other fault (before the form exists, after the message loop, on a
//    thread of a library): the "Anwendungsfehler" box, then exit code 1.
//  - A stack overflow, on any thread: the overflowed thread has no stack left
//    for a box and cannot run the message loop again, so the run cannot go
//    on; the reporting thread shows the "Anwendungsfehler" box and ends the
//    process with exit code 1 while the overflowed thread waits.
//  - A second fault while a box is up, or after it, ends the process at once
//    with exit code 1.
// No dump is written and no second dialog comes.
void InstallCrashFilter(TCloseTimerArmed timerArmed);
