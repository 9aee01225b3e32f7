#include "crash_filter.h"

#include "box_hooks.h"
#include "dispatch_rule.h"
#include "fault_record.h"
#include "library_call.h"
#include "report_boxes.h"
#include "reporting_thread.h"
#include "watchdog.h"

namespace {

const UINT cCrashExitCode = 1;

// The thread that the process ends under waits here: the GUI thread with its
// own windows still served, any other thread (and an overflowed stack) idle.
[[noreturn]] void WaitForTheEnd(bool stackLeft) noexcept {
    if (stackLeft && OnGuiThread()) DispatchOwnWindowsForGood();
    for (;;) ::Sleep(INFINITE);
}

}  // namespace

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (!RecordFirstFault()) EndProcess(cCrashExitCode);
    // The operation has failed already, and its box is up or coming: the
    // library that was given up faulted, which ends the run as a second
    // fault does.
    if (LibraryCallAbandoned()) EndProcess(cCrashExitCode);
    // A call of the GUI thread that faulted never returns.
    if (OnGuiThread()) ForgetLibraryCall();
    const bool overflow = record.ExceptionCode == EXCEPTION_STACK_OVERFLOW;
    const TCrashFilterApplication& application = ProgramApplication();
    const bool handlerFault = !overflow && application.InsideHandler && application.InsideHandler();
    // Before anything that may block: the watchdog's clock starts.
    const TCrashFilterForm& form = ProgramForm();
    const ULONGLONG closeTimerDue = handlerFault && form.CloseTimerDue ? form.CloseTimerDue() : 0;
    WatchFault(closeTimerDue);

    if (handlerFault) {
        ReportHandlerFault(record.ExceptionCode, record.ExceptionAddress, /*closeTimerArmed=*/closeTimerDue != 0,
                           /*boxWatched=*/GuiBoxWatched());
    }
    if (ReportFaultFromThread(record.ExceptionCode, record.ExceptionAddress)) WaitForTheEnd(/*stackLeft=*/!overflow);
    // No reporting thread: an overflowed stack has no room for a box; any
    // other fault is shown here, unseen by the watchdog off the GUI thread.
    if (overflow) EndProcess(cCrashExitCode);
    if (!OnGuiThread() || !GuiBoxWatched()) MarkReportBoxShown();
    ShowCrashAndEnd(record.ExceptionCode, record.ExceptionAddress);
}
