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
// at start, which it would slow down.

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
// time-out's box (report_boxes.h). Must not block.
void ReportTimeout() noexcept;

// Lets the thread make its box ready (the warm-up above).
void ReadyReportBox() noexcept;
