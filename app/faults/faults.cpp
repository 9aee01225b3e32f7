#include "faults.h"

#include "box_hooks.h"
#include "crash_filter.h"
#include "dispatch_rule.h"
#include "exception_filter.h"
#include "fault_record.h"
#include "library_call.h"
#include "report_boxes.h"
#include "reporting_thread.h"
#include "watchdog.h"

// Older headers lack the setting of the process's timer procedure faults.
#ifndef UOI_TIMERPROC_EXCEPTION_SUPPRESSION
#define UOI_TIMERPROC_EXCEPTION_SUPPRESSION 7
#endif

namespace {

// Stack kept back on the GUI thread for the dispatch of a stack overflow: the
// system's own steps up to the filter need more than the guard page leaves.
const ULONG cOverflowReserve = 64 * 1024;

}  // namespace

void InstallCrashFilter(const TCrashFilterApplication& application, const TCrashFilterForm& form) noexcept {
    InitFaultRecord(application, form);
    // A timer procedure's fault reaches this filter, not swallowed by the
    // dispatch (only Windows honours it; Wine refuses it).
    BOOL suppressTimerFaults = FALSE;
    static_cast<void>(::SetUserObjectInformationW(::GetCurrentProcess(), UOI_TIMERPROC_EXCEPTION_SUPPRESSION,
                                                  &suppressTimerFaults, sizeof suppressTimerFaults));
    ULONG reserve = cOverflowReserve;
    static_cast<void>(::SetThreadStackGuarantee(&reserve));
    HookGuiThread();
    static_cast<void>(StartReportingThread());
    static_cast<void>(StartWatchdog(&ReportTimeout));
    // A call given up that comes back late: the GUI thread serves its own
    // windows until the watchdog ends the run.
    SetAbandonedCallWait(&DispatchOwnWindowsForGood);
    SetProgramExceptionFilter(&CrashFilter);
}

void WatchOperationCalls() noexcept {
    // The box's text and caption now, while nothing is blocked.
    PrepareTimeoutBox();
    WatchOperation();
    ReadyReportBox();
}
