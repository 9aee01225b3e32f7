#include "report_boxes.h"

#include <atomic>
#include <cstdint>
#include <string>

#include "error_text.h"
#include "failure_text.h"
#include "fault_module.h"
#include "fault_record.h"
#include "message_box.h"
#include "os_error.h"
#include "queue_wait.h"
#include "watchdog.h"

namespace {

const UINT cHandlerFaultExitCode = 0;  // the end of a run after a failed handler
const UINT cCrashExitCode = 1;

std::wstring gTimeoutText;
std::wstring gTimeoutCaption;
std::atomic<bool> gTimeoutReady{false};

}  // namespace

void ShowCrashAndEnd(DWORD code, void* address) {
    const TFailureText text = DescribeStructuredException(code);
    const TCrashFilterApplication& application = ProgramApplication();
    if (application.ShowApplicationError) {
        application.ShowApplicationError(text.ClassName, FaultModuleName(ModuleNameAt(address).Text),
                                         reinterpret_cast<std::uintptr_t>(address), text.Message);
    }
    EndProcess(cCrashExitCode);
}

void ReportHandlerFault(DWORD code, void* address, bool closeTimerArmed, bool boxWatched) {
    if (!boxWatched) MarkReportBoxShown();
    const TCrashFilterApplication& application = ProgramApplication();
    application.ShowErrorBox(HandlerFaultMessage(code, reinterpret_cast<std::uintptr_t>(address),
                                                 FaultModuleName(ModuleNameAt(address).Text)));
    // The close timer keeps running while the box is up: its quit message
    // ends the box, and the loop below then ends at once.
    if (closeTimerArmed) application.RunMessageLoop();
    EndProcess(cHandlerFaultExitCode);
}

void PrepareTimeoutBox() noexcept {
    const TCrashFilterApplication& application = ProgramApplication();
    if (gTimeoutReady || !application.Title) return;
    try {
        gTimeoutCaption = application.Title();
        if (gTimeoutCaption.empty()) return;
        gTimeoutText = WithFinalDot(OsErrorText(ERROR_TIMEOUT, SysErrorMessage(ERROR_TIMEOUT)));
        gTimeoutReady = true;
    } catch (...) {
        // Without them the time-out still ends the run, without a box.
    }
}

void ShowTimeoutBoxForGood() {
    if (gTimeoutReady) {
        ShowMessageBox(nullptr, gTimeoutText.c_str(), gTimeoutCaption.c_str(), MB_OK | MB_ICONSTOP | MB_TOPMOST);
    }
    for (;;) static_cast<void>(WaitServingMessages(nullptr, INFINITE));
}
