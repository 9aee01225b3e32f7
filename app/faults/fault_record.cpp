#include "fault_record.h"

#include <atomic>

namespace {

TCrashFilterApplication gApplication;
TCrashFilterForm gForm;
DWORD gGuiThread = 0;
std::atomic<DWORD> gFaultingThread{0};
std::atomic<DWORD> gReportingThread{0};

}  // namespace

void InitFaultRecord(const TCrashFilterApplication& application, const TCrashFilterForm& form) noexcept {
    gApplication = application;
    gForm = form;
    gGuiThread = ::GetCurrentThreadId();
}

const TCrashFilterApplication& ProgramApplication() noexcept { return gApplication; }

const TCrashFilterForm& ProgramForm() noexcept { return gForm; }

DWORD GuiThread() noexcept { return gGuiThread; }

bool OnGuiThread() noexcept { return ::GetCurrentThreadId() == gGuiThread; }

bool RecordFirstFault() noexcept {
    DWORD none = 0;
    return gFaultingThread.compare_exchange_strong(none, ::GetCurrentThreadId());
}

DWORD FaultingThread() noexcept { return gFaultingThread; }

bool FaultRecorded() noexcept { return gFaultingThread != 0; }

void SetReportingThread(DWORD thread) noexcept { gReportingThread = thread; }

DWORD ReportingThread() noexcept { return gReportingThread; }
