#pragma once
// The faults that crash, as a faulty library makes them: structured
// exceptions that nothing in the library handles (see fault_injection.h for
// the names that switch them on).

#include "fault_injection.h"

// Raises the crash asked for by "crash", "crash-overflow", "crash-thread",
// "crash-loaderlock", "crash-timerproc", "crash-twice" or "crash-sendhang",
// and the fault of
// "crash-filter" and "crash-filter-late"; returns when none of them is asked
// for, and for "crash-thread-nowait" after starting the thread that faults.
void CrashWhenAsked();

// For "crash-thread-during-save", in Save before it writes: a thread of the
// library's that writes through a null pointer, waited for for good or for
// the fault's seconds.
void CrashThreadDuringSaveWhenAsked();

// For "crash-thread-nowait": CloseDoc takes a moment.
void DelayCloseWhenAsked();

// For the "hang-*" fault given: the call does not return, for good or for
// the fault's seconds.
void HangWhenAsked(TFault fault);

// When fault is asked for ("crash-filter" in GetApplication,
// "crash-filter-late" in GetDocument): puts in an unhandled-exception filter
// of the library's own, which ends the process silently (exit code
// cSilentFilterExitCode).
void InstallSilentFilterWhenAsked(TFault fault) noexcept;

// For "filter-calls": the same filter, put in at every entry into the
// library (the class object's CreateInstance, each interface method, each
// Release).
void InstallSilentFilterOnEveryCallWhenAsked() noexcept;

const unsigned cSilentFilterExitCode = 2;
