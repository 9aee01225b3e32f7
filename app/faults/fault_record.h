#pragma once
// What the files of the crash filter share: the GUI thread, the thread of the
// first fault, the reporting thread, and the program's parts they call. Set
// once at start (InitFaultRecord), before any fault; the fault is one atomic.
#include <windows.h>

#include "program_parts.h"

// Keeps the program's parts and takes the calling thread for the GUI thread.
void InitFaultRecord(const TCrashFilterApplication& application, const TCrashFilterForm& form) noexcept;

const TCrashFilterApplication& ProgramApplication() noexcept;
const TCrashFilterForm& ProgramForm() noexcept;
DWORD GuiThread() noexcept;
bool OnGuiThread() noexcept;

// Records the calling thread as the one of the first fault: true when it is
// the first, false when a fault came before.
bool RecordFirstFault() noexcept;
// The thread of the first fault; 0 before it.
DWORD FaultingThread() noexcept;
bool FaultRecorded() noexcept;

// The thread that shows the reports (reporting_thread.h); 0 without one.
void SetReportingThread(DWORD thread) noexcept;
DWORD ReportingThread() noexcept;
