#pragma once
// The reporting thread, made at start and waiting for the life of the
// process: it shows the report of a fault that is no handler's failure (any
// fault on a thread of a library, on the GUI thread outside the handlers, a
// stack overflow) while the faulted thread waits, and the box of the
// operation's time-out. A thread made after a fault would start through the
// loader, which the faulted library may hold.
//
// Once "/T" or "/P" has its status text on screen (ReadyReportBox), it makes
// and destroys a hidden dialog box of its own, so that the common controls are
// loaded and its window state is set up while nothing holds the loader; not
// at start, which it would slow down. The first call into the library waits
// for that (ReadyReportBox), so that a library that faults in its start-up
// code, holding the loader lock, does not keep the box from coming. From then
// on its waits serve its message queue (queue_wait.h).
//
// When a fault and the time-out both come, the fault's report is shown.

// Makes the thread (with its CBT hook, box_hooks.h); false when it or its
// event cannot be had: a fault is then shown on the faulted thread itself,
// a stack overflow ends the process at once with exit code 1 and no box, and
// the operation's time-out has no box (the run still ends when the close
// timer is due).
bool StartReportingThread() noexcept;

// Hands the fault of code at address to the thread: false when there is no
// thread to take it. Only the smallest steps: after a stack overflow the
// rest of the faulted stack is all there is.
bool ReportFaultFromThread(unsigned long code, void* address) noexcept;

// The watchdog has given the GUI thread's call up: the thread shows the
// time-out's box (report_boxes.h), unless a fault came first: then the
// fault's report is shown (or the GUI thread shows it, a handler's failure)
// and the time-out's box does not come. Must not block.
void ReportTimeout() noexcept;

// Lets the thread make its box ready (the warm-up above) and waits until it
// is, at most cReadyWait ms: call on the GUI thread before its first call
// into the library.
void ReadyReportBox() noexcept;
const unsigned long cReadyWait = 250;
